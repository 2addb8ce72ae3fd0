// TEX reading, and writing what was read.
//
// A refused file leaves the document unloaded with a message. An accepted one writes back to
// exactly the bytes it came from, and survives a trip through Targa export and import.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "FuzzSupport.h"
#include "texture/PixloomDoc.h"

namespace {

texture::CPixloomDoc& Doc()
{
    // One document for the whole run, as the program keeps one: it also catches state
    // that leaks from one file into the next.
    static texture::CPixloomDoc doc;
    return doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    texture::CPixloomDoc& doc = Doc();
    fuzz::RecordingPrompt prompt;
    const std::span<const std::uint8_t> in(data, size);
    if (!doc.ReadTex(in, prompt)) {
        FUZZ_CHECK(prompt.Messages() >= 1 && prompt.AllNonEmpty());
        FUZZ_CHECK(!doc.IsLoaded());
        return 0;
    }
    FUZZ_CHECK(doc.IsLoaded());
    FUZZ_CHECK(prompt.Messages() == 0);
    const texture::TexHeader& h = doc.GetHeader();
    FUZZ_CHECK(h.xRes <= texture::TEX_MAX_RES && h.yRes <= texture::TEX_MAX_RES);

    std::vector<std::uint8_t> tex;
    doc.WriteTex(tex);
    FUZZ_CHECK(tex.size() == size && std::memcmp(tex.data(), data, size) == 0);

    // Export and import back at the texture's own depth: no question, same pixels.
    std::vector<std::uint8_t> tga;
    doc.WriteTarga(tga);
    fuzz::RecordingPrompt importPrompt;
    const bool depthKnown = h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    if (depthKnown && h.xRes > 0 && h.yRes > 0) {
        FUZZ_CHECK(doc.ImportTargaBytes(tga, importPrompt));
        FUZZ_CHECK(importPrompt.Questions() == 0);
        std::vector<std::uint8_t> back;
        doc.WriteTex(back);
        FUZZ_CHECK(back == tex);
    }
    return 0;
}
