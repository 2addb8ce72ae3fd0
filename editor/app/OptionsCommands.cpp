// The Options and Help menus' rows, and the keys that move between the panes.

#include "editor/app/Commands.h"
#include "editor/app/MainFrame.h"
#include "editor/app/ScenePanes.h"

namespace qm4edit {

void AddOptionsCommands(gui::CommandModel& c, CMainFrame& frame)
{
    CFrameDialogs& dialogs = frame.Dialogs();
    const auto color = [&dialogs](int id) { return [&dialogs, id] { dialogs.OnColor(id); }; };
    // Kept in the menu, enabled; it has never done anything.
    const auto inert = [] {};

    c.Add({.id = ID_OPTIONS_PRIMARYCOLOR,
           .text = "Set &Primary Color",
           .prompt = "Set the color used to draw the vertices",
           .run = color(ID_OPTIONS_PRIMARYCOLOR)});
    c.Add({.id = ID_OPTIONS_SECONDARYCOLOR1,
           .text = "Set Secondary Color &1",
           .prompt = "Set optional color used to help vertices stand out",
           .run = color(ID_OPTIONS_SECONDARYCOLOR1)});
    c.Add({.id = ID_OPTIONS_SECONDARYCOLOR2,
           .text = "Set Secondary Color &2",
           .prompt = "Set optional color used to help vertices stand out",
           .run = color(ID_OPTIONS_SECONDARYCOLOR2)});
    c.Add({.id = ID_OPTIONS_HIGHLIGHTCOLOR,
           .text = "Set &Highlight Color",
           .prompt = "Set color used to draw object polygons and highlight selected vertices",
           .run = color(ID_OPTIONS_HIGHLIGHTCOLOR)});
    c.Add({.id = ID_OPTIONS_OVERLAYCOLOR,
           .text = "Set &Overlay Color",
           .prompt = "Set color used to draw alpha objects and AI line laid over view.",
           .run = inert});
    c.Add({.id = ID_OPTIONS_WIRECOLOR,
           .text = "Set &Wire Color",
           .prompt = "Set color used to outline every polygon in the wireframe view",
           .run = color(ID_OPTIONS_WIRECOLOR)});
    c.Add({.id = ID_OPTIONS_ASSOCIATIONS,
           .text = "&Associations...",
           .prompt = "Set file associations for QM4Edit",
           .run = [&dialogs] { dialogs.OnOptionsAssociations(); }});
}

void AddHelpCommands(gui::CommandModel& c, CMainFrame& frame)
{
    CScenePanes& panes = frame.Panes();
    CFrameDialogs& dialogs = frame.Dialogs();
    c.Add({.id = ID_APP_ABOUT,
           .text = "&About QM4Edit...",
           .prompt = "Display program information, version number and copyright\nAbout",
           .run = [&dialogs] { dialogs.OnAppAbout(); }});
    // With two panes the next and the previous one are the same.
    c.Add({.id = ID_NEXT_PANE,
           .prompt = "Switch to the next window pane\nNext Pane",
           .keys = {Qt::Key_F6},
           .run = [&panes] { panes.FocusOtherPane(); }});
    c.Add({.id = ID_PREV_PANE,
           .prompt = "Switch back to the previous window pane\nPrevious Pane",
           .keys = {Qt::SHIFT | Qt::Key_F6},
           .run = [&panes] { panes.FocusOtherPane(); }});
}

} // namespace qm4edit
