#pragma once
// Which polygon a ray meets first: how a click in the perspective view finds its face.
//
// A bounding volume hierarchy over every polygon's triangle. It is built once per scene
// (triangles ordered along a Morton curve of their centres, split where the curve's top bit
// changes), and moved vertices only refit its boxes (those above the triangles on them, or
// all of them when many moved): the polygons themselves never change while a scene is
// loaded, so the tree's shape stays good enough for single rays.
//
// The index keeps its own copy of the positions it was built or refreshed with, so a pick
// never reads a position its boxes do not hold.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "scene/SceneRecords.h"

namespace scene {

class CQM4EditDoc;

struct FaceHit {
    int object = -1;
    int polygon = -1;
    // Along the ray, in lengths of its direction.
    float distance = 0.0f;
};

class CFaceRayIndex {
public:
    // Every polygon whose three corners name vertices takes part; a polygon with a corner
    // out of range, or at a position that is not a usable number, is never hit.
    void Build(const CQM4EditDoc& doc);
    void Clear();
    bool IsBuilt() const { return m_built; }

    // Takes the document's current positions and refits the boxes if any of them moved;
    // builds again if the scene's counts changed. Returns whether anything was redone.
    bool Refresh(const CQM4EditDoc& doc);

    // The polygon whose triangle the ray origin + t * direction meets first for t > 0, faces
    // counted from both sides. Where two faces are met at the same distance, the one that
    // comes first in the file (lower object, then lower polygon) wins. None when the ray
    // misses everything or the direction is zero.
    std::optional<FaceHit> Pick(const float (&origin)[3], const float (&direction)[3]) const;

    std::size_t FaceCount() const { return m_triangles.size(); }
    std::size_t NodeCount() const { return m_nodes.size(); }

private:
    struct Triangle {
        std::uint32_t face; // polygon counted across all objects
        std::uint16_t vertex[3];
    };
    struct Node {
        float lo[3];
        float hi[3];
        // A leaf's triangles are m_triangles[first .. first + count); an internal node has
        // count 0, its left child right after it and its right child at index first.
        std::uint32_t first;
        std::uint32_t count;
    };

    std::uint32_t BuildRange(const std::vector<std::uint32_t>& codes, std::uint32_t first, std::uint32_t last);
    void Refit();
    // Refits only the leaves holding triangles on these vertices, and the nodes above them.
    void RefitVertices(const std::vector<std::uint32_t>& moved);
    void RefitNode(std::uint32_t node);
    void BuildVertexLookup();
    bool TriangleBox(const Triangle& t, float (&lo)[3], float (&hi)[3]) const;

    bool m_built = false;
    std::vector<Triangle> m_triangles; // in tree order
    std::vector<Node> m_nodes; // preorder: children after their parent
    std::vector<ObjectVertex> m_positions; // the first 65536 vertices, as last taken
    std::vector<std::uint64_t> m_objectStart{0}; // first face of each object, and the total
    // For refitting a few moved vertices, built at the first such refit: each node's
    // parent, each triangle's leaf, and the triangles on each vertex (vertex v's are
    // m_vertexTriangles[m_vertexStart[v] .. m_vertexStart[v + 1])).
    std::vector<std::uint32_t> m_parent;
    std::vector<std::uint32_t> m_leafOf;
    std::vector<std::uint32_t> m_vertexStart;
    std::vector<std::uint32_t> m_vertexTriangles;
    std::size_t m_vertexCount = 0;
};

} // namespace scene
