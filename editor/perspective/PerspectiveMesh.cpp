#include "editor/perspective/PerspectiveMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scene/QM4EditDoc.h"

namespace qm4edit {

namespace {

// Positions this far out are damaged data, not geometry; they would wreck the camera fit.
constexpr float kFarthest = 1.0e7f;

bool Usable(const scene::ObjectVertex& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::fabs(v.x) < kFarthest &&
        std::fabs(v.y) < kFarthest && std::fabs(v.z) < kFarthest;
}

struct TexList {
    const std::uint8_t* base = nullptr;
    std::size_t stride = 0;
    std::size_t count = 0;

    bool Get(std::uint16_t index, float& u, float& v) const
    {
        if (index >= count)
            return false;
        const std::uint8_t* r = base + stride * index;
        std::memcpy(&u, r, 4);
        std::memcpy(&v, r + 4, 4);
        return true;
    }
};

template <class List>
TexList ListOf(const List& list)
{
    const auto records = list.Records();
    return {reinterpret_cast<const std::uint8_t*>(records.data()), sizeof(records[0]), records.size()};
}

std::int8_t PackByte(float f)
{
    return static_cast<std::int8_t>(std::lround(std::clamp(f, -1.0f, 1.0f) * 127.0f));
}

// Sets the face normal of the polygon whose first corner is v[0]. A polygon without area
// faces the eye wherever it is.
void SetFaceNormal(MeshVertex* v)
{
    const float ax = v[1].x - v[0].x, ay = v[1].y - v[0].y, az = v[1].z - v[0].z;
    const float bx = v[2].x - v[0].x, by = v[2].y - v[0].y, bz = v[2].z - v[0].z;
    float nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    const bool some = len > 0 && std::isfinite(len);
    const std::int8_t packed[4] = {some ? PackByte(nx / len) : std::int8_t(0),
                                   some ? PackByte(ny / len) : std::int8_t(0),
                                   some ? PackByte(nz / len) : std::int8_t(0), 0};
    for (int k = 0; k < 3; ++k)
        std::memcpy(v[k].normal, packed, 4);
}

} // namespace

void CPerspectiveMesh::Build(const scene::CQM4EditDoc& doc)
{
    m_vertices.clear();
    m_batches.clear();
    m_cornerVertex.clear();
    m_lookupStart.clear();
    m_lookupCorners.clear();
    m_skipped = 0;
    const auto positions = doc.ObjectVertices().Records();
    m_positions.assign(positions.begin(), positions.end());
    if (!doc.IsLoaded())
        return;

    const TexList lists[3] = {ListOf(doc.UnlitTexVertices()), ListOf(doc.PrelitTexVertices()),
                              ListOf(doc.LitTexVertices())};
    const std::size_t vertexCount = positions.size();
    const std::size_t textureCount = static_cast<std::size_t>(doc.TextureNames().GetCount());

    // First the drawable polygons and how many each texture has, then each polygon's
    // corners straight into its texture's run.
    std::vector<std::uint32_t> perTexture(textureCount + 1, 0);
    std::vector<const scene::PolygonRecord*> drawn;
    for (int o = 0; o < doc.GetObjectCount(); ++o) {
        const auto& polygons = doc.GetObjectRecord(o).polygons;
        drawn.reserve(drawn.size() + polygons.size());
        for (const scene::PolygonRecord& p : polygons) {
            const TexList& list = lists[scene::CQM4EditDoc::GetTextureVertexKind(p.type)];
            bool ok = p.texture < textureCount;
            for (int k = 0; k < 3 && ok; ++k)
                ok = p.vertex[k] < vertexCount && p.texVertex[k] < list.count;
            if (!ok) {
                ++m_skipped;
                continue;
            }
            drawn.push_back(&p);
            ++perTexture[p.texture + 1u];
        }
    }
    for (std::size_t t = 1; t <= textureCount; ++t)
        perTexture[t] += perTexture[t - 1];
    for (std::size_t t = 0; t < textureCount; ++t)
        if (perTexture[t + 1] > perTexture[t])
            m_batches.push_back({static_cast<int>(t), perTexture[t] * 3, (perTexture[t + 1] - perTexture[t]) * 3});

    m_vertices.resize(drawn.size() * 3);
    m_cornerVertex.resize(drawn.size() * 3);
    for (const scene::PolygonRecord* p : drawn) {
        const TexList& list = lists[scene::CQM4EditDoc::GetTextureVertexKind(p->type)];
        const std::size_t slot = std::size_t(perTexture[p->texture]++) * 3;
        MeshVertex* corner = &m_vertices[slot];
        for (int k = 0; k < 3; ++k) {
            const scene::ObjectVertex pos = positions[p->vertex[k]];
            corner[k].x = pos.x;
            corner[k].y = pos.y;
            corner[k].z = pos.z;
            list.Get(p->texVertex[k], corner[k].u, corner[k].v);
            m_cornerVertex[slot + k] = p->vertex[k];
        }
        SetFaceNormal(corner);
    }
}

bool CPerspectiveMesh::SameVertexCount(const scene::CQM4EditDoc& doc) const
{
    return static_cast<std::size_t>(doc.GetVertexCount()) == m_positions.size();
}

std::vector<int> CPerspectiveMesh::ChangedVertices(const scene::CQM4EditDoc& doc) const
{
    std::vector<int> changed;
    const auto now = doc.ObjectVertices().Records();
    if (now.size() != m_positions.size())
        return changed;
    for (std::size_t i = 0; i < now.size(); ++i)
        if (std::memcmp(&now[i], &m_positions[i], sizeof(scene::ObjectVertex)) != 0)
            changed.push_back(static_cast<int>(i));
    return changed;
}

void CPerspectiveMesh::BuildCornerLookup()
{
    m_lookupStart.assign(m_positions.size() + 1, 0);
    for (std::uint16_t v : m_cornerVertex)
        ++m_lookupStart[v + 1u];
    for (std::size_t i = 1; i < m_lookupStart.size(); ++i)
        m_lookupStart[i] += m_lookupStart[i - 1];
    m_lookupCorners.resize(m_cornerVertex.size());
    std::vector<std::uint32_t> fill(m_lookupStart.begin(), m_lookupStart.end() - 1);
    for (std::size_t c = 0; c < m_cornerVertex.size(); ++c)
        m_lookupCorners[fill[m_cornerVertex[c]]++] = static_cast<std::uint32_t>(c);
}

void CPerspectiveMesh::UpdateVertices(const scene::CQM4EditDoc& doc, std::span<const int> changed,
                                      std::vector<std::uint32_t>& touched)
{
    if (m_lookupStart.size() != m_positions.size() + 1)
        BuildCornerLookup();
    const auto now = doc.ObjectVertices().Records();
    for (int i : changed) {
        if (i < 0 || static_cast<std::size_t>(i) >= m_positions.size() || static_cast<std::size_t>(i) >= now.size())
            continue;
        const scene::ObjectVertex pos = now[static_cast<std::size_t>(i)];
        m_positions[static_cast<std::size_t>(i)] = pos;
        for (std::uint32_t k = m_lookupStart[i]; k < m_lookupStart[i + 1]; ++k) {
            MeshVertex& mv = m_vertices[m_lookupCorners[k]];
            mv.x = pos.x;
            mv.y = pos.y;
            mv.z = pos.z;
            touched.push_back(m_lookupCorners[k] / 3);
        }
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    for (std::uint32_t p : touched)
        SetFaceNormal(&m_vertices[std::size_t(p) * 3]);
}

namespace {

// Box of the usable points, then the sphere around it.
class BoundsBuilder {
public:
    void Add(float x, float y, float z)
    {
        if (!Usable({x, y, z}))
            return;
        const float c[3] = {x, y, z};
        for (int a = 0; a < 3; ++a) {
            if (m_empty || c[a] < m_lo[a])
                m_lo[a] = c[a];
            if (m_empty || c[a] > m_hi[a])
                m_hi[a] = c[a];
        }
        m_empty = false;
    }
    MeshBounds Sphere() const
    {
        MeshBounds b;
        if (m_empty)
            return b;
        b.empty = false;
        for (int a = 0; a < 3; ++a) {
            b.lo[a] = m_lo[a];
            b.hi[a] = m_hi[a];
        }
        float r2 = 0;
        for (int a = 0; a < 3; ++a) {
            b.center[a] = 0.5f * (m_lo[a] + m_hi[a]);
            const float h = 0.5f * (m_hi[a] - m_lo[a]);
            r2 += h * h;
        }
        b.radius = std::sqrt(r2);
        return b;
    }

private:
    bool m_empty = true;
    float m_lo[3] = {0, 0, 0};
    float m_hi[3] = {0, 0, 0};
};

} // namespace

MeshBounds BoundsOfPoints(std::span<const scene::ObjectVertex> points)
{
    BoundsBuilder b;
    for (const scene::ObjectVertex& p : points)
        b.Add(p.x, p.y, p.z);
    return b.Sphere();
}

MeshBounds CPerspectiveMesh::Bounds() const
{
    BoundsBuilder b;
    for (const MeshVertex& v : m_vertices)
        b.Add(v.x, v.y, v.z);
    const MeshBounds sphere = b.Sphere();
    // A scene without drawable polygons still has its points to look at.
    return sphere.empty ? BoundsOfPoints(m_positions) : sphere;
}

} // namespace qm4edit
