#include "editor/app/Commands.h"

#include <array>

#include "editor/app/EditorStrings.h"

namespace qm4edit {

// The groups in the order their rows were first written; a new group goes at the end.
void AddMainCommands(gui::CommandModel& c, CMainFrame& frame)
{
    AddFileCommands(c, frame);
    AddClipboardCommands(c);
    AddViewCommands(c, frame);
    AddOptionsCommands(c, frame);
    AddHelpCommands(c, frame);
    AddEditingCommands(c, frame);
    AddTextureCommands(c, frame);
}

const gui::MenuLayout& MainMenuLayout()
{
    static const gui::MenuLayout layout = {
        {MENU_FILE,
         {ID_FILE_OPEN,
          ID_FILE_SAVE,
          ID_FILE_SAVE_AS,
          gui::kSeparator,
          ID_FILE_IMPORT,
          ID_FILE_EXPORT,
          ID_FILE_EXPORT_MODEL,
          ID_FILE_IMPORT_MODEL,
          gui::kSeparator,
          {MENU_OVERLAY, {ID_OVERLAY_ALP, ID_OVERLAY_REC}},
          gui::kSeparator,
          ID_FILE_MRU_FILE1,
          gui::kSeparator,
          ID_APP_EXIT}},
        {MENU_EDIT,
         {ID_EDIT_UNDO, ID_EDIT_REDO, gui::kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, gui::kSeparator,
          ID_EDIT_VERTEXTOOL}},
        {MENU_VIEW,
         {{MENU_CONTROLS, {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_WINDOW_SPLIT}},
          gui::kSeparator,
          ID_VIEW_TOP,
          ID_VIEW_FRONT,
          ID_VIEW_SIDE,
          ID_VIEW_PERSPECTIVE,
          gui::kSeparator,
          ID_VIEW_ZOOMIN,
          ID_VIEW_ZOOMOUT,
          gui::kSeparator,
          ID_VIEW_RESET,
          gui::kSeparator,
          ID_VIEW_FITSCENE,
          ID_VIEW_FITSELECTION,
          gui::kSeparator,
          ID_VIEW_WIREFRAME,
          gui::kSeparator,
          ID_VIEW_GRID,
          ID_VIEW_GRID_FINER,
          ID_VIEW_GRID_COARSER,
          gui::kSeparator,
          ID_VIEW_FLIPTEXTUREV,
          gui::kSeparator,
          ID_VIEW_TEXTURES}},
        {MENU_OPTIONS,
         {ID_OPTIONS_PRIMARYCOLOR, ID_OPTIONS_SECONDARYCOLOR1, ID_OPTIONS_SECONDARYCOLOR2, ID_OPTIONS_HIGHLIGHTCOLOR,
          ID_OPTIONS_OVERLAYCOLOR, ID_OPTIONS_WIRECOLOR, ID_OPTIONS_ASSOCIATIONS}},
        {MENU_HELP, {ID_APP_ABOUT}},
    };
    return layout;
}

const std::vector<int>& MainToolbarLayout()
{
    static const std::vector<int> layout = {
        ID_FILE_OPEN,  ID_FILE_SAVE,    gui::kSeparator,   ID_EDIT_CUT,         ID_EDIT_COPY,
        ID_EDIT_PASTE, gui::kSeparator, ID_VIEW_ZOOMIN,    ID_VIEW_ZOOMOUT,     gui::kSeparator,
        ID_VIEW_TOP,   ID_VIEW_FRONT,   ID_VIEW_SIDE,      ID_VIEW_PERSPECTIVE, gui::kSeparator,
        ID_VIEW_RESET, gui::kSeparator, ID_VIEW_WIREFRAME, ID_EDIT_VERTEXTOOL,
    };
    return layout;
}

namespace {

constexpr std::array kContextItems = {
    CommandInfo{ID_OBJECT_VIEW, "&View..."},  CommandInfo{ID_OBJECT_EXPORT, "&Export..."},
    CommandInfo{ID_POLYGON_VIEW, "&View..."}, CommandInfo{ID_POLYGON_EXPORT, "&Export..."},
    CommandInfo{ID_VERTEX_EDIT, "&Edit..."},
};

} // namespace

const CommandInfo* FindCommand(int id)
{
    for (const CommandInfo& c : kContextItems)
        if (c.id == id)
            return &c;
    return nullptr;
}

} // namespace qm4edit
