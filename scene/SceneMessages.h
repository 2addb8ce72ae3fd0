#pragma once
// Every text the scene core hands to the user, in one place.

#include <string>

namespace scene {

// The file's sections, in file order; the names are the words the messages use.
enum class Section {
    ObjectVertices,
    UnlitTexVertices,
    PrelitTexVertices,
    LitTexVertices,
    LightSources,
    ObjectInformation,
    SceneBounds,
    TextureNames,
    ExtraNames,
};

inline const char* SectionName(Section s)
{
    switch (s) {
    case Section::ObjectVertices: return "object vertices";
    case Section::UnlitTexVertices: return "unlit texture vertices";
    case Section::PrelitTexVertices: return "prelit texture vertices";
    case Section::LitTexVertices: return "lit texture vertices";
    case Section::LightSources: return "light sources";
    case Section::ObjectInformation: return "object information";
    case Section::SceneBounds: return "scene bounds";
    case Section::TextureNames: return "texture names";
    case Section::ExtraNames: return "extra names";
    }
    return "";
}

// A section's check failed: a wrong end marker, or a tree nested deeper than we follow.
inline std::string BadValueMessage(Section s)
{
    return std::string("Unexpected value in data stream while reading ") + SectionName(s) + "!";
}

// The file ended inside a section, or a count claims more than the rest of the file holds.
inline std::string EndOfFileMessage(Section s)
{
    return std::string("Unexpected end of file while reading ") + SectionName(s) + "!";
}

inline constexpr const char* MSG_BAD_FORMAT = "Unrecognized file format";
inline constexpr const char* MSG_BAD_VERSION = "Unrecognized file version";
inline constexpr const char* MSG_SHORT_VERSION = "Unexpected end of file while reading file version!";
inline constexpr const char* MSG_SAVE_FAILED = "Storage of object definition file was not successful!";
inline constexpr const char* MSG_OUT_OF_MEMORY = "Not enough memory to read the object definition file!";

inline std::string CannotOpenMessage(const std::string& path)
{
    return "Cannot open the file \"" + path + "\".";
}
inline std::string CannotReadMessage(const std::string& path)
{
    return "Cannot read the file \"" + path + "\".";
}
inline std::string TooLargeMessage(const std::string& path)
{
    return "The file \"" + path + "\" is too large to open.";
}

// File dialogs of the editor.
inline constexpr const char* QM4_FILTER = "Morvel QM4 Files (*.qm4)|*.qm4|All Files (*.*)|*.*||";
inline constexpr const char* QM4_EXTENSION = ".qm4";

} // namespace scene
