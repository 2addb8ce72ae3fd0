#pragma once
// Texts of the Textures pane, its dialogs and the face picks.

namespace qm4edit {

inline constexpr const char* TEXTURES_PANE_TITLE = "Textures";
inline constexpr const char* TEXTURES_COLUMN_NAME = "Texture";
inline constexpr const char* TEXTURES_COLUMN_USES = "Polygons";

inline constexpr const char* TEXTURES_ASSIGN = "&Assign to Selected Faces";
inline constexpr const char* TEXTURES_SELECT_USING = "Select Faces Using";
inline constexpr const char* TEXTURES_RENAME = "Rename...";
inline constexpr const char* TEXTURES_ADD = "Add...";
inline constexpr const char* TEXTURES_REMOVE = "Remove";
// The same in the pane's context menu, with access keys.
inline constexpr const char* TEXTURES_MENU_SELECT_USING = "&Select Faces Using";
inline constexpr const char* TEXTURES_MENU_RENAME = "&Rename...";
inline constexpr const char* TEXTURES_MENU_ADD = "A&dd...";
inline constexpr const char* TEXTURES_MENU_REMOVE = "Re&move";

inline constexpr const char* RENAME_TEXTURE_TITLE = "Rename Texture";
inline constexpr const char* ADD_TEXTURE_TITLE = "Add Texture";
inline constexpr const char* LABEL_TEXTURE_NAME = "&Name:";

// The undo steps.
inline constexpr const char* STEP_ASSIGN_TEXTURE = "Assign Texture";
inline constexpr const char* STEP_RENAME_TEXTURE = "Rename Texture";
inline constexpr const char* STEP_ADD_TEXTURE = "Add Texture";
inline constexpr const char* STEP_REMOVE_TEXTURE = "Remove Texture";

// %1: the name as typed.
inline constexpr const char* MSG_TEXTURE_NAME_NOT_LATIN1 =
    "The texture name \"%1\" has characters that are not single-byte (Latin-1) text. Texture names can use only "
    "those characters.";

// The status bar after a pick: %1 object and %2 polygon as the tree numbers them, %3 the
// polygon's texture name.
inline constexpr const char* STATUS_FACE_PICKED = "Object %1, Polygon %2, texture %3";

// The View menu's item.
inline constexpr const char* VIEW_TEXTURES_TEXT = "Te&xtures";
inline constexpr const char* VIEW_TEXTURES_PROMPT =
    "Show or hide the scene's textures, to assign them to the picked faces\nTextures";

} // namespace qm4edit
