#pragma once
// The textures of the scene on show, decoded once per scene. A name that cannot be found or
// read gives the magenta and black checkerboard, and is listed once among the missing.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "texture/TextureLookup.h"

namespace qm4edit {

class CTextureCache {
public:
    // Forgets every texture: a new scene, perhaps in another folder.
    void SetSceneFolder(const std::filesystem::path& folder);
    const std::filesystem::path& SceneFolder() const { return m_folder; }

    // The decoded texture of a name, or the checkerboard when it is missing or unreadable.
    // Reads the file on the first request of a scene only.
    const texture::RgbaImage& Get(const std::string& name);
    bool IsMissing(const std::string& name) const;
    // Missing names in the order they were first asked for.
    const std::vector<std::string>& MissingNames() const { return m_missing; }

    // 64 x 64, squares of 8 pixels, magenta in the top-left one.
    static const texture::RgbaImage& Checkerboard();

private:
    std::filesystem::path m_folder;
    std::map<std::string, texture::RgbaImage> m_loaded;
    std::vector<std::string> m_missing;
};

} // namespace qm4edit
