#pragma once
// Finds the vertex nearest a pointer in the viewport without looking at every vertex: a 2-d
// tree over one projection's world coordinates. Built once per projection and kept until
// the vertices move; zoom and pan only change how its boxes are mapped to pixels.

#include <cstdint>
#include <span>
#include <vector>

#include "editor/ortho/ViewRenderer.h"

namespace qm4edit {

class CPickIndex {
public:
    CPickIndex(std::span<const scene::ObjectVertex> vertices, int projection);

    int Projection() const { return m_nProjection; }
    std::size_t VertexCount() const { return m_nVertexCount; }

    // The vertex drawn nearest to pixel (x, y) of a width x height view, no farther than
    // radius pixels; among equally near ones the lowest index. -1 when there is none.
    int Nearest(const COrthoCamera& camera, int width, int height, int x, int y, int radius) const;

private:
    struct Point {
        float h, v;
        int index;
    };
    struct Node {
        float hmin, hmax, vmin, vmax;
        int minIndex;
        std::uint32_t begin, end;
        int left = -1, right = -1;
    };
    int Build(std::uint32_t begin, std::uint32_t end);

    int m_nProjection;
    std::size_t m_nVertexCount;
    std::vector<Point> m_points;
    std::vector<Node> m_nodes;
};

} // namespace qm4edit
