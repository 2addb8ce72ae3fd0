// The texture preview of file managers: TEX reading, then scaling to fit a square.
//
// The first byte picks the size (1 to 128), the rest is the file. A refused file gives no
// preview; an accepted one with pixels gives an image whose longer side is the size.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "interchange/Thumbnail.h"
#include "texture/PixloomDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int side = 1 + data[0] % 128;
    // One document for the run, as a program keeps one; it is 1 MiB and would dominate.
    static texture::CPixloomDoc doc;
    fuzz::RecordingPrompt prompt;
    if (!doc.ReadTex(std::span<const std::uint8_t>(data + 1, size - 1), prompt)) {
        FUZZ_CHECK(prompt.Messages() >= 1);
        return 0;
    }
    const texture::RgbaImage preview = interchange::TextureThumbnail(doc, side);
    const texture::TexHeader& h = doc.GetHeader();
    if (h.xRes <= 0 || h.yRes <= 0) {
        FUZZ_CHECK(preview.rgba.empty());
        return 0;
    }
    FUZZ_CHECK(std::max(preview.width, preview.height) == side);
    FUZZ_CHECK(preview.width >= 1 && preview.height >= 1);
    FUZZ_CHECK(preview.rgba.size() == std::size_t(preview.width) * std::size_t(preview.height) * 4);
    return 0;
}
