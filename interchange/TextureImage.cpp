#include "interchange/TextureImage.h"

#include <cctype>
#include <string>

#include "interchange/ImageCodec.h"
#include "texture/TexMessages.h"

namespace interchange {

namespace {

std::string LowerExtension(const std::filesystem::path& path)
{
    std::string ext = common::PathToUtf8(path.extension());
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

bool IsCodecImageName(const std::filesystem::path& path)
{
    const std::string ext = LowerExtension(path);
    return ext == ".png" || ext == ".bmp";
}

bool IsPngName(const std::filesystem::path& path)
{
    return LowerExtension(path) == ".png";
}

texture::TexResult ExportTexturePng(const texture::CPixloomDoc& doc, const std::filesystem::path& path)
{
    texture::RgbaImage image;
    bool withAlpha = true;
    doc.WriteRgba(image.rgba, withAlpha);
    image.width = doc.GetHeader().xRes;
    image.height = doc.GetHeader().yRes;
    if (!WritePngFile(path, image, withAlpha))
        return texture::TexResult::Fail(texture::msg::CannotWrite(common::PathToUtf8(path)),
                                        common::MessageIcon::Exclamation);
    return {};
}

texture::TargaCheck CheckImageFile(texture::CPixloomDoc& doc, const std::filesystem::path& path)
{
    if (!IsCodecImageName(path))
        return doc.CheckTarga(path);
    const DecodeResult decoded = DecodeImageFile(path);
    if (!decoded.image) {
        texture::TargaCheck check;
        check.result = texture::TexResult::Fail(decoded.message, common::MessageIcon::Stop);
        return check;
    }
    const texture::RgbaImage& image = decoded.image->image;
    return doc.CheckRgba(image.rgba, static_cast<unsigned>(image.width), static_cast<unsigned>(image.height),
                         decoded.image->hasAlpha);
}

texture::TargaCheck CheckNewImageFile(texture::CPixloomDoc& doc, const std::filesystem::path& path)
{
    if (!IsCodecImageName(path))
        return doc.CheckNewTarga(path);
    const DecodeResult decoded = DecodeImageFile(path, texture::TEX_MAX_RES);
    texture::TargaCheck check;
    if (decoded.tooLarge) {
        check.result = texture::TexResult::Fail(texture::msg::NewImageSize(decoded.width, decoded.height),
                                                common::MessageIcon::Stop);
        return check;
    }
    if (!decoded.image) {
        check.result = texture::TexResult::Fail(decoded.message, common::MessageIcon::Stop);
        return check;
    }
    const texture::RgbaImage& image = decoded.image->image;
    return doc.CheckNewRgba(image.rgba, static_cast<unsigned>(image.width), static_cast<unsigned>(image.height),
                            decoded.image->hasAlpha);
}

} // namespace interchange
