// The faces a ray meets first: overlapping faces, ties, moved vertices, damaged polygons,
// and the tree against a plain scan of every triangle.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "SceneTestSupport.h"
#include "scene/FaceRayIndex.h"
#include "scene/VertexEdit.h"

using scene::CFaceRayIndex;
using scene::CQM4EditDoc;

namespace {

// Three squares (two triangles each) stacked along z at 0, 5 and 10, the middle one in an
// object of its own, and a copy of the back square in a third object at the same place.
scenegen::GenScene Stack()
{
    scenegen::GenScene s;
    for (float z : {0.0f, 5.0f, 10.0f, 0.0f})
        for (auto [x, y] : {std::pair{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}})
            s.vertices.push_back({x, y, z});
    auto square = [](std::uint16_t v) {
        return std::vector{scenegen::Triangle(v, v + 1, v + 2), scenegen::Triangle(v, v + 2, v + 3)};
    };
    scenegen::GenObject a, b, c;
    a.polygons = square(0); // z = 0: polygons 0, 1
    for (const auto& p : square(8)) // z = 10: polygons 2, 3
        a.polygons.push_back(p);
    b.polygons = square(4); // z = 5
    c.polygons = square(12); // z = 0 again, later in the file
    s.objects = {a, b, c};
    return s;
}

void Load(CQM4EditDoc& doc, const scenegen::GenScene& s)
{
    ASSERT_TRUE(doc.Serialize(scenetest::Bytes(s)).Ok());
}

std::optional<std::pair<int, int>> Hit(const CFaceRayIndex& index, float ox, float oy, float oz, float dx, float dy,
                                       float dz)
{
    const float o[3] = {ox, oy, oz}, d[3] = {dx, dy, dz};
    const auto hit = index.Pick(o, d);
    if (!hit)
        return std::nullopt;
    return std::pair{hit->object, hit->polygon};
}

using Face = std::optional<std::pair<int, int>>;

TEST(FaceRayIndex, NearestOfOverlappingFacesWinsFromEitherSide)
{
    CQM4EditDoc doc;
    Load(doc, Stack());
    CFaceRayIndex index;
    index.Build(doc);
    EXPECT_EQ(index.FaceCount(), 8u);

    // From the front: the square at z = 10; the point (0.5, -0.5) lies in its first triangle.
    EXPECT_EQ(Hit(index, 0.5f, -0.5f, 20, 0, 0, -1), (Face{{0, 2}}));
    EXPECT_EQ(Hit(index, -0.5f, 0.5f, 20, 0, 0, -1), (Face{{0, 3}}));
    // From behind: the back square and its copy meet the ray at the same distance; the one
    // earlier in the file wins.
    EXPECT_EQ(Hit(index, 0.5f, -0.5f, -20, 0, 0, 1), (Face{{0, 0}}));
    // Starting between the squares, only what lies ahead counts.
    EXPECT_EQ(Hit(index, 0.5f, -0.5f, 7, 0, 0, -1), (Face{{1, 0}}));
    EXPECT_EQ(Hit(index, 0.5f, -0.5f, 7, 0, 0, 1), (Face{{0, 2}}));
    // A slanted ray from the side still meets the nearest one along it.
    EXPECT_EQ(Hit(index, -30, 0.2f, 20, 3.0f, 0, -1.0f), (Face{{0, 3}}));
    // Beside the squares, along them, and a zero direction: nothing.
    EXPECT_EQ(Hit(index, 3, 0, 20, 0, 0, -1), Face{});
    EXPECT_EQ(Hit(index, -5, 0.5f, 5, 1, 0, 0), Face{});
    EXPECT_EQ(Hit(index, 0, 0, 20, 0, 0, 0), Face{});
    const auto hit = index.Pick({0.5f, -0.5f, 20}, {0, 0, -2});
    ASSERT_TRUE(hit);
    EXPECT_FLOAT_EQ(hit->distance, 5.0f); // in lengths of the direction
}

TEST(FaceRayIndex, RefreshFollowsMovedVerticesAndUndo)
{
    CQM4EditDoc doc;
    Load(doc, Stack());
    doc.UpdateGeometry();
    CFaceRayIndex index;
    index.Build(doc);
    EXPECT_FALSE(index.Refresh(doc)); // nothing moved

    // The front square slides away to the side: the middle one is met first.
    std::vector<scene::VertexChange> away;
    for (int v = 8; v < 12; ++v) {
        const auto p = doc.GetVertex(v);
        away.push_back({v, p.x + 100, p.y, p.z});
    }
    scene::CVertexEdit edit(away);
    edit.Apply(doc);
    EXPECT_TRUE(index.Refresh(doc));
    EXPECT_EQ(Hit(index, 0.5f, -0.5f, 20, 0, 0, -1), (Face{{1, 0}}));
    // Where it went, its boxes went too.
    EXPECT_EQ(Hit(index, 100.5f, -0.5f, 20, 0, 0, -1), (Face{{0, 2}}));

    // One corner of the back copy moves in front of everything: the box of a face far down
    // the tree grows past the others.
    scene::CVertexEdit tilt({{12, -1.0f, -1.0f, 30.0f}});
    tilt.Apply(doc);
    index.Refresh(doc);
    EXPECT_EQ(Hit(index, -0.9f, 0.5f, 40, 0, 0, -1), (Face{{2, 1}}));

    tilt.Revert(doc);
    edit.Revert(doc);
    EXPECT_TRUE(index.Refresh(doc));
    EXPECT_EQ(Hit(index, 0.5f, -0.5f, 20, 0, 0, -1), (Face{{0, 2}}));
    EXPECT_EQ(Hit(index, 100.5f, -0.5f, 20, 0, 0, -1), Face{});
    EXPECT_EQ(Hit(index, -0.9f, 0.5f, 40, 0, 0, -1), (Face{{0, 3}}));
}

TEST(FaceRayIndex, DamagedPolygonsAreNeverHitAndANewSceneRebuilds)
{
    scenegen::GenScene s = Stack();
    s.objects[0].polygons[2].vertex[1] = 200; // names no vertex: the front square loses a triangle
    s.vertices[4] = {std::numeric_limits<float>::quiet_NaN(), 0, 5}; // the middle square's corner
    CQM4EditDoc doc;
    Load(doc, s);
    CFaceRayIndex index;
    index.Refresh(doc); // builds
    EXPECT_EQ(index.FaceCount(), 7u);
    // Through the lost triangle and the one with the NaN corner, to the back square.
    EXPECT_EQ(Hit(index, 0.5f, -0.5f, 20, 0, 0, -1), (Face{{0, 0}}));
    EXPECT_EQ(Hit(index, -0.5f, 0.5f, 20, 0, 0, -1), (Face{{0, 3}}));

    Load(doc, scenetest::EmptyScene());
    EXPECT_TRUE(index.Refresh(doc));
    EXPECT_EQ(index.FaceCount(), 0u);
    EXPECT_EQ(Hit(index, 0, 0, 20, 0, 0, -1), Face{});
}

// A plain scan of every triangle, with the same tie rule; distances only, to compare with.
double NearestByScan(const CQM4EditDoc& doc, const double (&o)[3], const double (&d)[3])
{
    double best = std::numeric_limits<double>::infinity();
    for (int ob = 0; ob < doc.GetObjectCount(); ++ob)
        for (const auto& p : doc.GetObjectRecord(ob).polygons) {
            if (p.vertex[0] >= doc.GetVertexCount() || p.vertex[1] >= doc.GetVertexCount() ||
                p.vertex[2] >= doc.GetVertexCount())
                continue;
            const auto a = doc.GetVertex(p.vertex[0]), b = doc.GetVertex(p.vertex[1]), c = doc.GetVertex(p.vertex[2]);
            // Solve o + t d = a + u (b - a) + v (c - a) by Cramer's rule.
            const double e1[3] = {b.x - double(a.x), b.y - double(a.y), b.z - double(a.z)};
            const double e2[3] = {c.x - double(a.x), c.y - double(a.y), c.z - double(a.z)};
            const double r[3] = {o[0] - a.x, o[1] - a.y, o[2] - a.z};
            auto det3 = [](const double* x, const double* y, const double* z) {
                return x[0] * (y[1] * z[2] - y[2] * z[1]) - y[0] * (x[1] * z[2] - x[2] * z[1]) +
                    z[0] * (x[1] * y[2] - x[2] * y[1]);
            };
            const double md[3] = {-d[0], -d[1], -d[2]};
            const double det = det3(e1, e2, md);
            if (std::fabs(det) < 1e-12)
                continue;
            const double u = det3(r, e2, md) / det, v = det3(e1, r, md) / det, t = det3(e1, e2, r) / det;
            if (u >= 0 && v >= 0 && u + v <= 1 && t > 0)
                best = std::min(best, t);
        }
    return best;
}

TEST(FaceRayIndex, MatchesAScanOfEveryTriangle)
{
    scenegen::LargeOptions options;
    options.polygons = 20000;
    options.vertices = 3000;
    options.polygonsPerObject = 1500;
    CQM4EditDoc doc;
    Load(doc, scenegen::MakeLargeScene(options));
    CFaceRayIndex index;
    index.Build(doc);
    scenegen::Rng rng(7);
    int hits = 0;
    for (int i = 0; i < 400; ++i) {
        if (i == 200) {
            // A few vertices jump far: only the boxes above their triangles are refit.
            std::vector<scene::VertexChange> moves;
            for (int k = 0; k < 3; ++k) {
                const int v = static_cast<int>(rng.Range(0, 2999));
                const auto p = doc.GetVertex(v);
                moves.push_back({v, p.x + rng.Float(-800, 800), p.y + 900, p.z + rng.Float(-800, 800)});
            }
            doc.PreviewVertices(moves);
            ASSERT_TRUE(index.Refresh(doc));
        }
        // From a point well outside towards a vertex of the scene, nudged.
        const auto aim = doc.GetVertex(static_cast<int>(rng.Range(0, 2999)));
        const float o[3] = {rng.Float(-5000, 5000), rng.Float(-5000, 5000), rng.Float(-5000, 5000)};
        const float d[3] = {aim.x + rng.Float(-1, 1) - o[0], aim.y + rng.Float(-1, 1) - o[1],
                            aim.z + rng.Float(-1, 1) - o[2]};
        const double od[3] = {o[0], o[1], o[2]}, dd[3] = {d[0], d[1], d[2]};
        const double expected = NearestByScan(doc, od, dd);
        const auto hit = index.Pick(o, d);
        ASSERT_EQ(hit.has_value(), std::isfinite(expected)) << "ray " << i;
        if (!hit)
            continue;
        ++hits;
        EXPECT_NEAR(hit->distance, expected, 1e-5 * expected + 1e-6) << "ray " << i;
    }
    EXPECT_GT(hits, 200);
}

} // namespace
