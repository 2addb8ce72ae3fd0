#pragma once
// Reading vertex positions back from an OBJ file made by our export, or by a modelling
// program that re-saved it.
//
// Nothing is added, removed or re-linked: the file's faces are matched to the scene's
// polygons by structure and each matched corner's position goes to the polygon's vertex.
//   objects    by the number in the block's name ("Object_07", "Object 7.001"); when no name
//              carries a number, the blocks with faces meet the objects with polygons in order
//   faces      the k-th face under material "tex<i>_..." is the k-th polygon with texture i;
//              without such materials the k-th face is the k-th polygon
//   corners    corner j of a face is corner j of its polygon
// Only polygons an export would write take part (see IsExportable). Any difference in
// objects, faces or corners refuses the whole import.
//
// Planning never touches the document, so a GUI can show the result, keep the moves for its
// undo step, and apply them in one go.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "scene/QM4EditDoc.h"

namespace interchange {

struct VertexMove {
    int index = 0;
    scene::ObjectVertex from{}; // the position before the import
    scene::ObjectVertex to{};
};

struct ObjImportPlan {
    bool ok = false;
    std::string message; // why the import is refused, when !ok
    std::vector<VertexMove> moves; // ascending vertex index, each vertex once
    std::size_t objects = 0; // objects matched
    std::size_t faces = 0; // faces matched
    std::size_t unchanged = 0; // vertices whose file position lies within tolerance
    std::size_t disagreements = 0; // vertices given different positions by different corners
    // "OBJ import: ..." once the import has run.
    std::string Summary() const;
};

// A position within this fraction of the scene's extent (the largest side of the box around
// all its vertices) on every axis counts as unchanged, so re-saving never moves a vertex.
inline constexpr double OBJ_IMPORT_TOLERANCE = 1e-6;

// Matches the OBJ text against the scene. object >= 0: the file holds that one object
// (0-based); its one block with faces is taken, or among several the one numbered object + 1.
ObjImportPlan PlanObjImport(const scene::CQM4EditDoc& doc, std::string_view objText, int object = -1);

// Stores every move through SetVertex, then recomputes the bounds once (UpdateGeometry).
// The document becomes modified only when there was a move. Does nothing for a refused plan.
void ApplyObjImport(scene::CQM4EditDoc& doc, const ObjImportPlan& plan);

// Reads the file, plans and applies. A file that cannot be read refuses with a message.
ObjImportPlan ImportObjFile(scene::CQM4EditDoc& doc, const std::filesystem::path& path, int object = -1);

} // namespace interchange
