#pragma once
// Previews of textures and scenes for file managers, drawn without any GUI toolkit: the
// texture scaled to fit a square, and the scene from three-quarters above by a small software
// rasterizer with a depth buffer.

#include <filesystem>

#include "scene/QM4EditDoc.h"
#include "texture/PixloomDoc.h"
#include "texture/TextureLookup.h"

namespace interchange {

// Sizes a preview may be asked for, in pixels (file managers ask for 128 to 1024).
inline constexpr int MIN_THUMBNAIL_SIZE = 1;
inline constexpr int MAX_THUMBNAIL_SIZE = 2048;

// The image scaled to fit size x size with its aspect ratio kept: the longer side becomes
// size. Shrinking averages the pixels each output pixel covers (weighted by alpha, so
// transparent pixels lend no colour); enlarging repeats them. Empty for an empty image or a
// size out of range.
texture::RgbaImage ScaleToFit(const texture::RgbaImage& image, int size);

// The loaded texture's preview. Alpha is kept, except that a texture whose alpha is zero
// everywhere (what a texture made from an image without alpha holds) is shown opaque: an
// invisible preview would tell the user nothing.
texture::RgbaImage TextureThumbnail(const texture::CPixloomDoc& doc, int size);

// The loaded scene seen from three-quarters above, fitted into size x size on a transparent
// background. Faces are textured where their texture is found beside the scene (as the
// editor finds it) and flat-shaded grey otherwise. Polygons with indices out of range or
// positions that are not finite are left out. Empty for a size out of range.
texture::RgbaImage SceneThumbnail(const scene::CQM4EditDoc& doc, const std::filesystem::path& sceneFolder, int size);

} // namespace interchange
