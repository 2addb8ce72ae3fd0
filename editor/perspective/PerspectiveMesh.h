#pragma once
// The perspective view's geometry in the form the graphics card takes it, built from the
// document without any OpenGL so that it can be checked and timed on its own.
//
// Every polygon corner is one vertex (position and texture coordinate): corners that share
// a position rarely share a texture coordinate, so nothing would be gained by sharing them.
// The corners are stored grouped by texture, so each texture is one run of vertices drawn
// without an index list. Moving vertices rewrites only the corners that stand on them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scene/SceneRecords.h"

namespace scene {
class CQM4EditDoc;
}

namespace qm4edit {

struct MeshVertex {
    float x, y, z;
    float u, v;
    // The polygon's unit normal as signed bytes x, y, z and a zero: the renderer lights
    // each face by it without working it out per pixel.
    std::int8_t normal[4];
};
static_assert(sizeof(MeshVertex) == 24);

// One texture's run of vertices.
struct MeshBatch {
    int texture = 0; // index into the scene's texture names
    std::uint32_t first = 0; // first vertex
    std::uint32_t count = 0; // number of vertices, three per polygon
};

// The box around the drawn geometry and the sphere around the box, for fitting the camera
// and choosing its depth range.
struct MeshBounds {
    float lo[3] = {0, 0, 0};
    float hi[3] = {0, 0, 0};
    float center[3] = {0, 0, 0};
    float radius = 0;
    bool empty = true;
};

class CPerspectiveMesh {
public:
    // Rebuilds everything from the document. Polygons with any index that names nothing
    // (a vertex, a texture vertex in the list the type word selects, or a texture name) are
    // left out; they are never read.
    void Build(const scene::CQM4EditDoc& doc);

    // The scene vertices whose positions differ from the ones the mesh was built or last
    // updated with. Empty when the vertex count changed: that needs a Build.
    std::vector<int> ChangedVertices(const scene::CQM4EditDoc& doc) const;
    bool SameVertexCount(const scene::CQM4EditDoc& doc) const;

    // Takes the current positions of the given scene vertices (others are not looked at)
    // and appends the mesh polygons it rewrote to touched (mesh polygon p is vertices 3p to
    // 3p + 2). Out-of-range indices are ignored.
    void UpdateVertices(const scene::CQM4EditDoc& doc, std::span<const int> changed,
                        std::vector<std::uint32_t>& touched);

    const std::vector<MeshVertex>& Vertices() const { return m_vertices; }
    const std::vector<MeshBatch>& Batches() const { return m_batches; }
    std::size_t PolygonCount() const { return m_vertices.size() / 3; }
    std::size_t SkippedPolygons() const { return m_skipped; }

    MeshBounds Bounds() const;

private:
    void BuildCornerLookup();

    std::vector<MeshVertex> m_vertices;
    std::vector<MeshBatch> m_batches;
    // Scene vertex of each mesh vertex.
    std::vector<std::uint16_t> m_cornerVertex;
    // The scene's positions the mesh now holds.
    std::vector<scene::ObjectVertex> m_positions;
    // Mesh vertices standing on each scene vertex (offsets into m_lookupCorners); built on
    // the first update so a new scene shows as soon as it can.
    std::vector<std::uint32_t> m_lookupStart;
    std::vector<std::uint32_t> m_lookupCorners;
    std::size_t m_skipped = 0;
};

// Bounds of a set of points; the selection's, for fitting the camera to it.
MeshBounds BoundsOfPoints(std::span<const scene::ObjectVertex> points);

} // namespace qm4edit
