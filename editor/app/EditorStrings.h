#pragma once
// The editor window's own texts (menu and command texts are in Commands.cpp).

namespace qm4edit {

inline constexpr const char* APP_TITLE = "QM4Edit";
inline constexpr const char* UNTITLED = "Untitled";
inline constexpr const char* STATUS_READY = "Ready";
inline constexpr const char* INDICATOR_CAPS = "CAP";
inline constexpr const char* INDICATOR_NUM = "NUM";
inline constexpr const char* INDICATOR_SCRL = "SCRL";

inline constexpr const char* ABOUT_CAPTION = "About QM4Edit";
inline constexpr const char* ABOUT_TEXT = "QM4Edit Version 1.03";
inline constexpr const char* ABOUT_OK = "OK";

// Asked before a modified scene is replaced or the program closes; %1 is the file's name.
inline constexpr const char* ASK_SAVE_CHANGES = "Save changes to %1?";

inline constexpr const char* MENU_FILE = "&File";
inline constexpr const char* MENU_OVERLAY = "O&verlay";
inline constexpr const char* MENU_EDIT = "&Edit";
inline constexpr const char* MENU_VIEW = "&View";
inline constexpr const char* MENU_CONTROLS = "&Controls";
inline constexpr const char* MENU_OPTIONS = "&Options";
inline constexpr const char* MENU_HELP = "&Help";
inline constexpr const char* MENU_CONTEXT = "Context";

inline constexpr const char* TREE_OBJECT_LABEL = "Object %1";
inline constexpr const char* TREE_POLYGON_LABEL = "Polygon %1";
inline constexpr const char* TREE_VERTEX_LABEL = "Vertex %1";

// Settings of the viewport, section "Settings".
inline constexpr const char* KEY_MAIN_COLOR = "MainColor";
inline constexpr const char* KEY_EXTRA_COLOR1 = "ExtraColor1";
inline constexpr const char* KEY_EXTRA_COLOR2 = "ExtraColor2";
inline constexpr const char* KEY_HILITE_COLOR = "HiliteColor";
inline constexpr const char* KEY_WIRE_COLOR = "WireColor";
inline constexpr const char* KEY_WIREFRAME = "Wireframe";
inline constexpr const char* KEY_GRID = "Grid";
inline constexpr const char* KEY_GRID_STEP = "GridStep"; // world units, "%g"

// The viewport's status panes and its pick report.
inline constexpr const char* STATUS_PROJECTION_TOP = "Top (X-Z)";
inline constexpr const char* STATUS_PROJECTION_FRONT = "Front (X-Y)";
inline constexpr const char* STATUS_PROJECTION_SIDE = "Side (Z-Y)";
inline constexpr const char* STATUS_PROJECTION_PERSPECTIVE = "Perspective";
inline constexpr const char* STATUS_ZOOM_FACTOR = "%1 px/unit";
inline constexpr const char* STATUS_POINTER = "%1 %2, %3 %4";
inline constexpr const char* STATUS_PICKED_VERTEX = "Vertex %1: (%2, %3, %4), used by %5 corners";
inline constexpr const char* STATUS_GRID_ON = "Grid %1";
inline constexpr const char* STATUS_GRID_OFF = "Grid %1 (off)";
inline constexpr const char* STATUS_SNAP_VERTEX = "Snap to Vertex %1: (%2, %3, %4)";

// Undo and editing tools. A step's words follow "&Undo " and "&Redo " in the Edit menu.
inline constexpr const char* UNDO_TEXT = "&Undo\tCtrl+Z";
inline constexpr const char* UNDO_TEXT_STEP = "&Undo %1\tCtrl+Z";
inline constexpr const char* REDO_TEXT = "&Redo\tCtrl+Y";
inline constexpr const char* REDO_TEXT_STEP = "&Redo %1\tCtrl+Y";
inline constexpr const char* EDIT_VERTEX_STEP = "Edit Vertex";
inline constexpr const char* CSV_IMPORT_STEP = "CSV Import";
inline constexpr const char* MODEL_IMPORT_STEP = "Model Import";
inline constexpr const char* MOVE_VERTEX_STEP = "Move Vertex";
inline constexpr const char* MOVE_VERTICES_STEP = "Move Vertices";
inline constexpr const char* NUDGE_STEP = "Nudge";
inline constexpr const char* MODEL_EXPORT_FILTER = "Wavefront OBJ (*.obj);;glTF Binary (*.glb)";
inline constexpr const char* MODEL_IMPORT_FILTER = "Wavefront OBJ (*.obj)";
inline constexpr const char* MODEL_IMPORT_UNCHANGED = "OBJ import: no vertex moved";

} // namespace qm4edit
