#include "editor/ortho/PickIndex.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qm4edit {

namespace {

constexpr std::uint32_t kLeafSize = 16;

struct Best {
    std::int64_t d2 = std::numeric_limits<std::int64_t>::max();
    int index = -1;
    void Offer(std::int64_t d, int i)
    {
        if (d < d2 || (d == d2 && i < index)) {
            d2 = d;
            index = i;
        }
    }
};

} // namespace

CPickIndex::CPickIndex(std::span<const scene::ObjectVertex> vertices, int projection)
    : m_nProjection(projection), m_nVertexCount(vertices.size())
{
    m_points.reserve(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        float h, v;
        ProjectionAxes(projection, vertices[i], h, v);
        // What is not a finite number is never drawn, so it can never be picked.
        if (std::isfinite(h) && std::isfinite(v))
            m_points.push_back({h, v, static_cast<int>(i)});
    }
    if (!m_points.empty()) {
        m_nodes.reserve(2 * m_points.size() / kLeafSize + 2);
        Build(0, static_cast<std::uint32_t>(m_points.size()));
    }
}

int CPickIndex::Build(std::uint32_t begin, std::uint32_t end)
{
    Node node;
    node.begin = begin;
    node.end = end;
    node.hmin = node.vmin = std::numeric_limits<float>::max();
    node.hmax = node.vmax = std::numeric_limits<float>::lowest();
    node.minIndex = std::numeric_limits<int>::max();
    for (std::uint32_t i = begin; i < end; ++i) {
        const Point& p = m_points[i];
        node.hmin = std::min(node.hmin, p.h);
        node.hmax = std::max(node.hmax, p.h);
        node.vmin = std::min(node.vmin, p.v);
        node.vmax = std::max(node.vmax, p.v);
        node.minIndex = std::min(node.minIndex, p.index);
    }
    const int self = static_cast<int>(m_nodes.size());
    m_nodes.push_back(node);
    if (end - begin <= kLeafSize || (node.hmin == node.hmax && node.vmin == node.vmax))
        return self;
    const bool byH = static_cast<double>(node.hmax) - node.hmin >= static_cast<double>(node.vmax) - node.vmin;
    const std::uint32_t mid = begin + (end - begin) / 2;
    std::nth_element(m_points.begin() + begin, m_points.begin() + mid, m_points.begin() + end,
                     [byH](const Point& a, const Point& b) { return byH ? a.h < b.h : a.v < b.v; });
    const int left = Build(begin, mid);
    const int right = Build(mid, end);
    m_nodes[static_cast<std::size_t>(self)].left = left;
    m_nodes[static_cast<std::size_t>(self)].right = right;
    return self;
}

int CPickIndex::Nearest(const COrthoCamera& camera, int width, int height, int x, int y, int radius) const
{
    if (m_nodes.empty())
        return -1;
    const ViewOrigin o = camera.Origin(width, height);
    const std::int64_t limit = static_cast<std::int64_t>(radius) * radius;
    Best best;

    // Squared pixel distance from (x, y) to a box, and whether the box is a single pixel.
    auto bound = [&](const Node& n, bool& onePixel) {
        const std::int64_t x0 = o.x + COrthoCamera::ClampedOffset(o.s, n.hmin),
                           x1 = o.x + COrthoCamera::ClampedOffset(o.s, n.hmax);
        const std::int64_t y0 = o.y - COrthoCamera::ClampedOffset(o.s, n.vmax),
                           y1 = o.y - COrthoCamera::ClampedOffset(o.s, n.vmin);
        onePixel = x0 == x1 && y0 == y1;
        const std::int64_t dx = x < x0 ? x0 - x : (x > x1 ? x - x1 : 0);
        const std::int64_t dy = y < y0 ? y0 - y : (y > y1 ? y - y1 : 0);
        if (dx > radius || dy > radius)
            return limit + 1;
        return dx * dx + dy * dy;
    };

    auto visit = [&](auto&& self, int id) -> void {
        const Node& n = m_nodes[static_cast<std::size_t>(id)];
        bool onePixel = false;
        const std::int64_t d = bound(n, onePixel);
        if (d > limit || d > best.d2 || (d == best.d2 && n.minIndex >= best.index))
            return;
        if (onePixel) {
            // Every vertex here lands on the same pixel: the lowest index speaks for them all.
            best.Offer(d, n.minIndex);
            return;
        }
        if (n.left < 0) {
            for (std::uint32_t i = n.begin; i < n.end; ++i) {
                const Point& p = m_points[i];
                std::int64_t px, py;
                if (!COrthoCamera::Place(o, p.h, p.v, px, py))
                    continue;
                px -= x;
                py -= y;
                const std::int64_t pd = px * px + py * py;
                if (pd <= limit)
                    best.Offer(pd, p.index);
            }
            return;
        }
        bool unused = false;
        const int first = bound(m_nodes[static_cast<std::size_t>(n.left)], unused) <=
                bound(m_nodes[static_cast<std::size_t>(n.right)], unused)
            ? n.left
            : n.right;
        self(self, first);
        self(self, first == n.left ? n.right : n.left);
    };
    visit(visit, 0);
    return best.index;
}

} // namespace qm4edit
