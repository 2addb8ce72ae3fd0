// The scene preview of file managers: scene reading, then the software rasterizer over
// whatever indices, positions and texture coordinates the file holds.
//
// The scene lies in a folder with textures named as the demo scene names them, so that the
// textured path samples real images at hostile coordinates. A refused file gives no preview;
// an accepted one a square of the asked size.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "FuzzSupport.h"
#include "common/AtomicFile.h"
#include "interchange/Thumbnail.h"
#include "scene/QM4EditDoc.h"
#include "texture/PixloomDoc.h"

namespace {

// A folder holding small textures of every depth under the demo scene's names.
const std::filesystem::path& TextureFolder()
{
    static const std::filesystem::path folder = [] {
        const auto dir = std::filesystem::temp_directory_path() / "qm_fuzz_scene_thumbnail";
        std::filesystem::create_directories(dir);
        const char* names[] = {"brick.tex", "stone.tex", "brass.tex", "grass.tex"};
        const int depths[] = {16, 24, 32, 24};
        for (int i = 0; i < 4; ++i) {
            std::vector<std::uint8_t> tex(32, 0);
            const int w = 3 + i, h = 2 + i;
            tex[20] = static_cast<std::uint8_t>(w);
            tex[24] = static_cast<std::uint8_t>(h);
            tex[28] = static_cast<std::uint8_t>(depths[i]);
            for (int b = 0; b < w * h * depths[i] / 8; ++b)
                tex.push_back(static_cast<std::uint8_t>(b * 37 + i));
            common::WriteFileAtomically(dir / names[i], tex);
        }
        return dir;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    scene::CQM4EditDoc doc;
    if (!doc.Serialize(std::span<const std::uint8_t>(data, size)).Ok())
        return 0;
    const int side = 24;
    const texture::RgbaImage preview = interchange::SceneThumbnail(doc, TextureFolder(), side);
    FUZZ_CHECK(preview.width == side && preview.height == side);
    FUZZ_CHECK(preview.rgba.size() == std::size_t(side) * side * 4);
    return 0;
}
