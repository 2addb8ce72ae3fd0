// The one translation unit that holds the stb image decoder, limited to the formats we read,
// and stb's PNG writer with our compressor in place of its own.

#include <cstdlib>
#include <cstring>

#include "interchange/Deflate.h"

namespace {

// stb_image_write's compressor hook: the returned memory is released with STBIW_FREE (free).
unsigned char* ZlibForStb(unsigned char* data, int size, int* outSize, int /*quality*/)
{
    const std::vector<std::uint8_t> z = interchange::png::ZlibCompress(data, static_cast<std::size_t>(size));
    auto* out = static_cast<unsigned char*>(std::malloc(z.size()));
    if (!out)
        return nullptr;
    std::memcpy(out, z.data(), z.size());
    *outSize = static_cast<int>(z.size());
    return out;
}

} // namespace

#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_FAILURE_USERMSG
#define STB_IMAGE_IMPLEMENTATION

#define STBI_WRITE_NO_STDIO
#define STBIW_ZLIB_COMPRESS ZlibForStb
#define STB_IMAGE_WRITE_IMPLEMENTATION

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {
// One filter for every row instead of stb's trial of all five per row, which alone costs more
// than the whole compression (a 512 x 512 texture: about 35 ms with the trial). Of the single
// filters, Up is the cheapest by far and the file came out no larger than Paeth's on the
// benchmark's texture-like picture (15 ms against 21 ms for Paeth); these files are exchanged, not
// archived.
[[maybe_unused]] const int g_pngFilter = (stbi_write_force_png_filter = 2);
} // namespace
