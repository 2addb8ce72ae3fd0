#pragma once
// The TEX texture layout and the 5-bit/8-bit channel conversions shared by the TEX and
// Targa 16-bit pixel formats.

#include <cstdint>
#include <string>

namespace texture {

// The pixel store holds at most this many columns and rows.
constexpr int TEX_MAX_RES = 512;

// Bytes of one pixel in the store: blue, green, red, alpha.
constexpr int TEX_PIXEL_BYTES = 4;

constexpr int TEX_HEADER_SIZE = 32;
constexpr int TEX_FILLER_SIZE = 20;

// The first 32 bytes of a TEX file, byte for byte (integers little-endian on disk).
struct TexHeader {
    std::uint8_t filler[TEX_FILLER_SIZE] = {}; // not interpreted; written back unchanged
    std::int32_t xRes = 0;
    std::int32_t yRes = 0;
    std::int32_t bpp = 0;
};
static_assert(sizeof(TexHeader) == TEX_HEADER_SIZE, "TexHeader must match the file layout");

// 5-bit channel (0..31) to 8 bits. 31 gives 254, not 255: the historic constant is kept so
// that textures look exactly as they always have.
std::uint8_t Expand5To8(unsigned c);

// 8-bit channel to 5 bits, rounded to nearest, so that Reduce8To5(Expand5To8(c)) == c and
// 16-bit textures survive any number of export/import/save round trips.
std::uint8_t Reduce8To5(unsigned v);

// The one alpha bit of a 16-bit pixel from the 8-bit alpha byte of the store. Pixels from
// 16- and 24-bit sources hold 0 or 1 there; a full byte (from a 32-bit Targa) counts as set
// from 128 up.
inline unsigned AlphaBit(std::uint8_t a)
{
    return a <= 1 ? a : (a >= 128 ? 1u : 0u);
}

// The 16-bit TEX word (5-5-1-5: red, green, alpha, blue from the top) and the 16-bit Targa
// word (1-5-5-5: alpha, red, green, blue).
void DecodeTex16(std::uint16_t w, std::uint8_t* bgra);
std::uint16_t EncodeTex16(const std::uint8_t* bgra);
void DecodeTga16(std::uint16_t w, std::uint8_t* bgra);
std::uint16_t EncodeTga16(const std::uint8_t* bgra);

// Length a well-formed TEX file with this header has: xRes * yRes * (bpp / 8) + 32, with the
// division truncated toward zero. Exact whenever it fits in 64 bits (fits, when given, says
// whether it did); otherwise the result saturates and only the text form below is exact.
std::int64_t ExpectedTexLength(const TexHeader& h, bool* fits = nullptr);

// The same length in decimal, exact however large the header's values (up to about 2^90).
std::string ExpectedTexLengthText(const TexHeader& h);

// The filler as the header dialog and textool show it: ten groups of two bytes in upper-case
// hex, separated by single blanks ("0001 0203 ... 1213").
std::string FormatFiller(const TexHeader& h);

} // namespace texture
