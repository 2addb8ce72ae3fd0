#pragma once
// The perspective view's texts and its setting.

namespace qm4edit {

// %1: the names, separated by commas.
inline constexpr const char* PERSPECTIVE_MISSING_TEXTURES = "Missing textures: %1";
// %1: one of the reasons below.
inline constexpr const char* PERSPECTIVE_UNAVAILABLE = "Perspective view unavailable: %1";
inline constexpr const char* GL_NO_CONTEXT = "no OpenGL 3.3 context could be made";
inline constexpr const char* GL_TOO_OLD = "OpenGL %1.%2 is too old, 3.3 is needed";
inline constexpr const char* GL_NOT_CURRENT = "the OpenGL context cannot be used";
inline constexpr const char* GL_NO_WINDOWS = "the %1 display cannot show OpenGL windows";
inline constexpr const char* GL_NO_SHADERS = "the view's shaders do not build";
inline constexpr const char* GL_CHILD_NOT_SHOWN = "wine does not show OpenGL drawn in a pane";

// Section "Settings": 1 when texture v runs upwards from the bottom row.
inline constexpr const char* KEY_FLIP_TEXTURE_V = "FlipTextureV";

} // namespace qm4edit
