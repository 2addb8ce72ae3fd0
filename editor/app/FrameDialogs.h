#pragma once
// The commands that run one of the frame's own dialogs: the colours the views draw with, the
// file associations and the About box. Dialogs run through the frame's runner, so tests drive
// them headless.

namespace gui {
class IGuiPrompt;
}

namespace qm4edit {

class CMainFrame;

class CFrameDialogs {
public:
    CFrameDialogs(CMainFrame& frame, gui::IGuiPrompt& prompt) : m_frame(frame), m_prompt(prompt) {}

    // Options > Set ... Color; id is the command, naming which of the views' colours.
    void OnColor(int id);
    void OnOptionsAssociations();
    void OnAppAbout();

private:
    CMainFrame& m_frame;
    gui::IGuiPrompt& m_prompt;
};

} // namespace qm4edit
