#include "scene/VertexEdit.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace scene {

namespace {

bool SameBits(const ObjectVertex& a, const ObjectVertex& b)
{
    return std::memcmp(&a, &b, sizeof(ObjectVertex)) == 0;
}

ObjectVertex PositionOf(const VertexChange& c)
{
    return ObjectVertex{c.x, c.y, c.z};
}

// The last request for each vertex inside the list, ascending by vertex.
std::vector<VertexChange> LastPerVertex(std::vector<VertexChange> requested, std::size_t vertexCount)
{
    std::erase_if(requested, [&](const VertexChange& c) {
        return c.index < 0 || static_cast<std::size_t>(c.index) >= vertexCount;
    });
    if (requested.size() <= 64) {
        // A handful: a stable sort keeps the requests of one vertex in order, the last wins.
        std::stable_sort(requested.begin(), requested.end(),
                         [](const VertexChange& a, const VertexChange& b) { return a.index < b.index; });
        std::vector<VertexChange> out;
        for (const VertexChange& c : requested) {
            if (!out.empty() && out.back().index == c.index)
                out.back() = c;
            else
                out.push_back(c);
        }
        return out;
    }
    // Imports name up to every vertex: one slot per vertex beats sorting.
    constexpr std::uint32_t NONE = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> slot(vertexCount, NONE);
    for (std::size_t i = 0; i < requested.size(); ++i)
        slot[static_cast<std::size_t>(requested[i].index)] = static_cast<std::uint32_t>(i);
    std::vector<VertexChange> out;
    for (const std::uint32_t s : slot)
        if (s != NONE)
            out.push_back(requested[s]);
    return out;
}

} // namespace

// ---- CVertexEdit ----

CVertexEdit::CVertexEdit(std::vector<VertexChange> changes) : m_requested(std::move(changes))
{}

void CVertexEdit::Capture(const CQM4EditDoc& doc)
{
    const auto vertices = doc.ObjectVertices().Records();
    for (const VertexChange& c : LastPerVertex(std::move(m_requested), vertices.size())) {
        const ObjectVertex before = vertices[static_cast<std::size_t>(c.index)];
        const ObjectVertex after = PositionOf(c);
        if (SameBits(before, after))
            continue;
        m_indices.push_back(c.index);
        m_positions.push_back({before, after});
    }
    m_requested.clear();
    m_requested.shrink_to_fit();
    m_indices.shrink_to_fit();
    m_positions.shrink_to_fit();
}

void CVertexEdit::Apply(CQM4EditDoc& doc)
{
    Apply(doc, true);
}

void CVertexEdit::Revert(CQM4EditDoc& doc)
{
    Revert(doc, true);
}

void CVertexEdit::Apply(CQM4EditDoc& doc, bool notify)
{
    if (m_applied)
        return;
    const bool first = !m_captured;
    if (first) {
        Capture(doc);
        m_captured = true;
    }
    m_applied = true;
    m_boundsBefore = doc.m_boundsState;
    if (HasEffect()) {
        const auto vertices = doc.MutableVertices();
        for (std::size_t i = 0; i < m_indices.size(); ++i)
            vertices[static_cast<std::size_t>(m_indices[i])] = m_positions[i].after;
        // Redo needs no log: the document stands where it stood at the first Apply, so the
        // recompute writes the same bytes again (whichever way it takes: both give
        // UpdateGeometry's).
        doc.RecomputeMoved(m_indices, first ? &m_objectLog : nullptr, first ? &m_sceneLog : nullptr);
        m_objectLog.Trim();
        m_sceneLog.nodes.shrink_to_fit();
        doc.SetModifiedFlag(true);
    }
    if (notify)
        doc.NotifyUpdateAllViews();
}

void CVertexEdit::Revert(CQM4EditDoc& doc, bool notify)
{
    if (!m_applied)
        return;
    m_applied = false;
    if (HasEffect()) {
        const auto vertices = doc.MutableVertices();
        for (std::size_t i = 0; i < m_indices.size(); ++i)
            vertices[static_cast<std::size_t>(m_indices[i])] = m_positions[i].before;
        doc.ObjectInfo().RestoreObjectBounds(m_objectLog);
        doc.SceneBounds().RestoreBounds(m_sceneLog);
        doc.SetModifiedFlag(true);
    }
    // Stale boxes put back are stale again.
    doc.m_boundsState = m_boundsBefore;
    if (notify)
        doc.NotifyUpdateAllViews();
}

std::size_t CVertexEdit::ByteSize() const
{
    return sizeof(*this) + m_requested.capacity() * sizeof(VertexChange) + m_indices.capacity() * sizeof(int) +
        m_positions.capacity() * sizeof(Positions) + m_objectLog.ByteSize() +
        m_sceneLog.nodes.capacity() * sizeof(SceneBoundsLog::Node);
}

// ---- CVertexDrag ----

CVertexDrag::CVertexDrag(CQM4EditDoc& doc, std::vector<int> vertices) : m_doc(doc)
{
    const std::size_t count = static_cast<std::size_t>(doc.GetVertexCount());
    for (const int v : vertices) {
        if (v < 0 || static_cast<std::size_t>(v) >= count)
            continue;
        if (std::find(m_indices.begin(), m_indices.end(), v) != m_indices.end())
            continue;
        m_indices.push_back(v);
        m_start.push_back(doc.GetVertex(v));
    }
    ++m_doc.m_nLiveDrags;
}

CVertexDrag::~CVertexDrag()
{
    --m_doc.m_nLiveDrags;
}

void CVertexDrag::Store(std::span<const VertexChange> positions)
{
    const auto vertices = m_doc.MutableVertices();
    for (const VertexChange& c : positions)
        vertices[static_cast<std::size_t>(c.index)] = PositionOf(c);
}

void CVertexDrag::MoveBy(float dx, float dy, float dz)
{
    std::vector<VertexChange> to(m_indices.size());
    for (std::size_t i = 0; i < m_indices.size(); ++i)
        to[i] = {m_indices[i], m_start[i].x + dx, m_start[i].y + dy, m_start[i].z + dz};
    Store(to);
    m_doc.NotifyUpdateAllViews();
}

void CVertexDrag::MoveTo(std::span<const ObjectVertex> positions)
{
    std::vector<VertexChange> to;
    for (std::size_t i = 0; i < m_indices.size() && i < positions.size(); ++i)
        to.push_back({m_indices[i], positions[i].x, positions[i].y, positions[i].z});
    Store(to);
    m_doc.NotifyUpdateAllViews();
}

void CVertexDrag::Cancel()
{
    const auto vertices = m_doc.MutableVertices();
    for (std::size_t i = 0; i < m_indices.size(); ++i)
        vertices[static_cast<std::size_t>(m_indices[i])] = m_start[i];
    m_doc.NotifyUpdateAllViews();
}

CVertexEdit CVertexDrag::Finish()
{
    const auto vertices = m_doc.MutableVertices();
    std::vector<VertexChange> to;
    for (std::size_t i = 0; i < m_indices.size(); ++i) {
        const ObjectVertex now = vertices[static_cast<std::size_t>(m_indices[i])];
        to.push_back({m_indices[i], now.x, now.y, now.z});
        vertices[static_cast<std::size_t>(m_indices[i])] = m_start[i];
    }
    return CVertexEdit(std::move(to));
}

} // namespace scene
