#include "editor/perspective/TextureCache.h"

#include <algorithm>

namespace qm4edit {

void CTextureCache::SetSceneFolder(const std::filesystem::path& folder)
{
    m_folder = folder;
    m_loaded.clear();
    m_missing.clear();
}

bool CTextureCache::IsMissing(const std::string& name) const
{
    return std::find(m_missing.begin(), m_missing.end(), name) != m_missing.end();
}

const texture::RgbaImage& CTextureCache::Get(const std::string& name)
{
    if (const auto it = m_loaded.find(name); it != m_loaded.end())
        return it->second;
    if (IsMissing(name))
        return Checkerboard();
    std::optional<texture::RgbaImage> image;
    if (!name.empty())
        if (const auto path = texture::FindTextureFile(m_folder, name))
            image = texture::LoadTextureRgba(*path);
    if (!image || image->width <= 0 || image->height <= 0) {
        m_missing.push_back(name);
        return Checkerboard();
    }
    return m_loaded.emplace(name, std::move(*image)).first->second;
}

const texture::RgbaImage& CTextureCache::Checkerboard()
{
    static const texture::RgbaImage board = [] {
        texture::RgbaImage img;
        img.width = img.height = 64;
        img.rgba.resize(64 * 64 * 4);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool magenta = ((x / 8) + (y / 8)) % 2 == 0;
                std::uint8_t* p = &img.rgba[static_cast<std::size_t>((y * 64 + x) * 4)];
                p[0] = magenta ? 255 : 0;
                p[1] = 0;
                p[2] = magenta ? 255 : 0;
                p[3] = 255;
            }
        return img;
    }();
    return board;
}

} // namespace qm4edit
