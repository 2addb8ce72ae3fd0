#pragma once
// The texture tool's main window: its commands (rows of the command model), menus and
// enabling, the view, and every command on the texture: New, Open, the recent files, Save,
// New from Image, Import, Export, Image > Depth, header, background colour, associations, About. No toolbar; a status bar with the pixel under the pointer.
// It never calls back into the application object.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>
#include <memory>
#include <optional>

#include <QMainWindow>

#include "gui/CommandModel.h"
#include "gui/GuiPrompt.h"

class QAction;
class QLabel;
class QMenu;

namespace gui {
class RecentFileList;
class RecentFilesMenu;
} // namespace gui

namespace texture {
class CPixloomDoc;
}

namespace pixloom {

class CPixloomView;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // None of the three is owned; all must outlive the frame.
    CMainFrame(texture::CPixloomDoc& doc, gui::IGuiPrompt& prompt, gui::RecentFileList& recentFiles);
    // Stores the window's show state, once the window has been shown.
    ~CMainFrame() override;

    CPixloomView* GetActiveView() const { return m_view; }
    // The menu command with this id (ID_FILE_SAVE, ..., the recent files from
    // ID_FILE_MRU_FILE1 on); null for an unknown id.
    QAction* GetAction(int id) const;
    QMenu* GetFileMenu() const { return m_fileMenu; }

    // Shows the window in a stored show state: 2 minimised, 3 maximised, anything else normal.
    void ShowWithStyle(int showStyle);
    // 1 normal, 2 minimised, 3 maximised.
    int GetShowStyle() const;

    // Sets every enabled state from the document's flags.
    void UpdateActions() { m_commands.UpdateActions(); }
    // Repaint, title and enabling after anything about the document changed.
    void OnDocumentChanged();

    // Before the texture is replaced or the program closes: offers to save a modified
    // texture. False means the user cancelled (or the save failed): stay as we are.
    bool SaveModified();

    // Opens path as the document, after offering to save a modified texture. False when
    // the user cancelled (cancelled, when given, says so) or the file was refused (the user
    // has been told).
    bool OpenDocumentFile(const QString& path, bool* cancelled = nullptr);

    // Commands.
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnFileImport();
    void OnFileReload();
    void OnFileExport();
    // File > New from Image...: an image becomes a new, unsaved texture of a chosen depth.
    void OnFileNewFromImage();
    void NewFromImageFile(const QString& path);
    // Image > Depth: converts the texture, asking first when the change loses information.
    void OnImageDepth(int bpp);

    // Asks for the depth of a texture made from an image of this size; nullopt on Cancel.
    // The window shows its "New Texture" dialog; tests put a scripted answer here.
    using DepthChooser = std::function<std::optional<int>(int width, int height, int proposedBpp)>;
    void SetDepthChooser(DepthChooser chooser) { m_chooseDepth = std::move(chooser); }
    // A file dropped onto the window: a texture opens, an image imports after a question.
    void OnDropFile(const QString& path);
    void OnHeaderShow();
    void OnOptionsBackground();
    void OnOptionsAssociate();
    void OnAppAbout();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateCommands();
    void CreateMenus();
    void UpdateTitle();
    // The status bar: the pixel under the pointer ((-1, -1): none) and the texture itself.
    void UpdatePixelStatus(int x, int y);
    void UpdateTextureStatus();
    // The document's file name for the title, or "Untitled" while nothing is on show.
    QString TitleName() const;
    // Import step by step: check the Targa, ask the depth question here at the edge when
    // the depths differ, then convert.
    void ImportTargaAsking(const std::filesystem::path& path);
    // Export and Import share the filter, extension and suggested name.
    gui::FileDialogOptions TargaDialogOptions() const;

    texture::CPixloomDoc& m_doc;
    gui::IGuiPrompt& m_prompt;
    gui::RecentFileList& m_recentFiles;
    CPixloomView* m_view = nullptr;
    QLabel* m_pixelLabel = nullptr;
    QLabel* m_textureLabel = nullptr;
    QMenu* m_fileMenu = nullptr;
    gui::CommandModel m_commands{*this};
    std::unique_ptr<gui::RecentFilesMenu> m_recentMenu;
    bool m_bShown = false;
    DepthChooser m_chooseDepth;
    // The show state at the moment the user closed the window: a closed window no longer
    // reports being minimised on every platform.
    std::optional<int> m_closedStyle;
};

} // namespace pixloom
