#pragma once
// Texts of the inspector dialogs and of the CSV commands.

namespace qm4edit {

inline constexpr const char* EDIT_VERTEX_TITLE = "Edit Vertex";
inline constexpr const char* POLYGON_INFO_TITLE = "View Polygon Info";
inline constexpr const char* TEXTURE_VERTEX_TITLE = "Texture Vertex";
inline constexpr const char* OBJECT_INFO_TITLE = "View Object Info";
inline constexpr const char* IMPORT_EXPORT_TYPE_TITLE = "Import/Export Type";

inline constexpr const char* LABEL_X_OFFSET = "x offset";
inline constexpr const char* LABEL_Y_OFFSET = "y offset";
inline constexpr const char* LABEL_Z_OFFSET = "z offset";
inline constexpr const char* LABEL_VERTEX_ID = "Vertex ID";
inline constexpr const char* LABEL_X = "X";
inline constexpr const char* LABEL_Y = "Y";
inline constexpr const char* LABEL_Z = "Z";
inline constexpr const char* LABEL_TEXTURE_VERTS = "Texture Verts";
inline constexpr const char* LABEL_TEXTURE = "Texture:";
inline constexpr const char* LABEL_U = "U";
inline constexpr const char* LABEL_V = "V";
inline constexpr const char* LABEL_OBJECT_BOUNDING_BOX = "Object Bounding Box:";
inline constexpr const char* LABEL_MIN = "Min:";
inline constexpr const char* LABEL_MAX = "Max:";
inline constexpr const char* LABEL_OBJECT_POLYGONS = "Object Polygons";
inline constexpr const char* LABEL_UNIQUE_VERTS = "Unique Verts";
inline constexpr const char* LABEL_SELECTED_ONLY = "For selected object only";

inline constexpr const char* BUTTON_APPLY = "Apply";
inline constexpr const char* BUTTON_CLOSE = "Close";
inline constexpr const char* BUTTON_OK = "OK";
inline constexpr const char* BUTTON_CANCEL = "Cancel";
inline constexpr const char* BUTTON_TEXTURE_VERTEX = "...";

// A number field that holds no number; %1 is the field's label.
inline constexpr const char* MSG_ENTER_NUMBER = "Please enter a number in the field \"%1\".";

} // namespace qm4edit
