#pragma once
// Export of a scene's objects as Wavefront OBJ (with its material library and PNG textures)
// or as binary glTF 2.0 (.glb, textures embedded).
//
// Both formats carry one object per scene object, named "Object_N" after the tree's 1-based
// numbering. Polygons holding an index that names nothing are left out and counted. The
// scene's y axis is up in both; no axis is swapped. Builders work in memory; the file step is
// the shared atomic save.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/AtomicFile.h"
#include "scene/QM4EditDoc.h"
#include "texture/TextureLookup.h"

namespace interchange {

enum class ModelFormat { Obj, Glb };

// ".obj" or ".glb" in any letter case; anything else gives nothing.
std::optional<ModelFormat> ModelFormatFromPath(const std::filesystem::path& path);

// The textures of a scene decoded to RGBA, by texture index; an entry is empty when its file
// was not found or not readable.
struct SceneTextures {
    std::vector<std::optional<texture::RgbaImage>> images;
};
// Looks every texture name up with FindTextureFile in sceneFolder. Only the indices in wanted
// are loaded (all when wanted is empty).
SceneTextures LoadSceneTextures(const scene::CQM4EditDoc& doc, const std::filesystem::path& sceneFolder,
                                const std::vector<bool>& wanted = {});

struct ExportOptions {
    int object = -1; // 0-based object index, -1 for every object
};

struct ExportCounts {
    std::size_t objects = 0; // object blocks (OBJ) or nodes (glTF) written
    std::size_t polygons = 0; // faces written
    std::size_t skippedPolygons = 0; // left out for an index that names nothing
    std::size_t textures = 0; // PNG textures written or embedded
    std::size_t missingTextures = 0; // used texture names whose file was not found or read
};

// Which texture indices the exported polygons use.
std::vector<bool> UsedTextures(const scene::CQM4EditDoc& doc, const ExportOptions& options);

struct ObjFiles {
    std::string obj;
    std::string mtl;
    // PNG files to write beside the OBJ: file name, bytes.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> pngs;
};

// baseName names the companion files: "<baseName>.mtl" and "<baseName>_tex<i>_<name>.png".
ObjFiles BuildObj(const scene::CQM4EditDoc& doc, const SceneTextures& textures, const std::string& baseName,
                  const ExportOptions& options, ExportCounts& counts);

std::vector<std::uint8_t> BuildGlb(const scene::CQM4EditDoc& doc, const SceneTextures& textures,
                                   const ExportOptions& options, ExportCounts& counts);

struct ExportResult {
    bool ok = true;
    std::string message; // what the user must be told when !ok
    ExportCounts counts;
    // "Exported 4 objects, 120 polygons; ..." for the status line or stderr.
    std::string Summary() const;
};

// The whole export: format from out's extension, textures looked up beside the scene file.
// An OBJ's material library and PNGs are written first, the OBJ last, all atomically.
ExportResult ExportModelFile(const scene::CQM4EditDoc& doc, const std::filesystem::path& sceneFolder,
                             const std::filesystem::path& out, const ExportOptions& options = {},
                             common::IFileSystem& fs = common::RealFileSystem());

} // namespace interchange
