#include "interchange/ImageCodec.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "interchange/InterchangeMessages.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace interchange {
namespace {

bool IsPng(std::span<const std::uint8_t> b)
{
    static constexpr std::uint8_t SIG[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return b.size() >= 8 && std::memcmp(b.data(), SIG, 8) == 0;
}

bool IsBmp(std::span<const std::uint8_t> b)
{
    return b.size() >= 2 && b[0] == 'B' && b[1] == 'M';
}

std::uint32_t Le(std::span<const std::uint8_t> b, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

// The decoder reads zeros past the end of a short file, so a few bytes claiming a large
// picture would cost the time and memory of decoding all of it. A file too short to hold the
// pixels its header claims is refused first: a BMP needs every row but the last padding
// byte, and deflate never shrinks data by more than 1032 to 1, while a PNG row holds at least
// a filter byte and one bit a pixel.
// The decoder grows its buffer to whatever length a chunk claims before it reads the chunk,
// so a chunk claiming more than the file holds would cost an allocation of that size. Every
// chunk up to IEND must fit in the file.
bool ChunksFit(std::span<const std::uint8_t> b)
{
    std::size_t at = 8;
    while (b.size() - at >= 12) {
        const std::uint32_t length = (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) |
            (std::uint32_t(b[at + 2]) << 8) | b[at + 3];
        if (length > b.size() - at - 12)
            return false;
        if (std::memcmp(b.data() + at + 4, "IEND", 4) == 0)
            return true;
        at += 12 + std::size_t(length);
    }
    return false;
}

bool CanHoldPixels(std::span<const std::uint8_t> b, int w, int h)
{
    const auto width = static_cast<std::uint64_t>(w), height = static_cast<std::uint64_t>(h);
    if (IsPng(b))
        return ChunksFit(b) && static_cast<std::uint64_t>(b.size()) * 1032 + 1024 >= height * (1 + (width + 7) / 8);
    if (b.size() < 30)
        return false;
    const std::uint32_t headerSize = Le(b, 14, 4);
    const std::uint32_t bitsPerPixel = headerSize == 12 ? Le(b, 24, 2) : Le(b, 28, 2);
    // Any other depth is refused by the decoder, but only after it has allocated the picture.
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 &&
        bitsPerPixel != 32)
        return false;
    const std::uint64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t lastRow = (width * bitsPerPixel + 7) / 8;
    const std::uint64_t pixelsAt = Le(b, 10, 4);
    return static_cast<std::uint64_t>(b.size()) >= pixelsAt + rowBytes * (height - 1) + lastRow;
}

struct StbFree {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* p = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

} // namespace

DecodeResult DecodeImage(std::span<const std::uint8_t> bytes, int maxSide)
{
    maxSide = std::min(maxSide, MAX_IMAGE_SIDE);
    DecodeResult result;
    if (!IsPng(bytes) && !IsBmp(bytes)) {
        result.message = IMAGE_NOT_PNG_OR_BMP;
        return result;
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        result.message = IMAGE_DAMAGED;
        return result;
    }
    const auto* data = bytes.data();
    const int size = static_cast<int>(bytes.size());

    // The header alone first, so that a hostile size never drives an allocation.
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &w, &h, &channels) || w <= 0 || h <= 0) {
        result.message = IMAGE_DAMAGED;
        return result;
    }
    if (w > maxSide || h > maxSide) {
        result.message = ImageTooLargeMessage(w, h);
        result.tooLarge = true;
        result.width = w;
        result.height = h;
        return result;
    }
    if (!CanHoldPixels(bytes, w, h)) {
        result.message = IMAGE_DAMAGED;
        return result;
    }

    int dw = 0, dh = 0, fileChannels = 0;
    std::unique_ptr<unsigned char, StbFree> pixels(stbi_load_from_memory(data, size, &dw, &dh, &fileChannels, 4));
    if (!pixels || dw != w || dh != h) {
        result.message = IMAGE_DAMAGED;
        return result;
    }
    DecodedImage out;
    out.image.width = w;
    out.image.height = h;
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    out.image.rgba.assign(pixels.get(), pixels.get() + n);
    out.hasAlpha = fileChannels == 2 || fileChannels == 4;
    if (!out.hasAlpha) {
        // A palette or colour key with transparency also makes a 32-bit source.
        for (std::size_t i = 3; i < n; i += 4) {
            if (out.image.rgba[i] != 255) {
                out.hasAlpha = true;
                break;
            }
        }
    }
    result.image = std::move(out);
    return result;
}

DecodeResult DecodeImageFile(const std::filesystem::path& path, int maxSide)
{
    std::vector<std::uint8_t> bytes;
    // No image we accept needs more than four bytes a pixel plus headers at the largest size.
    const std::uint64_t limit = std::uint64_t(MAX_IMAGE_SIDE) * MAX_IMAGE_SIDE * 4 + (1u << 20);
    switch (common::ReadWholeFile(path, bytes, limit)) {
    case common::ReadStatus::Ok: return DecodeImage(bytes, maxSide);
    case common::ReadStatus::TooLarge: {
        DecodeResult r;
        r.message = IMAGE_DAMAGED;
        return r;
    }
    default: {
        DecodeResult r;
        r.message = CannotReadMessage(common::PathToUtf8(path));
        return r;
    }
    }
}

std::vector<std::uint8_t> EncodePng(const texture::RgbaImage& image, bool withAlpha)
{
    if (image.width <= 0 || image.height <= 0 || image.width > MAX_IMAGE_SIDE || image.height > MAX_IMAGE_SIDE ||
        image.rgba.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4)
        return {};

    const unsigned char* src = image.rgba.data();
    std::vector<std::uint8_t> rgb;
    int components = 4;
    if (!withAlpha) {
        rgb.resize(image.rgba.size() / 4 * 3);
        for (std::size_t i = 0, j = 0; i < image.rgba.size(); i += 4, j += 3) {
            rgb[j] = image.rgba[i];
            rgb[j + 1] = image.rgba[i + 1];
            rgb[j + 2] = image.rgba[i + 2];
        }
        src = rgb.data();
        components = 3;
    }
    // stb lays out the PNG (rows filtered, chunks, checksums); the compressor is ours, plugged
    // in where the library lets one (see StbImpl.cpp).
    std::vector<std::uint8_t> png;
    if (!stbi_write_png_to_func(AppendBytes, &png, image.width, image.height, components, src,
                                image.width * components))
        return {};
    return png;
}

bool WritePngFile(const std::filesystem::path& path, const texture::RgbaImage& image, bool withAlpha,
                  common::IFileSystem& fs)
{
    const std::vector<std::uint8_t> png = EncodePng(image, withAlpha);
    return !png.empty() && common::WriteFileAtomically(path, png, fs);
}

} // namespace interchange
