#include "texture/TexMessages.h"

namespace texture::msg {

namespace {

const char* TargaLeadingText(unsigned imageType)
{
    switch (imageType) {
    case 0: return "TGA: No Image Data";
    case 1: return "TGA: Uncompressed ColorMap";
    case 3: return "TGA: Uncompressed B/W";
    case 9: return "TGA: Run-Length Encoded ColorMap";
    case 10: return "TGA: Run-Length Encoded RGB";
    case 11: return "TGA: Compressed B/W";
    case 32:
    case 33: return "TGA: Compressed Colormap";
    default: return "The selected file";
    }
}

std::string TargaName(const std::string& path)
{
    return path.empty() ? std::string("The Targa file") : "The Targa file \"" + path + "\"";
}

} // namespace

std::string WrongTexLength(std::int64_t expected, std::int64_t actual)
{
    return WrongTexLength(std::to_string(expected), actual);
}

std::string WrongTexLength(const std::string& expected, std::int64_t actual)
{
    return "Expecting file of length " + expected + " but received file of length " + std::to_string(actual);
}

std::string UnrecognizedBitDepth(std::int32_t bpp)
{
    return "Unrecognized bit depth " + std::to_string(bpp);
}

std::string TexTooLarge(std::int32_t xRes, std::int32_t yRes)
{
    if (xRes < 0 || yRes < 0)
        return "The texture's size is invalid.  Pixloom can only open textures of at most 512 by 512 pixels.";
    return "The texture is " + std::to_string(xRes) + " by " + std::to_string(yRes) +
        " pixels.  Pixloom can only open textures of at most 512 by 512 pixels.";
}

std::string NewImageSize(std::int64_t width, std::int64_t height)
{
    return "The image is " + std::to_string(width) + " by " + std::to_string(height) +
        " pixels.  A texture must be from 1 to 512 pixels on each side.";
}

std::string UnsupportedTarga(unsigned imageType)
{
    return std::string(TargaLeadingText(imageType)) +
        " is an unsupported image format.  Pixloom only supports uncompressed, unmapped 16-, 24- or "
        "32-BPP RGB Targa images.  Please save your TGA file in one of these modes.";
}

std::string TargaWrongSize(std::int32_t xRes, std::int32_t yRes)
{
    return "The Targa file you selected to import is a different size than the original TEX image.  Please "
           "select or create an image that is " +
        std::to_string(xRes) + " by " + std::to_string(yRes) + " in resolution.";
}

std::string TargaDepthQuestion(unsigned targaDepth, std::int32_t bpp)
{
    const bool down = static_cast<std::int64_t>(targaDepth) > bpp;
    return "The Targa image has a bit-per-pixel level of " + std::to_string(targaDepth) +
        " while the original TEX image has a BPP level of " + std::to_string(bpp) + ".  Do you want me to " +
        (down ? "downgrade" : "upgrade") +
        " the BPP of the data from the Targa file to match the level of the TEX image?  This could cause "
        "loss of important image information such as alpha settings.";
}

std::string TargaTruncated(const std::string& path, std::uint64_t needed, std::uint64_t actual)
{
    return TargaName(path) + " is shorter than its header says: it should hold at least " + std::to_string(needed) +
        " bytes but holds " + std::to_string(actual) + ".  Nothing was imported.";
}

std::string TargaRunPastImage(const std::string& path)
{
    return TargaName(path) +
        " is damaged: its compressed pixel data runs past the end of the image.  Nothing was "
        "imported.";
}

std::string CannotOpen(const std::string& path)
{
    return "Cannot open the file \"" + path + "\".";
}

std::string CannotWrite(const std::string& path)
{
    return "Cannot write the file \"" + path + "\".  The previous contents, if any, are unchanged.";
}

} // namespace texture::msg
