// Object bounds, quantized trees and the scene bounds tree.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "PlainRequantize.h"
#include "SceneTestSupport.h"

using scene::Box;
using scene::BOX_EMPTY;
using scene::CPolygonBoundsNode;
using scene::CQM4EditDoc;
using scene::ObjectGeometry;
using scene::ObjectVertex;
using scene::PolygonRecord;
using scenetest::Bytes;

namespace {

Box MakeBox(float x0, float y0, float z0, float x1, float y1, float z1)
{
    return Box{{x0, y0, z0}, {x1, y1, z1}};
}

void ExpectBox(const Box& b, const Box& want)
{
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(b.min[a], want.min[a]) << "min " << a;
        EXPECT_EQ(b.max[a], want.max[a]) << "max " << a;
    }
}

PolygonRecord Poly(std::uint16_t a, std::uint16_t b, std::uint16_t c)
{
    PolygonRecord p{};
    p.vertex[0] = a;
    p.vertex[1] = b;
    p.vertex[2] = c;
    return p;
}

CPolygonBoundsNode Leaf(std::uint16_t polygon)
{
    CPolygonBoundsNode n;
    n.polygon = polygon;
    return n;
}

CPolygonBoundsNode Inner(std::vector<CPolygonBoundsNode> children)
{
    CPolygonBoundsNode n;
    n.childCount = static_cast<std::uint16_t>(children.size());
    n.polygon = 0xFFFF;
    n.children = std::move(children);
    return n;
}

} // namespace

TEST(Requantize, WorkedExampleComesOutExactly)
{
    const std::vector<ObjectVertex> v = {{101.0f, 30.2f, 0.5f}, {300.5f, 60.7f, 19.9f}, {200.0f, 40.0f, 10.0f}};
    const std::vector<PolygonRecord> polys = {Poly(0, 1, 2)};
    const ObjectGeometry geo{polys, v};
    const Box parent = MakeBox(0, 0, 0, 510, 100, 20);

    CPolygonBoundsNode node = Leaf(0);
    Box e = BOX_EMPTY;
    scenetest::ComputeExactBox(node, geo, e);
    const Box decoded = scene::QuantizeNode(node, e, parent);
    EXPECT_EQ(node.step, 2.0f);
    EXPECT_EQ(node.qMin[0], 50);
    EXPECT_EQ(node.qMin[1], 15);
    EXPECT_EQ(node.qMin[2], 0);
    EXPECT_EQ(node.qMax[0], 151);
    EXPECT_EQ(node.qMax[1], 31);
    EXPECT_EQ(node.qMax[2], 10);
    ExpectBox(decoded, MakeBox(100, 30, 0, 302, 62, 20));

    // The recursive form hands that decoded box to the children.
    CPolygonBoundsNode tree = Inner({Leaf(0)});
    scenetest::Requantize(tree, geo, parent);
    EXPECT_EQ(tree.qMax[0], 151);
    const CPolygonBoundsNode& child = tree.children[0];
    EXPECT_EQ(child.step, static_cast<float>(202.0 * 0.00392156862745098)); // widest decoded extent, x
    CPolygonBoundsNode expectChild = Leaf(0);
    scene::QuantizeNode(expectChild, e, MakeBox(100, 30, 0, 302, 62, 20));
    EXPECT_EQ(std::vector<std::uint8_t>(child.qMin, child.qMin + 3),
              std::vector<std::uint8_t>(expectChild.qMin, expectChild.qMin + 3));
    EXPECT_EQ(std::vector<std::uint8_t>(child.qMax, child.qMax + 3),
              std::vector<std::uint8_t>(expectChild.qMax, expectChild.qMax + 3));
}

TEST(Requantize, TopOfTheWidestAxisStaysAt255)
{
    CPolygonBoundsNode n;
    scene::QuantizeNode(n, MakeBox(0, 0, 0, 510, 50, 20), MakeBox(0, 0, 0, 510, 100, 20));
    EXPECT_EQ(n.qMax[0], 255);
    EXPECT_EQ(n.qMax[1], 26); // 25 exactly, rounded up by one step
    EXPECT_EQ(n.qMax[2], 11);
}

TEST(Requantize, ValuesOutsideTheRangeKeepTheirLowEightBits)
{
    // A child's exact box may stick out of its parent's decoded box by rounding.
    CPolygonBoundsNode n;
    const Box p = MakeBox(0, 0, 0, 255, 1, 1); // s = 1
    scene::QuantizeNode(n, MakeBox(-0.5f, -1.5f, -300.0f, 256.5f, 260.0f, -2.0f), p);
    EXPECT_EQ(n.step, 1.0f);
    EXPECT_EQ(n.qMin[0], 0); // trunc(-0.5) = 0
    EXPECT_EQ(n.qMin[1], 255); // trunc(-1.5) = -1
    EXPECT_EQ(n.qMin[2], 212); // -300 mod 256
    EXPECT_EQ(n.qMax[0], 0); // 256
    EXPECT_EQ(n.qMax[1], 4); // 260
    EXPECT_EQ(n.qMax[2], 255); // trunc(-2 + 1) = -1
}

TEST(Requantize, DegenerateObjectGetsZeroStepsEverywhere)
{
    scenegen::GenScene s;
    s.vertices = {{3, 4, 5}};
    scenegen::GenObject o;
    o.polygons.resize(3); // every corner is vertex 0
    scenegen::GenNode inner;
    inner.children.resize(2);
    inner.children[1].polygon = 1;
    inner.step = 9.0f;
    inner.qMin[0] = 7;
    o.roots = {inner, scenegen::GenNode{}};
    o.roots[1].polygon = 2;
    s.objects.push_back(o);
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(s)).Ok());
    doc.UpdateGeometry();

    ExpectBox(doc.GetObjectRecord(0).bounds, MakeBox(3, 4, 5, 3, 4, 5));
    std::function<void(const CPolygonBoundsNode&)> check = [&](const CPolygonBoundsNode& n) {
        EXPECT_EQ(n.step, 0.0f);
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(n.qMin[a], 0);
            EXPECT_EQ(n.qMax[a], 0);
        }
        for (const auto& c : n.children)
            check(c);
    };
    for (const auto& r : doc.ObjectInfo().GetTree(0).roots)
        check(r);
}

TEST(RecomputeObjectBounds, MatchesThePlainRecursiveFormOnRandomScenes)
{
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        const auto file = Bytes(scenegen::MakeRandomScene(seed, seed % 3 == 0));
        CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(file).Ok());
        // The plain form on copies of the trees as read.
        std::vector<scene::CPolygonBoundsTree> expected;
        std::vector<Box> expectedBounds;
        const auto vertices = doc.ObjectVertices().Records();
        for (int i = 0; i < doc.GetObjectCount(); ++i) {
            scene::CPolygonBoundsTree t = doc.ObjectInfo().GetTree(i);
            const ObjectGeometry geo{doc.GetObjectRecord(i).polygons, vertices};
            Box b = BOX_EMPTY;
            scenetest::ComputeExactBox(t, geo, b);
            scenetest::Requantize(t, geo, b);
            expected.push_back(std::move(t));
            expectedBounds.push_back(b);
        }

        doc.UpdateGeometry();
        for (int i = 0; i < doc.GetObjectCount(); ++i) {
            EXPECT_TRUE(scene::SameBits(doc.GetObjectRecord(i).bounds, expectedBounds[i])) << seed << " " << i;
            std::function<void(const CPolygonBoundsNode&, const CPolygonBoundsNode&)> same =
                [&](const CPolygonBoundsNode& a, const CPolygonBoundsNode& b) {
                    ASSERT_EQ(std::memcmp(&a.step, &b.step, 4), 0);
                    ASSERT_EQ(std::memcmp(a.qMin, b.qMin, 3), 0);
                    ASSERT_EQ(std::memcmp(a.qMax, b.qMax, 3), 0);
                    ASSERT_EQ(a.children.size(), b.children.size());
                    for (std::size_t c = 0; c < a.children.size(); ++c)
                        same(a.children[c], b.children[c]);
                };
            const auto& got = doc.ObjectInfo().GetTree(i).roots;
            ASSERT_EQ(got.size(), expected[i].roots.size());
            for (std::size_t r = 0; r < got.size(); ++r)
                same(got[r], expected[i].roots[r]);
        }
    }
}

TEST(RecomputeObjectBounds, SecondRunChangesNothing)
{
    for (std::uint64_t seed : {1u, 2u, 3u, 17u, 99u}) {
        CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeRandomScene(seed, true))).Ok());
        doc.UpdateGeometry();
        const auto once = doc.SaveToBytes();
        doc.UpdateGeometry();
        EXPECT_EQ(doc.SaveToBytes(), once) << seed;
    }
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
    doc.UpdateGeometry();
    const auto once = doc.SaveToBytes();
    doc.UpdateGeometry();
    EXPECT_EQ(doc.SaveToBytes(), once);
}

TEST(RecomputeObjectBounds, OnlyPolygonsNamedByLeavesCountAndBadIndicesAreSkipped)
{
    scenegen::GenScene s;
    s.vertices = {{1, 1, 1}, {2, 3, 4}, {-5, 0, 0}, {100, 100, 100}};
    scenegen::GenObject o;
    scenegen::GenPolygon good, unnamed, badCorner;
    good.vertex[0] = 0;
    good.vertex[1] = 1;
    good.vertex[2] = 1;
    unnamed.vertex[0] = unnamed.vertex[1] = unnamed.vertex[2] = 3;
    badCorner.vertex[0] = 2;
    badCorner.vertex[1] = 4000; // no such vertex
    badCorner.vertex[2] = 2;
    o.polygons = {good, unnamed, badCorner};
    o.roots.resize(3);
    o.roots[0].polygon = 0;
    o.roots[1].polygon = 2;
    o.roots[2].polygon = 77; // no such polygon: leaves the empty box
    s.objects.push_back(o);
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(s)).Ok());
    doc.UpdateGeometry();
    ExpectBox(doc.GetObjectRecord(0).bounds, MakeBox(-5, 0, 0, 2, 3, 4));
    const auto& bad = doc.ObjectInfo().GetTree(0).roots[2];
    Box e = BOX_EMPTY;
    scenetest::ComputeExactBox(bad, {doc.GetObjectRecord(0).polygons, doc.ObjectVertices().Records()}, e);
    EXPECT_TRUE(scene::SameBits(e, BOX_EMPTY));
}

TEST(RecomputeBounds, InnerNodesAreUnionsAndLeavesTakeTheirObjectsBox)
{
    scenegen::GenScene s;
    s.vertices = {{0, 0, 0}, {1, 2, 3}, {-4, 5, 1}, {10, -1, 2}};
    auto object = [](std::uint16_t a, std::uint16_t b) {
        scenegen::GenObject o;
        scenegen::GenPolygon p;
        p.vertex[0] = a;
        p.vertex[1] = b;
        p.vertex[2] = b;
        o.polygons = {p};
        o.roots.resize(1);
        return o;
    };
    s.objects = {object(0, 1), object(2, 2), object(3, 0)};
    s.objects.push_back(scenegen::GenObject{}); // empty tree: its box stays empty
    s.boundsRoot.children.resize(3);
    s.boundsRoot.children[0].children.resize(2);
    s.boundsRoot.children[0].children[0].objectIndex = 0;
    s.boundsRoot.children[0].children[1].objectIndex = 1;
    s.boundsRoot.children[1].objectIndex = 2;
    s.boundsRoot.children[2].children.resize(2);
    s.boundsRoot.children[2].children[0].objectIndex = 3;
    s.boundsRoot.children[2].children[1].objectIndex = 999; // no such object
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(s)).Ok());
    doc.UpdateGeometry();

    const scene::CBoundsNode& root = doc.SceneBounds().Root();
    ExpectBox(root.children[0].children[0].box, MakeBox(0, 0, 0, 1, 2, 3));
    ExpectBox(root.children[0].children[1].box, MakeBox(-4, 5, 1, -4, 5, 1));
    ExpectBox(root.children[0].box, MakeBox(-4, 0, 0, 1, 5, 3));
    ExpectBox(root.children[1].box, MakeBox(0, -1, 0, 10, 0, 2));
    ExpectBox(root.children[2].box, BOX_EMPTY);
    ExpectBox(root.box, MakeBox(-4, -1, 0, 10, 5, 3));
    // Unchanged shape: the saved file differs from the original only in boxes.
    EXPECT_EQ(doc.SaveToBytes().size(), Bytes(s).size());
}

TEST(RecomputeBounds, MinimaNeverExceedTheStartValueNorMaximaFallBelowIt)
{
    scenegen::GenScene s;
    s.vertices = {{2000000.0f, 5, 5}, {3000000.0f, 6, -2000000.0f}};
    scenegen::GenObject o;
    scenegen::GenPolygon p;
    p.vertex[1] = p.vertex[2] = 1;
    o.polygons = {p};
    o.roots.resize(1);
    s.objects = {o};
    s.boundsRoot.objectIndex = 0;
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(Bytes(s)).Ok());
    doc.UpdateGeometry();
    const Box want = MakeBox(1000000.0f, 5, -2000000.0f, 3000000.0f, 6, 5);
    ExpectBox(doc.GetObjectRecord(0).bounds, want);
    ExpectBox(doc.SceneBounds().Root().box, want);
}
