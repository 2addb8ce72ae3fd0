#pragma once
// The one PNG/BMP codec of the project: decoding either format to straight 8-bit RGBA and
// encoding RGBA to PNG. Everything that reads or writes those images goes through here.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/AtomicFile.h"
#include "texture/TextureLookup.h"

namespace interchange {

// Images larger than this on either side are refused before anything is allocated.
inline constexpr int MAX_IMAGE_SIDE = 16384;

struct DecodedImage {
    texture::RgbaImage image; // row 0 at the top
    // The file carries an alpha channel (or a transparency entry): a 32-bit source.
    // Without it the image is a 24-bit source and every alpha byte is 255.
    bool hasAlpha = false;
};

struct DecodeResult {
    std::optional<DecodedImage> image;
    std::string message; // why not, when image is empty
    // The image was refused for its size alone, which width and height then give.
    bool tooLarge = false;
    int width = 0;
    int height = 0;
};

// PNG or BMP bytes, told apart by their signature. Any other bytes, a damaged file or an
// image beyond maxSide (at most MAX_IMAGE_SIDE) gives a message instead; its size is known
// from the header before anything is decoded.
DecodeResult DecodeImage(std::span<const std::uint8_t> bytes, int maxSide = MAX_IMAGE_SIDE);
// Reads and decodes a file; a file that cannot be read gives a message too.
DecodeResult DecodeImageFile(const std::filesystem::path& path, int maxSide = MAX_IMAGE_SIDE);

// Encodes RGBA (width * height * 4 bytes, row 0 at the top) as a PNG with an alpha channel,
// or, with withAlpha false, as an RGB PNG that drops the alpha bytes. A fast compression
// level is used: these files are exchanged, not archived. Empty on invalid dimensions.
std::vector<std::uint8_t> EncodePng(const texture::RgbaImage& image, bool withAlpha = true);

// EncodePng, then the shared atomic save. False (any earlier file untouched) on failure.
bool WritePngFile(const std::filesystem::path& path, const texture::RgbaImage& image, bool withAlpha = true,
                  common::IFileSystem& fs = common::RealFileSystem());

} // namespace interchange
