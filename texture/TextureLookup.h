#pragma once
// Finding and decoding the textures a scene names, for the views and exports that show them.
// Nothing here asks or shows anything: a texture that cannot be found or read is simply absent.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace texture {

// Straight 8-bit RGBA, row 0 at the top (as Pixloom shows it), width * height * 4 bytes.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// Where a scene's texture name lives: beside the scene file, then in a "textures" folder
// beside it. A name without an extension is also tried with ".tex". Outside Windows the match
// ignores case, because scenes are made on a system whose file names do not care.
std::optional<std::filesystem::path> FindTextureFile(const std::filesystem::path& sceneFolder,
                                                     std::string_view textureName);

class CPixloomDoc;

// The loaded texture of doc as RGBA: the one alpha bit of 16-bit textures becomes 0 or 255;
// 24-bit textures are opaque. Empty when nothing is loaded.
RgbaImage ToRgba(const CPixloomDoc& doc);

// Reads a TEX file of any supported depth into RGBA. The one alpha bit of 16-bit textures
// becomes 0 or 255; 24-bit textures are opaque. Returns nothing for any file the texture
// core refuses.
std::optional<RgbaImage> LoadTextureRgba(const std::filesystem::path& path);

} // namespace texture
