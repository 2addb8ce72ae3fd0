#pragma once
// The editor's application object: start-up in its fixed order, and the owner of the one
// document, the prompt, the settings (the recent-file list) and the main window. The window
// owns the commands and the panes and never calls back here.

#include <memory>

#include <QStringList>

#include "gui/GuiPrompt.h"
#include "gui/Settings.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

class CMainFrame;

class CQM4EditApp {
public:
    // A null prompt means the real Qt dialogs; tests pass a scripted one (not owned then by
    // anyone but this object).
    explicit CQM4EditApp(std::unique_ptr<gui::IGuiPrompt> prompt = nullptr);
    ~CQM4EditApp();
    CQM4EditApp(const CQM4EditApp&) = delete;
    CQM4EditApp& operator=(const CQM4EditApp&) = delete;

    // arguments as QCoreApplication::arguments() gives them: the program, then an optional
    // file to open. False when the program must end: the named file could not be opened
    // (after its message) or the window could not be made.
    bool InitInstance(const QStringList& arguments, bool show = true);

    CMainFrame* GetMainWnd() const { return m_pMainWnd.get(); }
    scene::CQM4EditDoc& GetDocument() { return m_doc; }
    gui::IGuiPrompt& GetPrompt() { return *m_prompt; }
    gui::RecentFileList& GetRecentFiles() { return m_recentFiles; }

private:
    scene::CQM4EditDoc m_doc;
    std::unique_ptr<gui::IGuiPrompt> m_prompt;
    gui::RecentFileList m_recentFiles;
    // Declared last: the window observes the document and must go first.
    std::unique_ptr<CMainFrame> m_pMainWnd;
};

} // namespace qm4edit
