#pragma once
// Command ids of QM4Edit, and the main window's command groups. Each group adds its rows to
// the frame's command model from a file of its own (FileCommands.cpp, EditCommands.cpp,
// ViewCommands.cpp, OptionsCommands.cpp); AddMainCommands calls them in order, and the menu
// and toolbar layouts in Commands.cpp place the ids. The tree pane's context-menu items are
// the small table below. Every user-facing string of the editor window lives in a command
// group, in Commands.cpp or in EditorStrings.h, so the texts are easy to find.

#include <vector>

#include "gui/CommandModel.h"

namespace qm4edit {

class CMainFrame;

enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_IMPORT = 32784,
    ID_FILE_EXPORT = 32785,
    ID_OVERLAY_ALP = 32786,
    ID_OVERLAY_REC = 32787,
    ID_FILE_MRU_FILE1 = 57616,
    ID_APP_EXIT = 57665,

    ID_EDIT_UNDO = 57643,
    ID_EDIT_CUT = 57635,
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE = 57637,

    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_WINDOW_SPLIT = 57653,
    ID_VIEW_TOP = 32773,
    ID_VIEW_FRONT = 32774,
    ID_VIEW_SIDE = 32775,
    ID_VIEW_ZOOMIN = 32771,
    ID_VIEW_ZOOMOUT = 32772,
    ID_VIEW_RESET = 32777,

    ID_OPTIONS_PRIMARYCOLOR = 32779,
    ID_OPTIONS_SECONDARYCOLOR1 = 32780,
    ID_OPTIONS_SECONDARYCOLOR2 = 32781,
    ID_OPTIONS_HIGHLIGHTCOLOR = 32782,
    ID_OPTIONS_OVERLAYCOLOR = 32788,
    ID_OPTIONS_ASSOCIATIONS = 32783,

    ID_APP_ABOUT = 57664,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,

    // Viewport navigation and reading, beyond the original menus.
    ID_VIEW_FITSCENE = 32800,
    ID_VIEW_FITSELECTION = 32801,
    ID_VIEW_WIREFRAME = 32802,
    ID_OPTIONS_WIRECOLOR = 32803,

    // Undo and editing tools.
    ID_EDIT_REDO = 32810,
    ID_FILE_EXPORT_MODEL = 32811,
    ID_FILE_IMPORT_MODEL = 32812,
    ID_EDIT_VERTEXTOOL = 32813,
    ID_VIEW_GRID = 32814,
    ID_VIEW_GRID_FINER = 32815,
    ID_VIEW_GRID_COARSER = 32816,

    // Context menus of the tree pane.
    ID_OBJECT_VIEW = 32789,
    ID_OBJECT_EXPORT = 32790,
    ID_POLYGON_VIEW = 32794,
    ID_POLYGON_EXPORT = 32795,
    ID_VERTEX_EDIT = 32796,

    // The perspective view.
    ID_VIEW_PERSPECTIVE = 32797,
    ID_VIEW_FLIPTEXTUREV = 32798,

    // Retexturing (editor/textures/TextureCommands.cpp).
    ID_VIEW_TEXTURES = 32820,
};

// An item of the tree pane's context menus.
struct CommandInfo {
    int id;
    const char* menuText;
};

// Null for an id that is no context-menu item.
const CommandInfo* FindCommand(int id);

// The main window's menu bar and toolbar, as lists of command ids.
const gui::MenuLayout& MainMenuLayout();
const std::vector<int>& MainToolbarLayout();

// The main window's command rows, group by group; a row's handler calls a public operation
// of the frame, of a pane, or of the part of the frame that owns its concern.
void AddMainCommands(gui::CommandModel& c, CMainFrame& frame);
// File: the document, CSV exchange, the overlay items, the recent files and Exit.
void AddFileCommands(gui::CommandModel& c, CMainFrame& frame);
// Edit: the clipboard commands, which nothing handles.
void AddClipboardCommands(gui::CommandModel& c);
// View: the window's controls, projections, zoom, the perspective view, fitting, wireframe.
void AddViewCommands(gui::CommandModel& c, CMainFrame& frame);
// Options: the views' colours and the file associations.
void AddOptionsCommands(gui::CommandModel& c, CMainFrame& frame);
// Help, and the keys that move between the panes.
void AddHelpCommands(gui::CommandModel& c, CMainFrame& frame);
// Undo and the editing tools: the history, the model exchange, the vertex tool and its grid.
void AddEditingCommands(gui::CommandModel& c, CMainFrame& frame);
// Retexturing: View > Textures (editor/textures/TextureCommands.cpp).
void AddTextureCommands(gui::CommandModel& c, CMainFrame& frame);

} // namespace qm4edit
