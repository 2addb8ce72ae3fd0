#include "texture/TexFormat.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace texture {

std::uint8_t Expand5To8(unsigned c)
{
    // The single-precision float nearest 1/31, widened to double before multiplying.
    const double k = static_cast<double>(0.032258064f);
    return static_cast<std::uint8_t>(static_cast<double>(c & 31u) * k * 255.0);
}

std::uint8_t Reduce8To5(unsigned v)
{
    // floor(v * 31 / 255 + 0.5) in integers: exact, and the inverse of Expand5To8.
    return static_cast<std::uint8_t>(((v & 255u) * 62u + 255u) / 510u);
}

void DecodeTex16(std::uint16_t w, std::uint8_t* bgra)
{
    bgra[0] = Expand5To8(w & 31u);
    bgra[1] = Expand5To8((w >> 6) & 31u);
    bgra[2] = Expand5To8((w >> 11) & 31u);
    bgra[3] = static_cast<std::uint8_t>((w >> 5) & 1u);
}

std::uint16_t EncodeTex16(const std::uint8_t* bgra)
{
    return static_cast<std::uint16_t>((Reduce8To5(bgra[2]) << 11) | (Reduce8To5(bgra[1]) << 6) |
                                      (AlphaBit(bgra[3]) << 5) | Reduce8To5(bgra[0]));
}

void DecodeTga16(std::uint16_t w, std::uint8_t* bgra)
{
    bgra[0] = Expand5To8(w & 31u);
    bgra[1] = Expand5To8((w >> 5) & 31u);
    bgra[2] = Expand5To8((w >> 10) & 31u);
    bgra[3] = static_cast<std::uint8_t>((w >> 15) & 1u);
}

std::uint16_t EncodeTga16(const std::uint8_t* bgra)
{
    return static_cast<std::uint16_t>(Reduce8To5(bgra[0]) | (Reduce8To5(bgra[1]) << 5) |
                                      (Reduce8To5(bgra[2]) << 10) | (AlphaBit(bgra[3]) << 15));
}

std::int64_t ExpectedTexLength(const TexHeader& h)
{
    // xRes * yRes always fits in 64 bits, but a hostile depth can push the product past
    // them. Such a length matches no file, so it saturates rather than overflowing.
    const std::int64_t pixels = static_cast<std::int64_t>(h.xRes) * h.yRes;
    const std::int64_t bytesPerPixel = h.bpp / 8;
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 2;
    if (pixels != 0 && std::abs(bytesPerPixel) > limit / std::abs(pixels))
        return ((pixels < 0) != (bytesPerPixel < 0) ? -limit : limit) + TEX_HEADER_SIZE;
    return pixels * bytesPerPixel + TEX_HEADER_SIZE;
}

std::string FormatFiller(const TexHeader& h)
{
    std::string out;
    out.reserve(49);
    char buf[3];
    for (int i = 0; i < TEX_FILLER_SIZE; ++i) {
        if (i > 0 && i % 2 == 0)
            out += ' ';
        std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(h.filler[i]));
        out += buf;
    }
    return out;
}

} // namespace texture
