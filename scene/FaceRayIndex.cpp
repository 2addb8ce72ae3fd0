#include "scene/FaceRayIndex.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "scene/QM4EditDoc.h"

namespace scene {

namespace {

// Polygons name vertices by 16-bit index.
constexpr std::size_t kIndexedVertices = 65536;
constexpr std::uint32_t kLeafSize = 4;
// Positions this far out are damaged data, as the perspective view treats them.
constexpr float kFarthest = 1.0e7f;
constexpr float kInf = std::numeric_limits<float>::infinity();
// Deeper than any tree the build makes: 30 levels of curve bits, then halving runs of
// equal codes.
constexpr std::size_t kStackDepth = 128;

bool Usable(const ObjectVertex& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::fabs(v.x) < kFarthest &&
        std::fabs(v.y) < kFarthest && std::fabs(v.z) < kFarthest;
}

// The low ten bits of x spread out to every third bit.
std::uint32_t Spread10(std::uint32_t x)
{
    x &= 0x3FFu;
    x = (x | (x << 16)) & 0x030000FFu;
    x = (x | (x << 8)) & 0x0300F00Fu;
    x = (x | (x << 4)) & 0x030C30C3u;
    x = (x | (x << 2)) & 0x09249249u;
    return x;
}

// Sorts order by codes (30 bits), three passes of ten bits; codes ends up sorted too.
void RadixSort(std::vector<std::uint32_t>& codes, std::vector<std::uint32_t>& order)
{
    const std::size_t n = codes.size();
    std::vector<std::uint32_t> codes2(n), order2(n);
    std::vector<std::uint32_t> counts(1025);
    for (int shift = 0; shift < 30; shift += 10) {
        std::fill(counts.begin(), counts.end(), 0u);
        for (std::uint32_t c : codes)
            ++counts[((c >> shift) & 0x3FFu) + 1];
        for (std::size_t b = 1; b < counts.size(); ++b)
            counts[b] += counts[b - 1];
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t slot = counts[(codes[i] >> shift) & 0x3FFu]++;
            codes2[slot] = codes[i];
            order2[slot] = order[i];
        }
        codes.swap(codes2);
        order.swap(order2);
    }
}

// Where the ray enters the box (clamped to 0), or false if it misses it.
bool EnterBox(const float (&lo)[3], const float (&hi)[3], const float (&o)[3], const float (&inv)[3], float& enter)
{
    float tmin = 0.0f, tmax = kInf;
    for (int a = 0; a < 3; ++a) {
        const float t1 = (lo[a] - o[a]) * inv[a];
        const float t2 = (hi[a] - o[a]) * inv[a];
        // Written so that a NaN (a ray along a box face) leaves the bound as it was.
        tmin = std::max(tmin, std::min(t1, t2));
        tmax = std::min(tmax, std::max(t1, t2));
    }
    enter = tmin;
    return tmin <= tmax;
}

// Distance along the ray to the triangle, faces counted from both sides; in double so
// that a ray through a shared edge does not slip between its two triangles.
bool HitTriangle(const ObjectVertex& a, const ObjectVertex& b, const ObjectVertex& c, const double (&o)[3],
                 const double (&d)[3], double& t)
{
    const double e1[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
    const double e2[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
    const double p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2], d[0] * e2[1] - d[1] * e2[0]};
    const double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
    if (!(std::fabs(det) > 0.0))
        return false; // seen edge-on, or without area
    const double inv = 1.0 / det;
    const double s[3] = {o[0] - a.x, o[1] - a.y, o[2] - a.z};
    const double u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) * inv;
    if (!(u >= 0.0 && u <= 1.0))
        return false;
    const double q[3] = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2], s[0] * e1[1] - s[1] * e1[0]};
    const double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) * inv;
    if (!(v >= 0.0 && u + v <= 1.0))
        return false;
    t = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) * inv;
    return t > 0.0;
}

} // namespace

void CFaceRayIndex::Clear()
{
    m_built = false;
    m_triangles.clear();
    m_nodes.clear();
    m_positions.clear();
    m_objectStart.assign(1, 0);
    m_vertexCount = 0;
    m_parent.clear();
    m_leafOf.clear();
    m_vertexStart.clear();
    m_vertexTriangles.clear();
}

void CFaceRayIndex::Build(const CQM4EditDoc& doc)
{
    Clear();
    m_built = true;
    const auto all = doc.ObjectVertices().Records();
    m_vertexCount = all.size();
    m_positions.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(all.size(), kIndexedVertices)));
    const std::size_t vertices = m_positions.size();

    std::vector<Triangle> triangles;
    triangles.reserve(doc.ObjectInfo().TotalPolygonCount());
    std::uint64_t face = 0;
    for (int o = 0; o < doc.GetObjectCount(); ++o) {
        for (const PolygonRecord& p : doc.GetObjectRecord(o).polygons) {
            const bool named = p.vertex[0] < vertices && p.vertex[1] < vertices && p.vertex[2] < vertices;
            if (named && face <= std::numeric_limits<std::uint32_t>::max())
                triangles.push_back({static_cast<std::uint32_t>(face), {p.vertex[0], p.vertex[1], p.vertex[2]}});
            ++face;
        }
        m_objectStart.push_back(face);
    }
    if (triangles.empty())
        return;

    // Each triangle's place on a Morton curve through the box of the centres.
    std::vector<std::array<float, 3>> centres(triangles.size());
    float lo[3] = {kInf, kInf, kInf}, hi[3] = {-kInf, -kInf, -kInf};
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        const Triangle& t = triangles[i];
        const ObjectVertex& a = m_positions[t.vertex[0]];
        const ObjectVertex& b = m_positions[t.vertex[1]];
        const ObjectVertex& c = m_positions[t.vertex[2]];
        if (!Usable(a) || !Usable(b) || !Usable(c)) {
            centres[i] = {kInf, kInf, kInf};
            continue;
        }
        centres[i] = {(a.x + b.x + c.x) / 3.0f, (a.y + b.y + c.y) / 3.0f, (a.z + b.z + c.z) / 3.0f};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], centres[i][std::size_t(k)]);
            hi[k] = std::max(hi[k], centres[i][std::size_t(k)]);
        }
    }
    float scale[3];
    for (int k = 0; k < 3; ++k) {
        // A spread too thin to divide by (or none) puts every centre in one cell.
        scale[k] = hi[k] > lo[k] ? 1023.0f / (hi[k] - lo[k]) : 0.0f;
        if (!std::isfinite(scale[k]))
            scale[k] = 0.0f;
    }
    std::vector<std::uint32_t> codes(triangles.size());
    std::vector<std::uint32_t> order(triangles.size());
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        order[i] = static_cast<std::uint32_t>(i);
        if (!std::isfinite(centres[i][0])) {
            codes[i] = 0; // never hit; anywhere will do
            continue;
        }
        std::uint32_t q[3];
        for (int k = 0; k < 3; ++k) {
            const float cell = (centres[i][std::size_t(k)] - lo[k]) * scale[k];
            q[k] = cell > 0.0f ? static_cast<std::uint32_t>(std::min(cell, 1023.0f)) : 0u;
        }
        codes[i] = (Spread10(q[0]) << 2) | (Spread10(q[1]) << 1) | Spread10(q[2]);
    }
    centres = {};
    RadixSort(codes, order);
    m_triangles.resize(triangles.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        m_triangles[i] = triangles[order[i]];

    m_nodes.reserve(2 * (triangles.size() / 2 + 1));
    BuildRange(codes, 0, static_cast<std::uint32_t>(m_triangles.size()));
    Refit();
}

std::uint32_t CFaceRayIndex::BuildRange(const std::vector<std::uint32_t>& codes, std::uint32_t first,
                                        std::uint32_t last)
{
    const auto index = static_cast<std::uint32_t>(m_nodes.size());
    m_nodes.push_back({});
    const std::uint32_t count = last - first;
    if (count <= kLeafSize) {
        m_nodes[index].first = first;
        m_nodes[index].count = count;
        return index;
    }
    std::uint32_t split = first + count / 2;
    const std::uint32_t a = codes[first], b = codes[last - 1];
    if (a != b) {
        // Where the highest bit in which the run's codes differ turns to one.
        const int bit = 31 - std::countl_zero(a ^ b);
        const auto begin = codes.begin() + first, end = codes.begin() + last;
        split = static_cast<std::uint32_t>(
            std::partition_point(begin, end, [bit](std::uint32_t c) { return ((c >> bit) & 1u) == 0; }) -
            codes.begin());
    }
    BuildRange(codes, first, split);
    const std::uint32_t right = BuildRange(codes, split, last);
    m_nodes[index].first = right;
    m_nodes[index].count = 0;
    return index;
}

bool CFaceRayIndex::TriangleBox(const Triangle& t, float (&lo)[3], float (&hi)[3]) const
{
    for (int k = 0; k < 3; ++k) {
        const ObjectVertex& v = m_positions[t.vertex[k]];
        if (!Usable(v))
            return false;
        const float p[3] = {v.x, v.y, v.z};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p[a]);
            hi[a] = std::max(hi[a], p[a]);
        }
    }
    return true;
}

void CFaceRayIndex::RefitNode(std::uint32_t i)
{
    Node& n = m_nodes[i];
    float lo[3] = {kInf, kInf, kInf}, hi[3] = {-kInf, -kInf, -kInf};
    if (n.count > 0) {
        for (std::uint32_t k = n.first; k < n.first + n.count; ++k) {
            float tlo[3] = {kInf, kInf, kInf}, thi[3] = {-kInf, -kInf, -kInf};
            if (!TriangleBox(m_triangles[k], tlo, thi))
                continue; // a triangle that is never hit adds nothing
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], tlo[a]);
                hi[a] = std::max(hi[a], thi[a]);
            }
        }
    } else {
        const Node& l = m_nodes[i + 1];
        const Node& r = m_nodes[n.first];
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(l.lo[a], r.lo[a]);
            hi[a] = std::max(l.hi[a], r.hi[a]);
        }
    }
    std::memcpy(n.lo, lo, sizeof lo);
    std::memcpy(n.hi, hi, sizeof hi);
}

void CFaceRayIndex::Refit()
{
    // Children stand after their parent, so going backwards meets them first.
    for (std::size_t i = m_nodes.size(); i-- > 0;)
        RefitNode(static_cast<std::uint32_t>(i));
}

void CFaceRayIndex::BuildVertexLookup()
{
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    m_parent.assign(m_nodes.size(), kNone);
    m_leafOf.assign(m_triangles.size(), 0);
    for (std::uint32_t i = 0; i < m_nodes.size(); ++i) {
        const Node& n = m_nodes[i];
        if (n.count > 0) {
            for (std::uint32_t k = n.first; k < n.first + n.count; ++k)
                m_leafOf[k] = i;
        } else {
            m_parent[i + 1] = i;
            m_parent[n.first] = i;
        }
    }
    m_vertexStart.assign(m_positions.size() + 1, 0);
    for (const Triangle& t : m_triangles)
        for (std::uint16_t v : t.vertex)
            ++m_vertexStart[v + 1u];
    for (std::size_t v = 1; v < m_vertexStart.size(); ++v)
        m_vertexStart[v] += m_vertexStart[v - 1];
    m_vertexTriangles.resize(m_vertexStart.back());
    std::vector<std::uint32_t> fill(m_vertexStart.begin(), m_vertexStart.end() - 1);
    for (std::uint32_t k = 0; k < m_triangles.size(); ++k)
        for (std::uint16_t v : m_triangles[k].vertex)
            m_vertexTriangles[fill[v]++] = k;
}

void CFaceRayIndex::RefitVertices(const std::vector<std::uint32_t>& moved)
{
    if (m_vertexStart.empty())
        BuildVertexLookup();
    std::size_t reached = 0;
    for (std::uint32_t v : moved)
        reached += m_vertexStart[v + 1] - m_vertexStart[v];
    // Past a share of the scene, one pass over every node is quicker than walking up.
    if (reached * 8 > m_triangles.size()) {
        Refit();
        return;
    }
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> nodes;
    for (std::uint32_t v : moved)
        for (std::uint32_t k = m_vertexStart[v]; k < m_vertexStart[v + 1]; ++k)
            for (std::uint32_t n = m_leafOf[m_vertexTriangles[k]]; n != kNone; n = m_parent[n])
                nodes.push_back(n);
    // Deepest first: a child's index is above its parent's.
    std::sort(nodes.begin(), nodes.end(), std::greater<>());
    nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
    for (std::uint32_t n : nodes)
        RefitNode(n);
}

bool CFaceRayIndex::Refresh(const CQM4EditDoc& doc)
{
    const auto all = doc.ObjectVertices().Records();
    const bool sameScene = m_built && all.size() == m_vertexCount &&
        static_cast<std::size_t>(doc.GetObjectCount()) + 1 == m_objectStart.size() &&
        doc.ObjectInfo().TotalPolygonCount() == m_objectStart.back();
    if (!sameScene) {
        Build(doc);
        return true;
    }
    if (m_positions.empty() ||
        std::memcmp(all.data(), m_positions.data(), m_positions.size() * sizeof(ObjectVertex)) == 0)
        return false;
    std::vector<std::uint32_t> moved;
    for (std::size_t v = 0; v < m_positions.size(); ++v)
        if (std::memcmp(&all[v], &m_positions[v], sizeof(ObjectVertex)) != 0) {
            m_positions[v] = all[v];
            moved.push_back(static_cast<std::uint32_t>(v));
        }
    if (!m_nodes.empty())
        RefitVertices(moved);
    return true;
}

std::optional<FaceHit> CFaceRayIndex::Pick(const float (&origin)[3], const float (&direction)[3]) const
{
    if (m_nodes.empty() || (direction[0] == 0.0f && direction[1] == 0.0f && direction[2] == 0.0f))
        return std::nullopt;
    for (int a = 0; a < 3; ++a)
        if (!std::isfinite(origin[a]) || !std::isfinite(direction[a]))
            return std::nullopt;
    const float inv[3] = {1.0f / direction[0], 1.0f / direction[1], 1.0f / direction[2]};
    const double o[3] = {origin[0], origin[1], origin[2]};
    const double d[3] = {direction[0], direction[1], direction[2]};

    double best = std::numeric_limits<double>::infinity();
    std::uint32_t bestFace = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t stack[kStackDepth];
    std::size_t top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const Node& n = m_nodes[stack[--top]];
        float enter = 0.0f;
        // A box entered at the best distance may still hold a face that comes first.
        if (!EnterBox(n.lo, n.hi, origin, inv, enter) || double(enter) > best)
            continue;
        if (n.count > 0) {
            for (std::uint32_t k = n.first; k < n.first + n.count; ++k) {
                const Triangle& t = m_triangles[k];
                double dist = 0.0;
                if (!HitTriangle(m_positions[t.vertex[0]], m_positions[t.vertex[1]], m_positions[t.vertex[2]], o, d,
                                 dist))
                    continue;
                if (dist < best || (dist == best && t.face < bestFace)) {
                    best = dist;
                    bestFace = t.face;
                }
            }
            continue;
        }
        const auto self = static_cast<std::uint32_t>(&n - m_nodes.data());
        std::uint32_t near = self + 1, far = n.first;
        float enterNear = 0.0f, enterFar = 0.0f;
        const bool hitNear = EnterBox(m_nodes[near].lo, m_nodes[near].hi, origin, inv, enterNear);
        const bool hitFar = EnterBox(m_nodes[far].lo, m_nodes[far].hi, origin, inv, enterFar);
        if (hitNear && hitFar && enterFar < enterNear) {
            std::swap(near, far);
            std::swap(enterNear, enterFar);
        }
        // The nearer child is looked at first, so the farther one is often passed over.
        if (hitFar && top < kStackDepth)
            stack[top++] = far;
        if (hitNear && top < kStackDepth)
            stack[top++] = near;
    }
    if (bestFace == std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    const auto it = std::upper_bound(m_objectStart.begin(), m_objectStart.end(), std::uint64_t{bestFace});
    const auto object = static_cast<std::size_t>(it - m_objectStart.begin()) - 1;
    return FaceHit{static_cast<int>(object), static_cast<int>(bestFace - m_objectStart[object]),
                   static_cast<float>(best)};
}

} // namespace scene
