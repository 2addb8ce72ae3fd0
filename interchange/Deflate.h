#pragma once
// A zlib compressor built for speed rather than the smallest file: a single-probe LZ77 over
// the fixed Huffman codes. stb_image_write lays out the PNG and hands its filtered rows here
// (STBIW_ZLIB_COMPRESS); its own compressor, even at its lowest level, takes many times as
// long on a 512 x 512 texture, and every PNG reader accepts this output.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace interchange::png {

// The zlib stream of data (a deflate stream with its header and Adler-32), as PNG's IDAT holds.
std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t size);

} // namespace interchange::png
