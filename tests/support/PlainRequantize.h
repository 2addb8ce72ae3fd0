#pragma once
// The plain recursive form of an object's bounds recomputation: every node's exact box is
// computed from its polygons afresh at every level. The library computes each box once and
// must give the same bits; tests compare the two and a benchmark measures what that saves.

#include "scene/ObjectInfo.h"

namespace scenetest {

// Widens b by the exact box of every polygon below node. Indices out of range are skipped.
inline void ComputeExactBox(const scene::CPolygonBoundsNode& node, const scene::ObjectGeometry& geo, scene::Box& b)
{
    if (node.childCount != 0) {
        for (const scene::CPolygonBoundsNode& child : node.children) {
            scene::Box c = scene::BOX_EMPTY;
            ComputeExactBox(child, geo, c);
            scene::MergeBox(b, c);
        }
        return;
    }
    if (node.polygon >= geo.polygons.size())
        return;
    const scene::PolygonRecord& poly = geo.polygons[node.polygon];
    for (int k = 0; k < 3; ++k) {
        const std::size_t v = poly.vertex[k];
        if (v < geo.vertices.size()) {
            const scene::ObjectVertex p = geo.vertices[v];
            scene::MergePoint(b, p.x, p.y, p.z);
        }
    }
}

inline void ComputeExactBox(const scene::CPolygonBoundsTree& tree, const scene::ObjectGeometry& geo, scene::Box& b)
{
    for (const scene::CPolygonBoundsNode& root : tree.roots) {
        scene::Box c = scene::BOX_EMPTY;
        ComputeExactBox(root, geo, c);
        scene::MergeBox(b, c);
    }
}

// Quantizes node against its parent's box p, then its children against its decoded box.
inline void Requantize(scene::CPolygonBoundsNode& node, const scene::ObjectGeometry& geo, const scene::Box& p)
{
    scene::Box e = scene::BOX_EMPTY;
    ComputeExactBox(node, geo, e);
    const scene::Box d = scene::QuantizeNode(node, e, p);
    if (node.childCount != 0)
        for (scene::CPolygonBoundsNode& child : node.children)
            Requantize(child, geo, d);
}

inline void Requantize(scene::CPolygonBoundsTree& tree, const scene::ObjectGeometry& geo, const scene::Box& p)
{
    for (scene::CPolygonBoundsNode& root : tree.roots)
        Requantize(root, geo, p);
}

} // namespace scenetest
