#pragma once
// Sections 8 and 9: counted lists of length-prefixed strings.
//
// Strings are kept byte for byte, whatever their length and even with zero bytes inside, so
// a file always saves back exactly as it was read. Only display cuts at the first zero.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/ByteReader.h"
#include "common/ByteWriter.h"
#include "scene/SceneMessages.h"

namespace scene {

class CNameList {
public:
    explicit CNameList(Section section) : m_section(section) {}

    void Serialize(common::ByteReader& ar);
    void Serialize(common::ByteWriter& ar) const;
    std::size_t SerializedSize() const;
    void Clear();

    int GetCount() const { return static_cast<int>(m_names.size()); }
    // The stored bytes of entry index (low 16 bits), or an empty string if there is none.
    const std::string& GetRawName(std::uint32_t index) const;
    // The same, up to its first zero byte: what the user sees.
    std::string GetName(std::uint32_t index) const;
    const std::vector<std::string>& Names() const { return m_names; }
    void SetNames(std::vector<std::string> names) { m_names = std::move(names); }

private:
    Section m_section;
    std::vector<std::string> m_names;
};

} // namespace scene
