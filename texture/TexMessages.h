#pragma once
// Every text the texture core shows the user, and the file-dialog filters the texture tool
// uses, in one place.

#include <cstdint>
#include <string>

namespace texture::msg {

inline constexpr const char* TEX_FILTER = "TEX Files (*.tex)|*.tex|All Files (*.*)|*.*||";
inline constexpr const char* TEX_DEFAULT_EXT = ".tex";
inline constexpr const char* TGA_FILTER = "Targa Files (*.tga)|*.tga|All Files (*.*)|*.*||";
inline constexpr const char* TGA_DEFAULT_EXT = ".tga";

inline constexpr const char* NOT_A_TEX = "Unrecognized file type.  Please choose a TEX file to open.";
inline constexpr const char* NOT_A_TGA_EXPORT = "Unrecognized file type.  Please choose a Targa file for export.";
inline constexpr const char* NOT_A_TGA_IMPORT = "Unrecognized file type.  Please choose a Targa file for import.";

// "Expecting file of length %d but received file of length %d"
std::string WrongTexLength(std::int64_t expected, std::int64_t actual);
std::string WrongTexLength(const std::string& expected, std::int64_t actual);
// "Unrecognized bit depth %d"
std::string UnrecognizedBitDepth(std::int32_t bpp);
// Textures the store cannot hold: wider or taller than 512, or of a negative size.
std::string TexTooLarge(std::int32_t xRes, std::int32_t yRes);

// An image that cannot become a new texture: empty, or wider or taller than the store.
std::string NewImageSize(std::int64_t width, std::int64_t height);

// Leading text by Targa image type, followed by the unsupported-format sentence.
std::string UnsupportedTarga(unsigned imageType);
// "The Targa file you selected to import is a different size ... %d by %d in resolution."
std::string TargaWrongSize(std::int32_t xRes, std::int32_t yRes);
// The downgrade (Targa deeper than the texture) or upgrade question.
std::string TargaDepthQuestion(unsigned targaDepth, std::int32_t bpp);
// A Targa that ends before its header or pixel data does (path may be empty).
std::string TargaTruncated(const std::string& path, std::uint64_t needed, std::uint64_t actual);
// A run-length Targa whose packets describe more pixels than the image has.
std::string TargaRunPastImage(const std::string& path);

// Files that cannot be opened, read or written.
std::string CannotOpen(const std::string& path);
std::string CannotWrite(const std::string& path);

} // namespace texture::msg
