#pragma once
// A texture as a PNG or BMP image, by the file's extension, for every program that exchanges
// textures: Pixloom's Export and Import and textool take the same road, so an image written
// or read by one is written or read alike by the other.

#include <filesystem>

#include "texture/PixloomDoc.h"

namespace interchange {

// ".png" or ".bmp" (any case): the image codec's business; any other name is a Targa's.
bool IsCodecImageName(const std::filesystem::path& path);
// ".png" (any case): exports go to PNG; everything else stays a Targa export.
bool IsPngName(const std::filesystem::path& path);

// Writes exactly the pixels a Targa export carries as a PNG, atomically; with alpha unless
// the texture has none. The document is not changed.
texture::TexResult ExportTexturePng(const texture::CPixloomDoc& doc, const std::filesystem::path& path);

// The first step of an import from any image file: PNG and BMP decoded through the codec,
// everything else read as a Targa. The checks and the depth question are the Targa's;
// ConvertTarga takes the result.
texture::TargaCheck CheckImageFile(texture::CPixloomDoc& doc, const std::filesystem::path& path);

// The first step of New from Image: PNG and BMP decoded through the codec (an image larger
// than a texture is refused from its header, before it is decoded), everything else read as
// a Targa. CPixloomDoc::NewFromImage takes the result.
texture::TargaCheck CheckNewImageFile(texture::CPixloomDoc& doc, const std::filesystem::path& path);

} // namespace interchange
