// Reading and writing whole scene files: byte-exact round trips and the encodings of the
// sections.

#include <gtest/gtest.h>

#include <cstring>

#include "SceneTestSupport.h"
#include "common/ByteWriter.h"

using scene::CQM4EditDoc;
using scenetest::Bytes;

namespace {

std::vector<std::uint8_t> Resave(const std::vector<std::uint8_t>& file)
{
    CQM4EditDoc doc;
    const scene::LoadResult r = doc.Serialize(file);
    EXPECT_TRUE(r.Ok()) << r.message;
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(doc.SerializedSize(), file.size());
    return doc.SaveToBytes();
}

} // namespace

TEST(SceneRoundTrip, DemoSceneSavesBackByteForByte)
{
    const auto file = Bytes(scenegen::MakeDemoScene());
    EXPECT_EQ(Resave(file), file);
}

TEST(SceneRoundTrip, RandomScenesSaveBackByteForByte)
{
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        const auto file = Bytes(scenegen::MakeRandomScene(seed, seed % 2 == 0));
        ASSERT_EQ(Resave(file), file) << "seed " << seed;
    }
}

TEST(SceneRoundTrip, EmptyFormOfEverySectionLoadsAsAnEmptyLoadedScene)
{
    const auto file = Bytes(scenetest::EmptyScene());
    // Header, five empty record lists, empty section 6, a lone root leaf, two empty name lists.
    ASSERT_EQ(file.size(), 35u + 5 * 8 + 8 + 32 + 8 + 8);
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    EXPECT_TRUE(doc.IsLoaded());
    EXPECT_EQ(doc.GetObjectCount(), 0);
    EXPECT_TRUE(doc.TrailingData().empty());
    EXPECT_EQ(doc.SaveToBytes(), file);
}

TEST(SceneRoundTrip, TrailingBytesStayInPlace)
{
    auto s = scenegen::MakeDemoScene();
    s.trailing = {0x78, 0x56, 0x34, 0x12, 0, 0, 0xAA};
    const auto file = Bytes(s);
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    EXPECT_EQ(doc.TrailingData(), s.trailing);
    EXPECT_EQ(doc.SaveToBytes(), file);
}

TEST(SceneRoundTrip, ObjectWithoutBoundsKeepsItsShortForm)
{
    scenegen::GenScene s;
    s.vertices = {{1, 2, 3}};
    scenegen::GenObject o;
    o.hasBounds = 0;
    o.polygons.resize(3);
    o.objectWord = 0xDEADBEEF;
    s.objects.push_back(o);
    const auto file = Bytes(s);
    // Section 6: count, then objectWord, M, 3 polygons, hasBounds, marker; then its marker.
    ASSERT_EQ(file.size(), Bytes(scenetest::EmptyScene()).size() + 12 + 4 + 4 + 48 + 4 + 4);

    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    const scene::ObjectRecord& r = doc.GetObjectRecord(0);
    EXPECT_EQ(r.objectWord, 0xDEADBEEFu);
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(r.bounds.min[a], 0.0f);
        EXPECT_EQ(r.bounds.max[a], 0.0f);
    }
    // Its tree is empty, so the recomputed box is the empty box; still no box is written.
    doc.UpdateGeometry();
    EXPECT_TRUE(scene::SameBits(doc.GetObjectRecord(0).bounds, scene::BOX_EMPTY));
    EXPECT_EQ(doc.SaveToBytes().size(), file.size());
}

TEST(SceneEncoding, LitRecordsAreFifteenBytesAndKeepTheirFurtherBytes)
{
    scenegen::GenScene s;
    s.lit.resize(2);
    for (std::size_t i = 0; i < 2; ++i)
        for (std::size_t b = 0; b < 15; ++b)
            s.lit[i][b] = static_cast<std::uint8_t>(i * 15 + b + 1);
    const float u1 = 0.25f, v1 = -3.5f;
    std::memcpy(&s.lit[1][0], &u1, 4);
    std::memcpy(&s.lit[1][4], &v1, 4);
    const auto file = Bytes(s);

    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    const scene::TextureVertex t = doc.GetTextureVertex(scene::TEXVERTEX_LIT, 1);
    EXPECT_EQ(t.u, u1);
    EXPECT_EQ(t.v, v1);
    // Only the low 16 bits of the index count.
    EXPECT_EQ(doc.GetTextureVertex(scene::TEXVERTEX_LIT, 0x10001).u, u1);
    EXPECT_EQ(doc.SaveToBytes(), file);
}

TEST(SceneEncoding, TextureVertexKindFollowsTheLowFourBits)
{
    EXPECT_EQ(CQM4EditDoc::GetTextureVertexKind(0x0009), 1);
    EXPECT_EQ(CQM4EditDoc::GetTextureVertexKind(0xFFF9), 1);
    EXPECT_EQ(CQM4EditDoc::GetTextureVertexKind(0x000A), 2);
    EXPECT_EQ(CQM4EditDoc::GetTextureVertexKind(0x123A), 2);
    EXPECT_EQ(CQM4EditDoc::GetTextureVertexKind(0x0000), 0);
    EXPECT_EQ(CQM4EditDoc::GetTextureVertexKind(0x0019), 1);
    EXPECT_EQ(CQM4EditDoc::GetTextureVertexKind(0x000B), 0);
    EXPECT_EQ(CQM4EditDoc::GetTextureVertexKind(0x0090), 0);
}

TEST(SceneEncoding, NameListsAreCountedLengthPrefixedStrings)
{
    scenegen::GenScene s;
    s.textureNames = {"abc", ""};
    const auto file = Bytes(s);
    common::ByteWriter expected;
    expected.I32(2);
    expected.U32(3);
    expected.Text("abc");
    expected.U32(0);
    expected.U32(0x12345678);
    // Section 8 ends 8 bytes (the empty section 9) before the end of the file.
    const auto& want = expected.Data();
    ASSERT_GE(file.size(), want.size() + 8);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), file.end() - 8 - want.size()));

    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    EXPECT_EQ(doc.GetTextureName(0), "abc");
    EXPECT_EQ(doc.GetTextureName(1), "");
    EXPECT_EQ(doc.GetTextureName(2), ""); // no such entry
    EXPECT_EQ(doc.GetTextureName(0x10000), "abc");
}

TEST(SceneEncoding, NamesKeepZeroBytesAndAnyLengthButShowUpToTheFirstZero)
{
    scenegen::GenScene s;
    s.textureNames = {std::string("ab\0cd", 5), std::string(300, 'x')};
    s.extraNames = {std::string("\0\0", 2)};
    const auto file = Bytes(s);
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    EXPECT_EQ(doc.GetTextureName(0), "ab");
    EXPECT_EQ(doc.GetTextureName(1), std::string(300, 'x'));
    EXPECT_EQ(doc.ExtraNames().GetRawName(0), std::string("\0\0", 2));
    EXPECT_EQ(doc.SaveToBytes(), file);
}

TEST(SceneEncoding, BoundsTreesReadDepthFirstAndKeepStoredValues)
{
    scenegen::GenScene s;
    s.vertices = {{0, 0, 0}};
    scenegen::GenObject o;
    o.polygons.resize(3);
    scenegen::GenNode leaf;
    leaf.step = 7.5f;
    leaf.qMin[0] = 9;
    leaf.qMax[2] = 200;
    scenegen::GenNode inner;
    inner.step = 1.0f;
    inner.children = {leaf, leaf};
    inner.children[1].polygon = 2;
    scenegen::GenNode outer;
    outer.children = {inner, leaf};
    outer.children[1].polygon = 1;
    o.roots = {outer, leaf};
    s.objects.push_back(o);
    s.boundsRoot.children.resize(2);
    s.boundsRoot.children[0].children.resize(1);
    s.boundsRoot.children[0].children[0].objectIndex = 0;
    s.boundsRoot.children[1].objectIndex = 7;
    const auto file = Bytes(s);

    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    const scene::CPolygonBoundsTree& tree = doc.ObjectInfo().GetTree(0);
    ASSERT_EQ(tree.roots.size(), 2u);
    const auto& r0 = tree.roots[0];
    EXPECT_EQ(r0.childCount, 2);
    EXPECT_EQ(r0.polygon, 0xFFFF);
    ASSERT_EQ(r0.children.size(), 2u);
    EXPECT_EQ(r0.children[0].childCount, 2);
    EXPECT_EQ(r0.children[0].step, 1.0f);
    EXPECT_EQ(r0.children[0].children[1].polygon, 2);
    EXPECT_EQ(r0.children[0].children[1].qMax[2], 200);
    EXPECT_EQ(r0.children[1].polygon, 1);
    EXPECT_EQ(r0.children[1].step, 7.5f);
    EXPECT_EQ(tree.roots[1].childCount, 0);
    EXPECT_EQ(tree.NodeCount(), 6u);

    const scene::CBoundsNode& root = doc.SceneBounds().Root();
    EXPECT_EQ(root.objectIndex, 0xFFFF);
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[1].objectIndex, 7);
    EXPECT_EQ(doc.SceneBounds().NodeCount(), 4u);
    EXPECT_EQ(doc.SaveToBytes(), file);
}

TEST(SceneEncoding, LoneRootLeafOfSceneBoundsKeepsItsObjectIndex)
{
    scenegen::GenScene s;
    s.boundsRoot.objectIndex = 0xBEEF;
    for (int i = 0; i < 6; ++i)
        s.boundsRoot.box[i] = static_cast<float>(i) - 2.5f;
    const auto file = Bytes(s);
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    EXPECT_EQ(doc.SceneBounds().Root().objectIndex, 0xBEEF);
    EXPECT_EQ(doc.SceneBounds().Root().box.max[2], 2.5f);
    EXPECT_EQ(doc.SaveToBytes(), file);
}
