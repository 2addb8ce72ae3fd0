#include "scene/VertexObjectIndex.h"

#include <algorithm>
#include <limits>

#include "scene/ObjectInfo.h"

namespace scene {

void CVertexObjectIndex::Clear()
{
    m_built = false;
    m_first.clear();
    m_first.shrink_to_fit();
    m_objects.clear();
    m_objects.shrink_to_fit();
}

void CVertexObjectIndex::Build(const CObjectInfoList& objects, std::size_t vertexCount)
{
    Clear();
    const std::size_t n = std::min(vertexCount, MAX_USED_VERTICES);
    constexpr std::uint32_t NONE = std::numeric_limits<std::uint32_t>::max();
    // Objects come in ascending order, so remembering the last object counted per vertex is
    // enough to count each pair once.
    std::vector<std::uint32_t> last(n, NONE);
    std::vector<std::uint32_t> count(n + 1, 0);
    auto forEachPair = [&](auto&& visit) {
        std::fill(last.begin(), last.end(), NONE);
        for (int i = 0; i < objects.GetObjectCount(); ++i) {
            const auto o = static_cast<std::uint32_t>(i);
            for (const PolygonRecord& p : objects.GetObjectRecord(o).polygons) {
                for (int k = 0; k < 3; ++k) {
                    const std::size_t v = p.vertex[k];
                    if (v < n && last[v] != o) {
                        last[v] = o;
                        visit(v, o);
                    }
                }
            }
        }
    };
    forEachPair([&](std::size_t v, std::uint32_t) { ++count[v + 1]; });
    for (std::size_t v = 0; v < n; ++v)
        count[v + 1] += count[v];
    m_objects.resize(count[n]);
    m_first = count;
    forEachPair([&](std::size_t v, std::uint32_t o) { m_objects[count[v]++] = o; });
    m_built = true;
}

std::span<const std::uint32_t> CVertexObjectIndex::ObjectsUsing(std::size_t vertex) const
{
    if (vertex + 1 >= m_first.size())
        return {};
    return std::span<const std::uint32_t>(m_objects).subspan(m_first[vertex], m_first[vertex + 1] - m_first[vertex]);
}

} // namespace scene
