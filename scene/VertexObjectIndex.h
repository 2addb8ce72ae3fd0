#pragma once
// Which objects' polygons use each vertex: what a moved vertex makes stale.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace scene {

class CObjectInfoList;

class CVertexObjectIndex {
public:
    // Polygons name vertices by 16-bit index, so no vertex past this is ever used.
    static constexpr std::size_t MAX_USED_VERTICES = 65536;

    void Build(const CObjectInfoList& objects, std::size_t vertexCount);
    void Clear();
    bool IsBuilt() const { return m_built; }

    // The objects with a polygon naming the vertex, ascending, each once; none for a vertex
    // no polygon names.
    std::span<const std::uint32_t> ObjectsUsing(std::size_t vertex) const;
    // The vertices below this can be named by a polygon.
    std::size_t IndexedVertexCount() const { return m_first.empty() ? 0 : m_first.size() - 1; }
    std::size_t ByteSize() const { return (m_first.size() + m_objects.size()) * sizeof(std::uint32_t); }

private:
    bool m_built = false;
    std::vector<std::uint32_t> m_first; // vertex v's objects are m_objects[m_first[v] .. m_first[v + 1])
    std::vector<std::uint32_t> m_objects;
};

} // namespace scene
