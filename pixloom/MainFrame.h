#pragma once
// The texture tool's main window: menus, command routing and enabling, the view, and the
// commands that work on the open texture (Save, Import, Export, header, background colour,
// associations). No toolbar, no status bar.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>
#include <optional>

#include <QMainWindow>

#include "gui/GuiPrompt.h"

class QAction;
class QMenu;

namespace texture {
class CPixloomDoc;
}

namespace pixloom {

class CPixloomApp;
class CPixloomView;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(CPixloomApp& app, texture::CPixloomDoc& doc, gui::IGuiPrompt& prompt);
    // Stores the window's show state, once the window has been shown.
    ~CMainFrame() override;

    CPixloomView* GetActiveView() const { return m_view; }
    // The menu command with this id (ID_FILE_SAVE, ...); null for an unknown id.
    QAction* GetAction(int id) const;
    QMenu* GetFileMenu() const { return m_fileMenu; }

    // Shows the window in a stored show state: 2 minimised, 3 maximised, anything else normal.
    void ShowWithStyle(int showStyle);
    // 1 normal, 2 minimised, 3 maximised.
    int GetShowStyle() const;

    // Sets every enabled state from the document's flags.
    void UpdateActions();
    // Repaint, title and enabling after anything about the document changed.
    void OnDocumentChanged();

    // Before the texture is replaced or the program closes: offers to save a modified
    // texture. False means the user cancelled (or the save failed): stay as we are.
    bool SaveModified();

    // Commands.
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnFileImport();
    void OnFileExport();
    void OnHeaderShow();
    void OnOptionsBackground();
    void OnOptionsAssociate();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void RebuildRecentFiles();
    void UpdateTitle();
    // The document's file name for the title, or "Untitled" while nothing is on show.
    QString TitleName() const;
    // Import step by step: check the Targa, ask the depth question here at the edge when
    // the depths differ, then convert.
    void ImportTargaAsking(const std::filesystem::path& path);
    QAction* AddCommand(int id, const char* text, std::function<void()> handler);
    // Export and Import share the filter, extension and suggested name.
    gui::FileDialogOptions TargaDialogOptions() const;

    CPixloomApp& m_app;
    texture::CPixloomDoc& m_doc;
    gui::IGuiPrompt& m_prompt;
    CPixloomView* m_view = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    QAction* m_exitSeparator = nullptr;
    std::vector<QAction*> m_recentActions;
    std::map<int, QAction*> m_actions;
    bool m_bShown = false;
    // The show state at the moment the user closed the window: a closed window no longer
    // reports being minimised on every platform.
    std::optional<int> m_closedStyle;
};

} // namespace pixloom
