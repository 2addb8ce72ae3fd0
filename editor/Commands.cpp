#include "Commands.h"

#include <array>

namespace qm4edit {

namespace {

constexpr std::array kCommands = {
    CommandInfo{ID_FILE_NEW, "ID_FILE_NEW", "", "Create a new document\nNew"},
    CommandInfo{ID_FILE_OPEN, "ID_FILE_OPEN", "&Open...\tCtrl+O", "Open an existing document\nOpen"},
    CommandInfo{ID_FILE_SAVE, "ID_FILE_SAVE", "&Save\tCtrl+S", "Save the active document\nSave"},
    CommandInfo{ID_FILE_SAVE_AS, "ID_FILE_SAVE_AS", "Save &As...",
                "Save the active document with a new name\nSave As"},
    CommandInfo{ID_FILE_IMPORT, "ID_FILE_IMPORT", "&Import...", nullptr},
    CommandInfo{ID_FILE_EXPORT, "ID_FILE_EXPORT", "&Export...", nullptr},
    CommandInfo{ID_OVERLAY_ALP, "ID_OVERLAY_ALP", "&ALP", nullptr},
    CommandInfo{ID_OVERLAY_REC, "ID_OVERLAY_REC", "&REC", nullptr},
    CommandInfo{ID_FILE_MRU_FILE1, "ID_FILE_MRU_FILE1", "Recent File", "Open this document"},
    CommandInfo{ID_APP_EXIT, "ID_APP_EXIT", "E&xit", "Quit the application; prompts to save documents\nExit"},
    CommandInfo{ID_EDIT_UNDO, "ID_EDIT_UNDO", "&Undo\tCtrl+Z", "Undo the last action\nUndo"},
    CommandInfo{ID_EDIT_CUT, "ID_EDIT_CUT", "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut"},
    CommandInfo{ID_EDIT_COPY, "ID_EDIT_COPY", "&Copy\tCtrl+C",
                "Copy the selection and put it on the Clipboard\nCopy"},
    CommandInfo{ID_EDIT_PASTE, "ID_EDIT_PASTE", "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste"},
    CommandInfo{ID_VIEW_TOOLBAR, "ID_VIEW_TOOLBAR", "&Toolbar", "Show or hide the toolbar\nToggle ToolBar"},
    CommandInfo{ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", "&Status Bar",
                "Show or hide the status bar\nToggle StatusBar"},
    CommandInfo{ID_WINDOW_SPLIT, "ID_WINDOW_SPLIT", "S&plit", "Split the active window into panes\nSplit"},
    CommandInfo{ID_VIEW_TOP, "ID_VIEW_TOP", "&Top", "Set view to Overhead (X-Z)\nOverhead View"},
    CommandInfo{ID_VIEW_FRONT, "ID_VIEW_FRONT", "&Front", "Set view to Front (X-Y)\nFront View"},
    CommandInfo{ID_VIEW_SIDE, "ID_VIEW_SIDE", "&Side", "Set view to Side (Z-Y)\nSide View"},
    CommandInfo{ID_VIEW_PERSPECTIVE, "ID_VIEW_PERSPECTIVE", "P&erspective\tP",
                "Set view to Perspective, textured\nPerspective View"},
    CommandInfo{ID_VIEW_FLIPTEXTUREV, "ID_VIEW_FLIPTEXTUREV", "Flip Texture &V",
                "Count texture v upwards from the bottom row, for scenes made that way\nFlip Texture V"},
    CommandInfo{ID_VIEW_ZOOMIN, "ID_VIEW_ZOOMIN", "Zoom &In", "Increase zoom factor\nZoom In"},
    CommandInfo{ID_VIEW_ZOOMOUT, "ID_VIEW_ZOOMOUT", "Zoom &Out", "Decrease zoom factor\nZoom Out"},
    CommandInfo{ID_VIEW_RESET, "ID_VIEW_RESET", "&Reset View",
                "Go back to default view - Overhead, Zoom Factor 1, Center\nReset View"},
    CommandInfo{ID_OPTIONS_PRIMARYCOLOR, "ID_OPTIONS_PRIMARYCOLOR", "Set &Primary Color",
                "Set the color used to draw the vertices"},
    CommandInfo{ID_OPTIONS_SECONDARYCOLOR1, "ID_OPTIONS_SECONDARYCOLOR1", "Set Secondary Color &1",
                "Set optional color used to help vertices stand out"},
    CommandInfo{ID_OPTIONS_SECONDARYCOLOR2, "ID_OPTIONS_SECONDARYCOLOR2", "Set Secondary Color &2",
                "Set optional color used to help vertices stand out"},
    CommandInfo{ID_OPTIONS_HIGHLIGHTCOLOR, "ID_OPTIONS_HIGHLIGHTCOLOR", "Set &Highlight Color",
                "Set color used to draw object polygons and highlight selected vertices"},
    CommandInfo{ID_OPTIONS_OVERLAYCOLOR, "ID_OPTIONS_OVERLAYCOLOR", "Set &Overlay Color",
                "Set color used to draw alpha objects and AI line laid over view."},
    CommandInfo{ID_OPTIONS_ASSOCIATIONS, "ID_OPTIONS_ASSOCIATIONS", "&Associations...",
                "Set file associations for QM4Edit"},
    CommandInfo{ID_APP_ABOUT, "ID_APP_ABOUT", "&About QM4Edit...",
                "Display program information, version number and copyright\nAbout"},
    CommandInfo{ID_NEXT_PANE, "ID_NEXT_PANE", "", "Switch to the next window pane\nNext Pane"},
    CommandInfo{ID_PREV_PANE, "ID_PREV_PANE", "", "Switch back to the previous window pane\nPrevious Pane"},

    CommandInfo{ID_OBJECT_VIEW, "ID_OBJECT_VIEW", "&View...", nullptr},
    CommandInfo{ID_OBJECT_EXPORT, "ID_OBJECT_EXPORT", "&Export...", nullptr},
    CommandInfo{ID_POLYGON_VIEW, "ID_POLYGON_VIEW", "&View...", nullptr},
    CommandInfo{ID_POLYGON_EXPORT, "ID_POLYGON_EXPORT", "&Export...", nullptr},
    CommandInfo{ID_VERTEX_EDIT, "ID_VERTEX_EDIT", "&Edit...", nullptr},
};

} // namespace

std::span<const CommandInfo> CommandTable()
{
    return kCommands;
}

const CommandInfo* FindCommand(int id)
{
    for (const CommandInfo& c : kCommands)
        if (c.id == id)
            return &c;
    return nullptr;
}

} // namespace qm4edit
