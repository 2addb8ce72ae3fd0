#pragma once
// Sections 1 to 5: lists of fixed-size records, each ending in the section end marker.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/ByteReader.h"
#include "common/ByteWriter.h"
#include "common/UserError.h"
#include "scene/SceneMessages.h"
#include "scene/SceneRecords.h"

namespace scene {

inline constexpr std::uint32_t SECTION_END_MARKER = 0x12345678;

template <class Record, Section S>
class CRecordList {
public:
    // Reads the section; on any failure the list is left empty and common::UserError is
    // thrown with the section's message.
    void Serialize(common::ByteReader& ar);
    void Serialize(common::ByteWriter& ar) const;
    // Bytes the section takes in the file.
    std::size_t SerializedSize() const { return 8 + m_records.size() * sizeof(Record); }
    void Clear()
    {
        m_records.clear();
        m_records.shrink_to_fit();
    }

    int GetCount() const { return static_cast<int>(m_records.size()); }
    bool IsValidIndex(std::size_t i) const { return i < m_records.size(); }
    const Record& GetAt(std::size_t i) const { return m_records[i]; } // unchecked
    std::span<const Record> Records() const { return m_records; }
    std::span<Record> Records() { return m_records; }

protected:
    std::vector<Record> m_records;
};

// Section 1. Positions are stored through the document so that its modified flag follows.
class CVertexList : public CRecordList<ObjectVertex, Section::ObjectVertices> {
public:
    // Out-of-range indices give (0, 0, 0).
    ObjectVertex GetVertex(std::size_t i) const
    {
        return i < m_records.size() ? m_records[i] : ObjectVertex{0.0f, 0.0f, 0.0f};
    }
    // Returns false, storing nothing, when i is out of range.
    bool SetVertex(std::size_t i, float x, float y, float z)
    {
        if (i >= m_records.size())
            return false;
        m_records[i] = ObjectVertex{x, y, z};
        return true;
    }
};

// Sections 2 to 4. Only the low 16 bits of an index are used; a missing record gives zeros.
template <class Record, Section S>
class CTexVertexList : public CRecordList<Record, S> {
public:
    Record GetTexVertex(std::uint32_t index) const
    {
        const std::size_t i = index & 0xFFFFu;
        if (i < this->m_records.size())
            return this->m_records[i];
        Record zero{};
        return zero;
    }
};

class CUnlitTexVertexList : public CTexVertexList<UnlitTexVertex, Section::UnlitTexVertices> {};
class CPrelitTexVertexList : public CTexVertexList<PrelitTexVertex, Section::PrelitTexVertices> {};
class CLitTexVertexList : public CTexVertexList<LitTexVertex, Section::LitTexVertices> {};

// Section 5: carried, never interpreted.
class CLightSourceList : public CRecordList<LightSource, Section::LightSources> {};

// ---- implementation ----

template <class Record, Section S>
void CRecordList<Record, S>::Serialize(common::ByteReader& ar)
{
    Clear();
    try {
        const std::int32_t n = ar.I32();
        // The count must fit in what is left, so a hostile count never drives an allocation.
        if (n < 0 || static_cast<std::uint64_t>(n) * sizeof(Record) > ar.Remaining())
            throw common::ShortRead();
        m_records.resize(static_cast<std::size_t>(n));
        ar.ReadInto(m_records.data(), m_records.size() * sizeof(Record));
        if (ar.U32() != SECTION_END_MARKER) {
            Clear();
            throw common::UserError(BadValueMessage(S));
        }
    } catch (const common::ShortRead&) {
        Clear();
        throw common::UserError(EndOfFileMessage(S));
    }
}

template <class Record, Section S>
void CRecordList<Record, S>::Serialize(common::ByteWriter& ar) const
{
    ar.I32(static_cast<std::int32_t>(m_records.size()));
    ar.Bytes(m_records.data(), m_records.size() * sizeof(Record));
    ar.U32(SECTION_END_MARKER);
}

} // namespace scene
