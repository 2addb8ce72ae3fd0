// No input of N bytes may make a reader hold much more than N bytes (plus the fixed texture
// store), nor recurse without bound. Every count and length field is fed the largest value it
// can hold, and the genuinely largest structures a file of a given size can describe are
// measured against that size.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "AllocCounter.h"
#include "FaultFs.h"
#include "ScriptedPrompt.h"
#include "common/ByteWriter.h"
#include "scene/QM4EditDoc.h"
#include "scene/SceneBounds.h"
#include "scene/csv/CsvExchange.h"
#include "texture/PixloomDoc.h"

namespace fs = std::filesystem;
using fault::PeakScope;

namespace {

constexpr std::uint32_t MARKER = 0x12345678;

// What a reader may hold for an input of n bytes: a small multiple of it (records and names
// cost more in memory than in the file) and a little for itself.
std::size_t Allowance(std::size_t n)
{
    return 10 * n + 64 * 1024;
}

// Builds scene files section by section, so that any one field can be made hostile while
// everything before it is valid.
class Qm4 {
public:
    Qm4()
    {
        w.Bytes(scene::QM4_MAGIC, sizeof scene::QM4_MAGIC);
        w.U32(scene::QM4_VERSION);
    }
    Qm4& EmptyLists(int n)
    {
        for (int i = 0; i < n; ++i) {
            w.I32(0);
            w.U32(MARKER);
        }
        return *this;
    }
    Qm4& NoObjects()
    {
        w.U32(0);
        w.U32(MARKER);
        return *this;
    }
    Qm4& LeafBoundsRoot()
    {
        for (int i = 0; i < 6; ++i)
            w.F32(0.0f);
        w.U16(0);
        w.U16(0);
        w.U32(MARKER);
        return *this;
    }
    Qm4& UpToObjects() { return EmptyLists(5); }
    Qm4& UpToSceneBounds() { return EmptyLists(5).NoObjects(); }
    Qm4& UpToNames() { return EmptyLists(5).NoObjects().LeafBoundsRoot(); }
    Qm4& Tail(std::size_t bytes)
    {
        for (std::size_t i = 0; i < bytes; ++i)
            w.U8(0);
        return *this;
    }
    std::vector<std::uint8_t> Bytes() { return w.Take(); }

    common::ByteWriter w;
};

struct Outcome {
    bool loaded;
    std::string message;
    std::size_t peak;
};

Outcome LoadScene(const std::vector<std::uint8_t>& file)
{
    scene::CQM4EditDoc doc;
    PeakScope scope;
    const scene::LoadResult r = doc.Serialize(file);
    return {r.Ok(), r.message, scope.Extra()};
}

void ExpectRefusedWithinBounds(const std::vector<std::uint8_t>& file, const std::string& what)
{
    const Outcome o = LoadScene(file);
    EXPECT_FALSE(o.loaded) << what;
    EXPECT_FALSE(o.message.empty()) << what;
    EXPECT_LE(o.peak, Allowance(file.size())) << what;
}

TEST(AllocCounter, SeesWhatIsAllocated)
{
    PeakScope scope;
    {
        std::vector<char> block(1 << 20);
        block[0] = 1;
    }
    EXPECT_GE(scope.Extra(), std::size_t(1) << 20);
    EXPECT_EQ(fault::HeldBytes(), fault::PeakBytes() - scope.Extra());
}

const std::uint32_t HOSTILE_COUNTS[] = {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x10000000u, 0x00100000u};

TEST(SceneLimits, RecordListCountsNeverDriveAllocation)
{
    for (int section = 0; section < 5; ++section) {
        for (std::uint32_t count : HOSTILE_COUNTS) {
            Qm4 q;
            q.EmptyLists(section);
            q.w.U32(count);
            q.Tail(64);
            ExpectRefusedWithinBounds(q.Bytes(),
                                      "section " + std::to_string(section + 1) + " count " + std::to_string(count));
        }
    }
}

TEST(SceneLimits, ObjectPolygonAndTreeCountsNeverDriveAllocation)
{
    for (std::uint32_t count : HOSTILE_COUNTS) {
        Qm4 objects;
        objects.UpToObjects().w.U32(count);
        objects.Tail(64);
        ExpectRefusedWithinBounds(objects.Bytes(), "object count " + std::to_string(count));

        Qm4 polygons;
        polygons.UpToObjects().w.U32(1);
        polygons.w.U32(0);
        polygons.w.U32(count);
        polygons.Tail(64);
        ExpectRefusedWithinBounds(polygons.Bytes(), "polygon count " + std::to_string(count));
    }
    for (std::uint16_t count : {std::uint16_t(0xFFFF), std::uint16_t(0x8000), std::uint16_t(100)}) {
        Qm4 roots;
        roots.UpToObjects().w.U32(1);
        roots.w.U32(0);
        roots.w.U32(0);
        roots.w.U32(1);
        roots.Tail(24);
        roots.w.U16(count);
        roots.Tail(40);
        ExpectRefusedWithinBounds(roots.Bytes(), "root count " + std::to_string(count));

        Qm4 children;
        children.UpToObjects().w.U32(1);
        children.w.U32(0);
        children.w.U32(0);
        children.w.U32(1);
        children.Tail(24);
        children.w.U16(1);
        children.Tail(10);
        children.w.U16(count);
        children.Tail(40);
        ExpectRefusedWithinBounds(children.Bytes(), "child count " + std::to_string(count));

        Qm4 sceneChildren;
        sceneChildren.UpToSceneBounds().Tail(24);
        sceneChildren.w.U16(count);
        sceneChildren.Tail(40);
        ExpectRefusedWithinBounds(sceneChildren.Bytes(), "scene bounds child count " + std::to_string(count));
    }
}

TEST(SceneLimits, NameCountsAndLengthsNeverDriveAllocation)
{
    for (int list = 0; list < 2; ++list) {
        for (std::uint32_t count : HOSTILE_COUNTS) {
            Qm4 names;
            names.UpToNames();
            if (list == 1)
                names.EmptyLists(1);
            names.w.U32(count);
            names.Tail(64);
            ExpectRefusedWithinBounds(names.Bytes(), "name count " + std::to_string(count));

            Qm4 length;
            length.UpToNames();
            if (list == 1)
                length.EmptyLists(1);
            length.w.U32(1);
            length.w.U32(count);
            length.Tail(64);
            ExpectRefusedWithinBounds(length.Bytes(), "name length " + std::to_string(count));
        }
    }
}

// The most a file of about `bytes` bytes can make the reader build: the smallest entries,
// packed. These load, and must still stay within a small multiple of the file.
TEST(SceneLimits, DensestFilesStayWithinASmallMultipleOfTheirSize)
{
    constexpr std::uint32_t N = 20000;
    struct Case {
        const char* what;
        std::function<void(Qm4&)> build;
    };
    const Case cases[] = {
        {"empty names",
         [](Qm4& q) {
             q.UpToNames();
             q.w.U32(N);
             for (std::uint32_t i = 0; i < N; ++i)
                 q.w.U32(0);
             q.w.U32(MARKER);
             q.EmptyLists(1);
         }},
        {"objects without polygons",
         [](Qm4& q) {
             q.UpToObjects();
             q.w.U32(N);
             for (std::uint32_t i = 0; i < N; ++i) {
                 q.w.U32(0);
                 q.w.U32(0);
                 q.w.U32(0);
                 q.w.U32(MARKER);
             }
             q.w.U32(MARKER);
             q.LeafBoundsRoot().EmptyLists(2);
         }},
        {"objects with one empty tree each",
         [](Qm4& q) {
             q.UpToObjects();
             q.w.U32(N);
             for (std::uint32_t i = 0; i < N; ++i) {
                 q.w.U32(0);
                 q.w.U32(0);
                 q.w.U32(1);
                 q.Tail(24);
                 q.w.U16(0);
                 q.w.U32(MARKER);
             }
             q.w.U32(MARKER);
             q.LeafBoundsRoot().EmptyLists(2);
         }},
        {"leaves of one object's tree",
         [](Qm4& q) {
             q.UpToObjects();
             q.w.U32(1);
             q.w.U32(0);
             q.w.U32(0);
             q.w.U32(1);
             q.Tail(24);
             q.w.U16(1);
             q.Tail(10);
             q.w.U16(0xFFFF); // one inner root with as many leaves as a node can have
             for (int i = 0; i < 0xFFFF; ++i) {
                 q.Tail(10);
                 q.w.U16(0);
                 q.w.U16(0);
             }
             q.w.U32(MARKER);
             q.w.U32(MARKER);
             q.LeafBoundsRoot().EmptyLists(2);
         }},
        {"leaves of the scene bounds",
         [](Qm4& q) {
             q.UpToSceneBounds();
             q.Tail(24);
             q.w.U16(0xFFFF);
             for (int i = 0; i < 0xFFFF; ++i) {
                 q.Tail(24);
                 q.w.U16(0);
                 q.w.U16(0);
             }
             q.w.U32(MARKER);
             q.EmptyLists(2);
         }},
    };
    for (const Case& c : cases) {
        Qm4 q;
        c.build(q);
        const std::vector<std::uint8_t> file = q.Bytes();
        const Outcome o = LoadScene(file);
        EXPECT_TRUE(o.loaded) << c.what << ": " << o.message;
        EXPECT_LE(o.peak, Allowance(file.size())) << c.what << ": " << o.peak << " bytes for a file of " << file.size();
    }
}

// ---- depth ----

// A chain of inner nodes, each with one child, ending in a leaf.
void PolygonChain(Qm4& q, int depth)
{
    q.UpToObjects();
    q.w.U32(1);
    q.w.U32(0);
    q.w.U32(1);
    for (int i = 0; i < 8; ++i) // one polygon
        q.w.U16(0);
    q.w.U32(1);
    q.Tail(24);
    q.w.U16(1);
    for (int i = 1; i < depth; ++i) {
        q.Tail(10);
        q.w.U16(1);
    }
    q.Tail(10);
    q.w.U16(0);
    q.w.U16(0);
    q.w.U32(MARKER);
    q.w.U32(MARKER);
    q.LeafBoundsRoot().EmptyLists(2);
}

void SceneChain(Qm4& q, int depth)
{
    q.UpToSceneBounds();
    for (int i = 1; i < depth; ++i) {
        q.Tail(24);
        q.w.U16(1);
    }
    q.Tail(24);
    q.w.U16(0);
    q.w.U16(0);
    q.w.U32(MARKER);
    q.EmptyLists(2);
}

TEST(SceneLimits, TreesNestedBeyondTheLimitAreRefusedWithoutDeepRecursion)
{
    for (int depth : {scene::MAX_TREE_DEPTH + 1, 100000, 1000000}) {
        Qm4 polygonTree;
        PolygonChain(polygonTree, depth);
        ExpectRefusedWithinBounds(polygonTree.Bytes(), "object tree depth " + std::to_string(depth));
        Qm4 sceneTree;
        SceneChain(sceneTree, depth);
        ExpectRefusedWithinBounds(sceneTree.Bytes(), "scene bounds depth " + std::to_string(depth));
    }
}

TEST(SceneLimits, TreesAtTheLimitLoadRecomputeSaveAndFree)
{
    for (auto build : {PolygonChain, SceneChain}) {
        Qm4 q;
        build(q, scene::MAX_TREE_DEPTH);
        const std::vector<std::uint8_t> file = q.Bytes();
        scene::CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(file).Ok());
        doc.UpdateGeometry();
        const std::vector<std::uint8_t> saved = doc.SaveToBytes();
        EXPECT_EQ(saved.size(), file.size());
        scene::CQM4EditDoc again;
        EXPECT_TRUE(again.Serialize(saved).Ok());
    }
}

// ---- files far larger than anything they can describe ----

class LargeFiles : public ::testing::Test {
protected:
    fault::TempDir dir;

    // A sparse file: its length costs no disk.
    fs::path Sparse(const std::string& name, std::uintmax_t size, const std::vector<std::uint8_t>& head)
    {
        const fs::path p = dir.Path() / name;
        {
            std::ofstream out(p, std::ios::binary);
            out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
        }
        fs::resize_file(p, size);
        return p;
    }
};

TEST_F(LargeFiles, TextureReadersReadNoMoreThanATextureCanHold)
{
    texture::CPixloomDoc doc; // the fixed store is allocated here, outside the measurement
    std::vector<std::uint8_t> head(32, 0);
    head[20] = 0x00;
    head[21] = 0x02; // 512 x 512 x 32 bits
    head[24] = 0x00;
    head[25] = 0x02;
    head[28] = 32;
    const std::uintmax_t huge = std::uintmax_t(6) << 30;
    const std::size_t store = 512u * 512u * 4u;

    const fs::path tex = Sparse("huge.tex", huge, head);
    {
        ScriptedPrompt p;
        PeakScope scope;
        EXPECT_FALSE(doc.OnOpenDocument(tex, p));
        EXPECT_LE(scope.Extra(), store + 64 * 1024 + 32);
        ASSERT_EQ(p.Count(), 1u);
    }

    // A Targa for a loaded 512 x 512 texture behind the longest image ID and colour map.
    {
        std::vector<std::uint8_t> file = head;
        file.resize(32 + store, 0x5A);
        ScriptedPrompt p;
        ASSERT_TRUE(doc.ReadTex(file, p));
    }
    std::vector<std::uint8_t> tgaHead(18, 0);
    tgaHead[0] = 255; // the longest image ID
    tgaHead[2] = 2;
    tgaHead[5] = 0xFF; // the longest colour map, of the widest entries
    tgaHead[6] = 0xFF;
    tgaHead[7] = 255;
    tgaHead[13] = 0x02; // 512 x 512 x 32 bits
    tgaHead[15] = 0x02;
    tgaHead[16] = 32;
    const fs::path tga = Sparse("huge.tga", huge, tgaHead);
    {
        ScriptedPrompt p;
        PeakScope scope;
        EXPECT_TRUE(doc.ImportTarga(tga, p));
        // Header, image ID, colour map and the largest pixel block at most.
        EXPECT_LE(scope.Extra(), 18u + 255u + 65535u * 32u + store + 64 * 1024);
        EXPECT_EQ(p.Count(), 0u);
        EXPECT_EQ(doc.GetPixel(511, 511)[0], 0); // the zeros of the sparse file
    }
}

TEST_F(LargeFiles, TextureHeadersClaimingHugeSizesAreRefusedBeforeAnyPixel)
{
    texture::CPixloomDoc doc;
    const std::int32_t extremes[] = {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(),
                                     -1, 513, 65536};
    for (std::int32_t x : extremes) {
        for (std::int32_t bpp :
             {32, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()}) {
            std::vector<std::uint8_t> file(32, 0);
            auto put = [&](std::size_t at, std::int32_t v) {
                for (int i = 0; i < 4; ++i)
                    file[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
            };
            put(20, x);
            put(24, x);
            put(28, bpp);
            ScriptedPrompt p;
            PeakScope scope;
            EXPECT_FALSE(doc.ReadTex(file, p)) << x << " " << bpp;
            EXPECT_EQ(p.Count(), 1u);
            EXPECT_LE(scope.Extra(), 64u * 1024u);
            EXPECT_FALSE(doc.IsLoaded());
        }
    }
}

TEST(CsvLimits, LongLinesAndNumbersCostNoMoreThanTheText)
{
    scene::CQM4EditDoc doc;
    {
        Qm4 q;
        q.w.I32(4);
        q.Tail(48);
        q.w.U32(MARKER);
        q.EmptyLists(4).NoObjects().LeafBoundsRoot().EmptyLists(2);
        ASSERT_TRUE(doc.Serialize(q.Bytes()).Ok());
    }
    const std::string digits(1 << 20, '9');
    const std::string texts[] = {
        "1," + digits + "," + digits + "," + digits + "\r\n",
        std::string(1 << 20, ','),
        std::string(1 << 20, '\n'),
        "0." + digits + "e-" + digits + ",1,1,1\n",
        "2," + std::string(1 << 20, '-') + "\n",
    };
    for (const std::string& t : texts) {
        for (scene::CsvType type : {scene::CSV_OBJECT_POLYGONS, scene::CSV_UNIQUE_VERTS}) {
            PeakScope scope;
            scene::ImportCsvText(doc, t, type);
            EXPECT_LE(scope.Extra(), Allowance(t.size()));
        }
    }
    EXPECT_EQ(doc.GetVertexCount(), 4);
}

} // namespace
