#include "texture/TexFormat.h"

#include <cstdint>
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
    return static_cast<std::uint16_t>(Reduce8To5(bgra[0]) | (Reduce8To5(bgra[1]) << 5) | (Reduce8To5(bgra[2]) << 10) |
                                      (AlphaBit(bgra[3]) << 15));
}

namespace {

// |xRes * yRes| and |bpp / 8| with the sign of their product: x * y fits in 63 bits and
// bpp / 8 in 29, so only the last multiplication can leave 64 bits.
struct LengthFactors {
    bool negative;
    std::uint64_t area;
    std::uint64_t depthBytes;
};

LengthFactors Factors(const TexHeader& h)
{
    const std::int64_t area = static_cast<std::int64_t>(h.xRes) * h.yRes;
    const std::int64_t d = h.bpp / 8;
    return {(area < 0) != (d < 0) && area != 0 && d != 0,
            area < 0 ? 0 - static_cast<std::uint64_t>(area) : static_cast<std::uint64_t>(area),
            static_cast<std::uint64_t>(d < 0 ? -d : d)};
}

} // namespace

std::int64_t ExpectedTexLength(const TexHeader& h, bool* fits)
{
    const LengthFactors f = Factors(h);
    constexpr std::uint64_t limit = static_cast<std::uint64_t>(INT64_MAX) - TEX_HEADER_SIZE;
    const bool ok = f.depthBytes == 0 || f.area <= limit / f.depthBytes;
    if (fits)
        *fits = ok;
    if (!ok)
        return f.negative ? INT64_MIN : INT64_MAX;
    const auto m = static_cast<std::int64_t>(f.area * f.depthBytes);
    return (f.negative ? -m : m) + TEX_HEADER_SIZE;
}

std::string ExpectedTexLengthText(const TexHeader& h)
{
    bool fits = false;
    const std::int64_t v = ExpectedTexLength(h, &fits);
    if (fits)
        return std::to_string(v);

    // The magnitude as high * 10^9 + low; far from zero, so adding or taking away the header
    // never changes the sign.
    const LengthFactors f = Factors(h);
    constexpr std::uint64_t B = 1000000000;
    std::uint64_t low = (f.area % B) * f.depthBytes;
    std::uint64_t high = (f.area / B) * f.depthBytes + low / B;
    low %= B;
    if (!f.negative) {
        low += TEX_HEADER_SIZE;
    } else if (low >= TEX_HEADER_SIZE) {
        low -= TEX_HEADER_SIZE;
    } else {
        low += B - TEX_HEADER_SIZE;
        --high;
    }
    high += low / B;
    low %= B;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%09llu", static_cast<unsigned long long>(low));
    return (f.negative ? "-" : "") + std::to_string(high) + digits;
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
