#pragma once
// The programs' side of the prompt interface: message boxes, Yes/No(/Cancel) questions,
// file dialogs and the colour dialog. Commands take an IGuiPrompt so that tests can drive
// every command headless with a scripted fake.

#include <cstdint>
#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

#include "common/Prompt.h"

class QWidget;

namespace gui {

struct FileDialogOptions {
    // Filter in the classic form "Text (*.x)|*.x|All Files (*.*)|*.*||".
    QString filter;
    // Appended (without the dot) when the user types a name without an extension.
    QString defaultExt;
    QString initialName;
    // Where the dialog opens; empty: the current document's folder, if it has one.
    QString initialDir;
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
    // The document the program shows (empty for an untitled one); file dialogs open in its
    // folder.
    virtual void SetDocumentPath(const QString& /*path*/) {}
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
    void SetDocumentPath(const QString& path) override;

private:
    std::optional<QString> RunFileDialog(const FileDialogOptions& options, bool open);

    QWidget* m_parent;
    QString m_title;
    QString m_documentFolder;
};

// Asked before a save dialog's choice replaces a file; %1 is the file's path.
inline constexpr const char* ASK_REPLACE_FILE = "%1 already exists.\nDo you want to replace it?";

// The name a save dialog hands back: defaultExt (without its dot) added to a name that has
// no extension; a name typed with a trailing dot asks for no extension, and the dot goes.
QString ApplyDefaultExtension(const QString& path, const QString& defaultExt);

// The final path of a save dialog's choice. When it names an existing file and the options
// ask for it, askReplace(path) must say yes; nullopt when it says no (the dialog shows again).
std::optional<QString> ConfirmSaveName(const QString& chosen, const FileDialogOptions& options,
                                       const std::function<bool(const QString&)>& askReplace);

// The classic filter as Qt dialog filters whose shown text stays the classic label, with
// "*.*" matching every file, also those without an extension. For a dialog with
// QFileDialog::HideNameFilterDetails.
QStringList ToQtNameFilters(const QString& classicFilter);

// "Text (*.x)|*.x|All Files (*.*)|*.*||" -> "Text (*.x);;All Files (*.*)"
QString ToQtFilter(const QString& classicFilter);

// 0x00BBGGRR <-> QColor-friendly 0xRRGGBB
inline std::uint32_t ColorrefFromRgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline int ColorrefRed(std::uint32_t c)
{
    return static_cast<int>(c & 0xFF);
}
inline int ColorrefGreen(std::uint32_t c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
inline int ColorrefBlue(std::uint32_t c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

} // namespace gui
