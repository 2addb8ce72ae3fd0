// Targa import into a loaded texture of each depth.
//
// The first byte chooses the texture: bits 0-1 its depth (16, 24, 32; 3 gives 8, which no
// Targa matches), bit 2 the answer to the depth question, bit 3 whether the texture takes its
// size from the Targa's own header (so most inputs get past the size check) or keeps 5 x 3.
// The rest is the Targa file. A refused import must leave every pixel as it was.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "FuzzSupport.h"
#include "texture/PixloomDoc.h"

namespace {

std::uint16_t Le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void PutLe32(std::vector<std::uint8_t>& v, std::size_t at, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        v[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

// A TEX file of the given shape with a pattern in every pixel, so that a partial import
// shows up as changed pixels.
std::vector<std::uint8_t> MakeTex(int xRes, int yRes, int bpp)
{
    std::vector<std::uint8_t> f(32, 0);
    for (int i = 0; i < 20; ++i)
        f[i] = static_cast<std::uint8_t>(0xA0 + i);
    PutLe32(f, 20, xRes);
    PutLe32(f, 24, yRes);
    PutLe32(f, 28, bpp);
    const std::size_t n = static_cast<std::size_t>(xRes) * yRes * (bpp / 8);
    f.reserve(32 + n);
    for (std::size_t i = 0; i < n; ++i)
        f.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    return f;
}

texture::CPixloomDoc& Doc()
{
    static texture::CPixloomDoc doc;
    return doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t mode = data[0];
    const std::span<const std::uint8_t> tga(data + 1, size - 1);

    static const int depths[4] = {16, 24, 32, 8};
    const int bpp = depths[mode & 3];
    const bool answerYes = (mode & 4) != 0;
    int xRes = 5, yRes = 3;
    if ((mode & 8) && tga.size() >= 16) {
        const int w = Le16(tga.data() + 12), h = Le16(tga.data() + 14);
        if (w >= 1 && w <= texture::TEX_MAX_RES && h >= 1 && h <= texture::TEX_MAX_RES) {
            xRes = w;
            yRes = h;
        }
    }

    texture::CPixloomDoc& doc = Doc();
    fuzz::RecordingPrompt quiet;
    const std::vector<std::uint8_t> tex = MakeTex(xRes, yRes, bpp);
    const bool loaded = doc.ReadTex(tex, quiet);
    // Depth 8 is refused by the reader itself; the import then runs on an unloaded document,
    // which the programs never allow but which must still be harmless.
    FUZZ_CHECK(loaded == (bpp != 8));
    doc.SetModifiedFlag(false);

    std::vector<std::uint8_t> before;
    doc.WriteTex(before);

    fuzz::RecordingPrompt prompt(answerYes);
    const bool imported = doc.ImportTargaBytes(tga, prompt);
    std::vector<std::uint8_t> after;
    doc.WriteTex(after);
    // Header and depth never change, so the TEX image is the same length either way.
    FUZZ_CHECK(after.size() == before.size());
    FUZZ_CHECK(std::memcmp(after.data(), before.data(), 32) == 0);
    if (!imported) {
        FUZZ_CHECK(prompt.Messages() >= 1 || (prompt.Questions() == 1 && !answerYes));
        FUZZ_CHECK(prompt.AllNonEmpty());
        FUZZ_CHECK(after == before);
        FUZZ_CHECK(!doc.IsModified());
    } else {
        FUZZ_CHECK(doc.IsModified());
        FUZZ_CHECK(prompt.Questions() <= 1);
        // Writing what was imported and importing it again at the texture's own depth is
        // stable.
        if (loaded) {
            std::vector<std::uint8_t> out;
            doc.WriteTarga(out);
            fuzz::RecordingPrompt again;
            FUZZ_CHECK(doc.ImportTargaBytes(out, again));
            std::vector<std::uint8_t> twice;
            doc.WriteTex(twice);
            FUZZ_CHECK(twice == after);
        }
    }
    return 0;
}
