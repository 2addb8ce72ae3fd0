#include "scene/NameList.h"

#include <cstring>

#include "common/UserError.h"
#include "scene/RecordLists.h"

namespace scene {

void CNameList::Clear()
{
    m_names.clear();
    m_names.shrink_to_fit();
}

void CNameList::Serialize(common::ByteReader& ar)
{
    Clear();
    try {
        const std::int32_t n = ar.I32();
        // Every entry takes at least its 4-byte length.
        if (n < 0 || static_cast<std::uint64_t>(n) * 4 > ar.Remaining())
            throw common::ShortRead();
        m_names.resize(static_cast<std::size_t>(n));
        for (std::string& name : m_names) {
            const std::uint32_t length = ar.U32();
            auto bytes = ar.Bytes(length); // throws before anything is allocated if too long
            name.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        }
        if (ar.U32() != SECTION_END_MARKER) {
            Clear();
            throw common::UserError(BadValueMessage(m_section));
        }
    } catch (const common::ShortRead&) {
        Clear();
        throw common::UserError(EndOfFileMessage(m_section));
    }
}

void CNameList::Serialize(common::ByteWriter& ar) const
{
    ar.I32(static_cast<std::int32_t>(m_names.size()));
    for (const std::string& name : m_names) {
        ar.U32(static_cast<std::uint32_t>(name.size()));
        ar.Text(name);
    }
    ar.U32(SECTION_END_MARKER);
}

std::size_t CNameList::SerializedSize() const
{
    std::size_t n = 8;
    for (const std::string& name : m_names)
        n += 4 + name.size();
    return n;
}

const std::string& CNameList::GetRawName(std::uint32_t index) const
{
    static const std::string none;
    const std::size_t i = index & 0xFFFFu;
    return i < m_names.size() ? m_names[i] : none;
}

std::string CNameList::GetName(std::uint32_t index) const
{
    const std::string& raw = GetRawName(index);
    return std::string(raw.c_str(), std::strlen(raw.c_str()));
}

} // namespace scene
