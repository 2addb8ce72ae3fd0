#pragma once
// A PNG encoder built for speed rather than the smallest file: one filter per row and a
// single-probe LZ77 over fixed Huffman codes. It turns a 512 x 512 texture into a PNG in a
// few milliseconds where general-purpose compressors at their lowest level take many times
// that, and every PNG reader accepts its output.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace interchange::png {

// Pixels are width * height * components bytes, row 0 at the top; components is 3 (RGB) or
// 4 (RGBA). The caller checks the dimensions.
std::vector<std::uint8_t> Encode(const std::uint8_t* pixels, int width, int height, int components);

// The zlib stream of data (a deflate stream with its header and Adler-32), as PNG's IDAT holds.
std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t size);

} // namespace interchange::png
