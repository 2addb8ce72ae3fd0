#include "texture/TextureLookup.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

#include "common/Prompt.h"
#include "texture/PixloomDoc.h"

namespace texture {
namespace {

// Swallows every message: a texture that cannot be read only shows as missing.
class SilentPrompt final : public common::IPrompt {
public:
    void ShowMessage(const std::string&, common::MessageIcon) override {}
    bool AskYesNo(const std::string&, common::MessageIcon) override { return false; }
};

#ifndef _WIN32
bool EqualNoCase(const std::string& a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
#endif

std::optional<std::filesystem::path> FindIn(const std::filesystem::path& folder, std::string_view name)
{
    std::error_code ec;
    const std::filesystem::path exact = folder / std::filesystem::path(std::u8string(name.begin(), name.end()));
    if (std::filesystem::is_regular_file(exact, ec))
        return exact;
#ifndef _WIN32
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto u8 = it->path().filename().u8string();
        if (EqualNoCase(std::string(u8.begin(), u8.end()), name) && it->is_regular_file(ec))
            return it->path();
    }
#endif
    return std::nullopt;
}

} // namespace

std::optional<std::filesystem::path> FindTextureFile(const std::filesystem::path& sceneFolder,
                                                     std::string_view textureName)
{
    // A name that climbs out of the scene's folder or names a folder is no texture of this scene.
    if (textureName.empty() || textureName.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::filesystem::path asPath(std::u8string(textureName.begin(), textureName.end()));
    if (asPath.has_root_path() || asPath.has_parent_path())
        return std::nullopt;

    std::string withExt(textureName);
    const bool hasExt = asPath.has_extension();
    if (!hasExt)
        withExt += ".tex";
    for (const auto& folder : {sceneFolder, sceneFolder / "textures"}) {
        if (auto found = FindIn(folder, withExt))
            return found;
    }
    return std::nullopt;
}

RgbaImage ToRgba(const CPixloomDoc& doc)
{
    RgbaImage img;
    const TexHeader& h = doc.GetHeader();
    if (!doc.IsLoaded() || h.xRes <= 0 || h.yRes <= 0 || h.xRes > TEX_MAX_RES || h.yRes > TEX_MAX_RES)
        return img;
    img.width = h.xRes;
    img.height = h.yRes;
    img.rgba.resize(static_cast<std::size_t>(h.xRes) * static_cast<std::size_t>(h.yRes) * 4);
    std::uint8_t* d = img.rgba.data();
    for (int y = 0; y < h.yRes; ++y) {
        for (int x = 0; x < h.xRes; ++x, d += 4) {
            const std::uint8_t* p = doc.GetPixel(x, y);
            d[0] = p[2];
            d[1] = p[1];
            d[2] = p[0];
            d[3] = h.bpp == 32 ? p[3] : h.bpp == 16 ? (p[3] ? 255 : 0) : 255;
        }
    }
    return img;
}

std::optional<RgbaImage> LoadTextureRgba(const std::filesystem::path& path)
{
    CPixloomDoc doc;
    SilentPrompt prompt;
    if (!doc.OnOpenDocument(path, prompt) || !doc.IsLoaded())
        return std::nullopt;
    RgbaImage img = ToRgba(doc);
    // An empty texture used to come back as an image of no pixels; keep it that way.
    img.width = doc.GetHeader().xRes;
    img.height = doc.GetHeader().yRes;
    return img;
}

} // namespace texture
