#pragma once
// Reading vertex positions, texture coordinates and materials back from an OBJ file made by
// our export, or by a modelling program that re-saved it.
//
// No polygon or vertex is added, removed or re-linked: the file's faces are matched to the
// scene's polygons by structure, and each matched face carries back
//   - its corners' positions, to the polygon's vertices;
//   - its corners' texture coordinates ("vt"), to the polygon's texture vertices in the list
//     its type selects (v counted down from the top again, as the export flipped it);
//   - its material, to the polygon's texture index: "tex<i>_..." is texture i; any other
//     material is the texture named like its image (map_Kd in the material library) without
//     folder and extension, letter case aside; an image no texture is named after adds the
//     name "<image name>.tex" to the scene's list.
// The matching:
//   objects    by the number in the block's name ("Object_07", "Object 7.001"); when no name
//              carries a number, the blocks with faces meet the objects with polygons in order
//   faces      the k-th face of a material is the k-th polygon with its texture; without
//              materials the k-th face is the k-th polygon. Where those ranks do not meet,
//              or pair a face with a polygon on other vertices (a face's material changed),
//              the faces are matched by their vertices instead: the export writes an object's
//              vertices in the order its polygons first use them, so the vertex numbers of a
//              face tell its polygon; among polygons on the same vertices, one with the
//              face's texture goes first.
//   corners    corner j of a face is corner j of its polygon
// Only polygons an export would write take part (see IsExportable). Any difference in
// objects, faces or corners, corners that share one texture vertex but are given different
// coordinates, and a material that names no texture refuse the whole import.
//
// Planning never touches the document, so a GUI can show the result and apply it as one
// undoable edit.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene/QM4EditDoc.h"
#include "scene/SceneEdit.h"

namespace interchange {

struct VertexMove {
    int index = 0;
    scene::ObjectVertex from{}; // the position before the import
    scene::ObjectVertex to{};
};

struct TexVertexMove {
    int kind = scene::TEXVERTEX_UNLIT; // the list: TEXVERTEX_UNLIT, _PRELIT or _LIT
    std::uint32_t index = 0;
    scene::TextureVertex from{}; // u and v before the import
    scene::TextureVertex to{};
};

struct PolygonTextureMove {
    scene::PolygonRef polygon;
    std::uint16_t from = 0;
    std::uint16_t to = 0;
};

struct ObjImportPlan {
    bool ok = false;
    std::string message; // why the import is refused, when !ok
    std::vector<VertexMove> moves; // ascending vertex index, each vertex once
    std::size_t objects = 0; // objects matched
    std::size_t faces = 0; // faces matched
    std::size_t unchanged = 0; // vertices whose file position lies within tolerance
    std::size_t disagreements = 0; // vertices given different positions by different corners
    std::vector<TexVertexMove> texVertexMoves; // by kind, then ascending index, each once
    std::size_t texVerticesUnchanged = 0; // texture vertices whose file coordinates lie within tolerance
    std::vector<PolygonTextureMove> textureMoves; // in object and polygon order
    std::vector<std::string> addedTextures; // names appended to the texture list, in order

    // The whole import as one undoable edit of doc (the document planned against), not yet
    // applied.
    scene::CSceneEdit MakeEdit(const scene::CQM4EditDoc& doc) const;
    // "OBJ import: ..." once the import has run.
    std::string Summary() const;
};

// A position within this fraction of the scene's extent (the largest side of the box around
// all its vertices) on every axis counts as unchanged, so re-saving never moves a vertex.
// Texture coordinates are compared with what the export wrote the same way, on the scale of
// the texture (1) or of the spread of the scene's coordinates, whichever is larger.
inline constexpr double OBJ_IMPORT_TOLERANCE = 1e-6;

// Gives the text of a material library an OBJ names on its "mtllib" line, or nothing when
// there is no such file.
using MtlReader = std::function<std::optional<std::string>(const std::string& name)>;
// Libraries beside the OBJ: the name's own folders are ignored, so a file can only point at
// its neighbours.
MtlReader MtlFromFolder(std::filesystem::path folder);
// One library's text, whatever name the OBJ gives it.
MtlReader MtlFromText(std::string text);

// Matches the OBJ text against the scene. object >= 0: the file holds that one object
// (0-based); its one block with faces is taken, or among several the one numbered object + 1.
// mtl reads the material libraries, which only materials not named "tex<i>_..." need; without
// it such materials are refused.
ObjImportPlan PlanObjImport(const scene::CQM4EditDoc& doc, std::string_view objText, int object = -1,
                            const MtlReader& mtl = {});

// Applies the plan as one edit (MakeEdit): positions and their bounds as an UpdateGeometry
// leaves them, texture coordinates, polygon textures and names. The document becomes modified
// only when something changed. Does nothing for a refused plan. Returns the applied edit,
// which undoes the import.
scene::CSceneEdit ApplyObjImport(scene::CQM4EditDoc& doc, const ObjImportPlan& plan);

// Reads the file, plans (material libraries beside it) and applies. A file that cannot be
// read refuses with a message.
ObjImportPlan ImportObjFile(scene::CQM4EditDoc& doc, const std::filesystem::path& path, int object = -1);

} // namespace interchange
