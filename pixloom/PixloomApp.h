#pragma once
// The texture tool's application object: start-up, and the owner of the one document, the
// prompt, the settings (the recent-file list) and the main window. The window owns every
// command and never calls back here.

#include <filesystem>
#include <memory>

#include <QString>
#include <QStringList>

#include "gui/GuiPrompt.h"
#include "gui/Settings.h"

namespace texture {
class CPixloomDoc;
}

namespace pixloom {

class CMainFrame;

class CPixloomApp {
public:
    // Dialogs and messages go through prompt; without one the real Qt dialogs are used.
    explicit CPixloomApp(gui::IGuiPrompt* prompt = nullptr);
    // Destroys the main window, which stores the window state and background colour.
    ~CPixloomApp();
    CPixloomApp(const CPixloomApp&) = delete;
    CPixloomApp& operator=(const CPixloomApp&) = delete;

    // Builds the main window, opens the file named in arguments (the program's arguments
    // without its own name) or starts empty, then shows the window in its remembered state.
    // False when the named file was refused: the user has seen why and the program ends.
    bool InitInstance(const QStringList& arguments);

    texture::CPixloomDoc& GetDocument() { return *m_doc; }
    // Null before InitInstance and after a failed start.
    CMainFrame* GetMainFrame() { return m_frame.get(); }
    gui::IGuiPrompt& GetPrompt() { return *m_prompt; }
    gui::RecentFileList& GetRecentFiles() { return m_recent; }

private:
    std::unique_ptr<gui::QtPrompt> m_ownPrompt;
    gui::IGuiPrompt* m_prompt;
    std::unique_ptr<texture::CPixloomDoc> m_doc;
    gui::RecentFileList m_recent;
    // Last: the window and its view refer to the document and go first.
    std::unique_ptr<CMainFrame> m_frame;
};

// The path as the document and the recent-file list keep it, and back.
std::filesystem::path ToDocPath(const QString& path);
QString FromDocPath(const std::filesystem::path& path);

} // namespace pixloom
