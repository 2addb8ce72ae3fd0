#pragma once
// Every text of the model and image exchange that reaches the user, in one place.

#include <cstddef>
#include <cstdint>
#include <string>

namespace interchange {

inline constexpr const char* IMAGE_NOT_PNG_OR_BMP = "The file is neither a PNG nor a BMP image.";
inline constexpr const char* IMAGE_DAMAGED = "The image file is damaged or uses a form that cannot be read.";

inline std::string ImageTooLargeMessage(int width, int height)
{
    return "The image is " + std::to_string(width) + " x " + std::to_string(height) +
        " pixels; images larger than 16384 pixels on a side are not read.";
}

inline std::string CannotReadMessage(const std::string& path)
{
    return "Cannot read the file \"" + path + "\".";
}

inline std::string CannotWriteMessage(const std::string& path)
{
    return "Cannot write the file \"" + path + "\".";
}

inline std::string Plural(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

inline std::string UnknownModelFormatMessage(const std::string& path)
{
    return "Cannot tell the model format of \"" + path + "\": the name must end in .obj or .glb.";
}

// ---- OBJ import refusals: the import changes nothing ----

inline std::string ObjBadLineMessage(std::size_t line, const char* what)
{
    return "OBJ line " + std::to_string(line) + ": " + what + ". Nothing was imported.";
}

inline std::string ObjNoSuchObjectMessage(int number, int objectCount)
{
    return "The scene has no object " + std::to_string(number) + "; it has " +
        Plural(objectCount, "object", "objects") + ". Nothing was imported.";
}

inline std::string ObjNotOneObjectMessage(std::size_t blocks, const std::string& object)
{
    return "The file holds " + Plural(blocks, "object", "objects") + " with faces, none of them " + object +
        ". Nothing was imported.";
}

inline std::string ObjUnnumberedBlockMessage(const std::string& name)
{
    return "The file's object \"" + name + "\" carries no object number. Nothing was imported.";
}

inline std::string ObjExtraObjectMessage(const std::string& name, int objectCount)
{
    return "The file's object \"" + name + "\" has no counterpart: the scene has " +
        Plural(objectCount, "object", "objects") + ". Nothing was imported.";
}

inline std::string ObjDuplicateObjectMessage(const std::string& first, const std::string& second)
{
    return "The file's objects \"" + first + "\" and \"" + second +
        "\" carry the same object number. Nothing was imported.";
}

inline std::string ObjObjectCountMessage(std::size_t fileObjects, std::size_t sceneObjects)
{
    return "The file holds " + Plural(fileObjects, "object", "objects") + " with faces; the scene has " +
        Plural(sceneObjects, "object", "objects") + " with polygons. Nothing was imported.";
}

inline std::string ObjMissingObjectMessage(const std::string& object, std::size_t polygons)
{
    return object + " is missing from the file but has " + Plural(polygons, "polygon", "polygons") +
        ". Nothing was imported.";
}

// material is empty when the faces are matched by their order.
inline std::string ObjFaceCountMessage(const std::string& object, const std::string& material, std::size_t faces,
                                       std::size_t polygons)
{
    return object + (material.empty() ? "" : ", material " + material) + ": the file has " +
        Plural(faces, "face", "faces") + ", the scene " + Plural(polygons, "polygon", "polygons") +
        ". Nothing was imported.";
}

inline std::string ObjCornerCountMessage(const std::string& object, const std::string& material, std::size_t face,
                                         std::size_t corners)
{
    return object + (material.empty() ? "" : ", material " + material) + ", face " + std::to_string(face) + ": " +
        Plural(corners, "corner", "corners") + " where the polygon has 3. Nothing was imported.";
}

inline std::string ObjTexVertexConflictMessage(std::size_t firstLine, std::size_t secondLine, const char* list,
                                               std::uint32_t index)
{
    return "OBJ lines " + std::to_string(firstLine) + " and " + std::to_string(secondLine) + " give " + list +
        " texture vertex " + std::to_string(index) +
        ", which their faces share, different coordinates. Nothing was imported.";
}

inline std::string ObjMaterialWithoutLibraryMessage(const std::string& material)
{
    return "The material \"" + material +
        "\" can only be matched to a texture through its material library, which was not found. "
        "Nothing was imported.";
}

inline std::string ObjMaterialWithoutImageMessage(const std::string& material)
{
    return "The material \"" + material + "\" has no texture image (map_Kd). Nothing was imported.";
}

inline std::string ObjMaterialBadNameMessage(const std::string& material, const std::string& why)
{
    return "The material \"" + material + "\" would add a texture name that cannot be used: " + why +
        " Nothing was imported.";
}

inline std::string ObjTooManyTexturesMessage(const std::string& material)
{
    return "The material \"" + material +
        "\" would add a texture name beyond the 65536 a polygon can refer to. Nothing was imported.";
}

} // namespace interchange
