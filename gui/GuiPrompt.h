#pragma once
// The programs' side of the prompt interface: message boxes, Yes/No(/Cancel) questions,
// file dialogs and the colour dialog. Commands take an IGuiPrompt so that tests can drive
// every command headless with a scripted fake.

#include <cstdint>
#include <optional>

#include <QString>

#include "common/Prompt.h"

class QWidget;

namespace gui {

struct FileDialogOptions {
    // Filter in the classic form "Text (*.x)|*.x|All Files (*.*)|*.*||".
    QString filter;
    // Appended (without the dot) when the user types a name without an extension.
    QString defaultExt;
    QString initialName;
    // Open dialogs: only existing files may be chosen.
    bool fileMustExist = false;
    // Save dialogs: confirm before replacing an existing file.
    bool overwritePrompt = false;
};

enum class SaveChangesAnswer { Yes, No, Cancel };

class IGuiPrompt : public common::IPrompt {
public:
    virtual std::optional<QString> GetOpenFileName(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> GetSaveFileName(const FileDialogOptions& options) = 0;
    // Colours are 0x00BBGGRR values; nullopt when the user cancels.
    virtual std::optional<std::uint32_t> ChooseColor(std::uint32_t initial) = 0;
    // "Save changes to ...?" before a modified document is replaced or the program closes.
    virtual SaveChangesAnswer AskSaveChanges(const QString& text) = 0;
};

// The real thing: modal Qt dialogs captioned with the application title.
class QtPrompt final : public IGuiPrompt {
public:
    QtPrompt(QWidget* parent, QString title) : m_parent(parent), m_title(std::move(title)) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    void ShowMessage(const std::string& text, common::MessageIcon icon) override;
    bool AskYesNo(const std::string& text, common::MessageIcon icon) override;
    std::optional<QString> GetOpenFileName(const FileDialogOptions& options) override;
    std::optional<QString> GetSaveFileName(const FileDialogOptions& options) override;
    std::optional<std::uint32_t> ChooseColor(std::uint32_t initial) override;
    SaveChangesAnswer AskSaveChanges(const QString& text) override;

private:
    QWidget* m_parent;
    QString m_title;
};

// "Text (*.x)|*.x|All Files (*.*)|*.*||" -> "Text (*.x);;All Files (*.*)"
QString ToQtFilter(const QString& classicFilter);

// 0x00BBGGRR <-> QColor-friendly 0xRRGGBB
inline std::uint32_t ColorrefFromRgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline int ColorrefRed(std::uint32_t c) { return static_cast<int>(c & 0xFF); }
inline int ColorrefGreen(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int ColorrefBlue(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }

} // namespace gui
