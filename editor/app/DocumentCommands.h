#pragma once
// The document's life in the main window: New, Open (from the File menu, a recent file, a
// drop or the command line), Save and Save As, the question before a modified scene is
// replaced, the recent files in the File menu, and the window title that names the file.

#include <memory>
#include <vector>

#include <QString>

class QAction;
class QMenu;

namespace gui {
class IGuiPrompt;
class RecentFileList;
class RecentFilesMenu;
} // namespace gui

namespace scene {
class CQM4EditDoc;
}

namespace qm4edit {

class CMainFrame;
class CUndoHistory;

enum class OpenOutcome { Opened, Cancelled, Failed };

class CDocumentCommands {
public:
    // None is owned; the frame hands its panes a new scene and runs the update pass.
    CDocumentCommands(CMainFrame& frame, scene::CQM4EditDoc& doc, gui::IGuiPrompt& prompt,
                      gui::RecentFileList& recentFiles, CUndoHistory& history);
    ~CDocumentCommands();

    // Shows the recent files in fileMenu where placeholder ("Recent File") stands.
    void AttachRecentMenu(QMenu& fileMenu, QAction& placeholder);
    // The File menu's recent-file entries as shown, or the one greyed "Recent File".
    std::vector<QAction*> RecentFileActions() const;

    // Empty for a scene never saved.
    const QString& GetPathName() const { return m_strPathName; }
    // The folder of the scene's file; the current folder while it has none.
    QString SceneFolder() const;

    // Asks to save a modified document first; false when the user cancels or saving fails.
    bool SaveModified();
    OpenOutcome OpenDocumentFile(const QString& path);
    bool NewDocument();
    bool DoFileSave();
    bool DoSaveAs();
    // File > Open: asks for a scene file and opens it.
    void OnFileOpen();
    void OnOpenRecentFile(int index);

    // The window title names the file and marks a modified scene.
    void UpdateTitle();

private:
    QString DocumentTitle() const;
    // A new scene stands in the document, opened or new.
    void AfterDocumentChanged();
    // Writes the scene to path (absolute, native separators) and reports a failure.
    bool SaveTo(const QString& path);

    CMainFrame& m_frame;
    scene::CQM4EditDoc& m_doc;
    gui::IGuiPrompt& m_prompt;
    gui::RecentFileList& m_recentFiles;
    CUndoHistory& m_history;
    QString m_strPathName;
    std::unique_ptr<gui::RecentFilesMenu> m_recentMenu;
};

} // namespace qm4edit
