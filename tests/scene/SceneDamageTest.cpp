// Damaged, truncated and hostile files: the exact message, a stop icon, and an empty scene
// afterwards, never a crash.

#include <gtest/gtest.h>

#include <cstring>

#include "SceneTestSupport.h"
#include "common/ByteWriter.h"

using scene::CQM4EditDoc;
using scene::LoadStatus;
using scenetest::Bytes;

namespace {

// Loads a good scene first, so that a failure must also throw away what was there.
struct Loaded {
    CQM4EditDoc doc;
    scenetest::RecordingObserver observer;
    Loaded()
    {
        doc.AddObserver(&observer);
        EXPECT_TRUE(doc.Serialize(Bytes(scenegen::MakeDemoScene())).Ok());
        observer.events.clear();
    }
};

void ExpectRejected(const std::vector<std::uint8_t>& file, const std::string& message,
                    LoadStatus status = LoadStatus::Rejected)
{
    Loaded l;
    const scene::LoadResult r = l.doc.Serialize(file);
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(r.message, message);
    EXPECT_EQ(r.icon, common::MessageIcon::Stop);
    EXPECT_TRUE(scenetest::SceneIsEmpty(l.doc));
    // The tree was emptied and never refilled.
    for (const std::string& e : l.observer.events)
        EXPECT_NE(e.rfind("add", 0), 0u) << e;
    ASSERT_FALSE(l.observer.events.empty());
    EXPECT_EQ(l.observer.events.back(), "update");
}

const char* const SECTION_MESSAGES_BY_MARKER[] = {
    "object vertices", "unlit texture vertices", "prelit texture vertices", "lit texture vertices", "light sources",
};

// Which section a marker index of the demo scene (four objects) belongs to.
std::string SectionOfMarker(std::size_t k)
{
    if (k < 5)
        return SECTION_MESSAGES_BY_MARKER[k];
    if (k < 10)
        return "object information";
    return k == 10 ? "scene bounds" : k == 11 ? "texture names" : "extra names";
}

} // namespace

TEST(SceneHeader, WrongMagicOrLetterCaseOrMissingZeroIsUnrecognizedFormat)
{
    const auto good = Bytes(scenetest::EmptyScene());
    auto lower = good;
    lower[0] = 'q';
    ExpectRejected(lower, "Unrecognized file format");
    auto noZero = good;
    noZero[30] = ' ';
    ExpectRejected(noZero, "Unrecognized file format");
    ExpectRejected(std::vector<std::uint8_t>(good.begin(), good.begin() + 30), "Unrecognized file format");
    ExpectRejected({}, "Unrecognized file format");
}

TEST(SceneHeader, OnlyVersionFiveIsAccepted)
{
    for (std::uint8_t version : {4, 6, 0}) {
        auto file = Bytes(scenetest::EmptyScene());
        file[31] = version;
        ExpectRejected(file, "Unrecognized file version");
    }
    auto high = Bytes(scenetest::EmptyScene());
    high[34] = 1; // 5 + 2^24
    ExpectRejected(high, "Unrecognized file version");
}

TEST(SceneHeader, FileEndingInsideTheVersionFailsTheOpen)
{
    const auto good = Bytes(scenetest::EmptyScene());
    for (std::size_t n = 31; n < 35; ++n)
        ExpectRejected(std::vector<std::uint8_t>(good.begin(), good.begin() + n), scene::MSG_SHORT_VERSION,
                       LoadStatus::NotOpened);
}

TEST(SceneMarkers, EveryWrongMarkerNamesItsSection)
{
    const auto good = Bytes(scenegen::MakeDemoScene());
    const auto markers = scenetest::MarkerOffsets(good);
    ASSERT_EQ(markers.size(), 13u); // 5 lists, 4 objects, section 6, sections 7 to 9
    for (std::size_t k = 0; k < markers.size(); ++k) {
        auto bad = good;
        bad[markers[k] + 3] = 0x13; // 78 56 34 13
        SCOPED_TRACE(k);
        ExpectRejected(bad, "Unexpected value in data stream while reading " + SectionOfMarker(k) + "!");
    }
}

TEST(SceneTruncation, EveryPrefixFailsWithTheSectionItEndsIn)
{
    const auto good = Bytes(scenegen::MakeDemoScene());
    const auto markers = scenetest::MarkerOffsets(good);
    ASSERT_EQ(markers.size(), 13u);
    const std::size_t trailingStart = markers.back() + 4;

    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::vector<std::uint8_t> prefix(good.begin(), good.begin() + n);
        CQM4EditDoc doc;
        const scene::LoadResult r = doc.Serialize(prefix);
        if (n >= trailingStart) {
            // Whole sections: only trailing bytes are missing, which is still a scene.
            ASSERT_TRUE(r.Ok()) << n;
            EXPECT_EQ(doc.TrailingData().size(), n - trailingStart);
            continue;
        }
        ASSERT_FALSE(r.Ok()) << n;
        ASSERT_TRUE(scenetest::SceneIsEmpty(doc)) << n;
        EXPECT_EQ(r.icon, common::MessageIcon::Stop);
        std::string expected;
        if (n < 31)
            expected = "Unrecognized file format";
        else if (n < 35)
            expected = scene::MSG_SHORT_VERSION;
        else {
            std::size_t k = 0;
            while (markers[k] + 4 <= n)
                ++k;
            expected = "Unexpected end of file while reading " + SectionOfMarker(k) + "!";
        }
        ASSERT_EQ(r.message, expected) << "prefix of " << n << " bytes";
    }
}

TEST(SceneTruncation, RandomScenesCutAnywhereNeverLoadHalfAScene)
{
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const auto file = Bytes(scenegen::MakeRandomScene(seed, true));
        const std::size_t trailing = scenegen::MakeRandomScene(seed, true).trailing.size();
        for (std::size_t n = 0; n + trailing < file.size(); ++n) {
            CQM4EditDoc doc;
            const scene::LoadResult r = doc.Serialize(std::span(file.data(), n));
            ASSERT_FALSE(r.Ok()) << seed << " " << n;
            ASSERT_FALSE(r.message.empty());
            ASSERT_TRUE(scenetest::SceneIsEmpty(doc));
        }
    }
}

TEST(SceneHostileCounts, CountsBeyondTheFileFailWithoutAllocating)
{
    const auto empty = Bytes(scenetest::EmptyScene());
    struct Case {
        std::size_t offset;
        std::uint32_t value;
        const char* message;
    };
    // Offsets in the empty scene: counts of sections 1 to 5 at 35 + 8k, section 6 at 75,
    // section 8 at 115, section 9 at 123.
    const Case cases[] = {
        {35, 0x7FFFFFFF, "Unexpected end of file while reading object vertices!"},
        {35, 0xFFFFFFFF, "Unexpected end of file while reading object vertices!"},
        {43, 0x00100000, "Unexpected end of file while reading unlit texture vertices!"},
        {51, 0x80000000, "Unexpected end of file while reading prelit texture vertices!"},
        {59, 0x10000000, "Unexpected end of file while reading lit texture vertices!"},
        {67, 0x7FFFFFFF, "Unexpected end of file while reading light sources!"},
        {75, 0xFFFFFFFF, "Unexpected end of file while reading object information!"},
        {115, 0x7FFFFFFF, "Unexpected end of file while reading texture names!"},
        {123, 0xFFFFFFFF, "Unexpected end of file while reading extra names!"},
    };
    for (const Case& c : cases) {
        auto bad = empty;
        std::memcpy(&bad[c.offset], &c.value, 4);
        SCOPED_TRACE(c.offset);
        ExpectRejected(bad, c.message);
    }
}

TEST(SceneHostileCounts, PolygonCountRootCountChildCountAndNameLengthAreChecked)
{
    scenegen::GenScene s;
    scenegen::GenObject o;
    o.polygons.resize(1);
    scenegen::GenNode inner;
    inner.children.resize(2);
    o.roots = {inner};
    s.objects.push_back(o);
    s.boundsRoot.children.resize(1);
    s.textureNames = {"abc"};
    const auto good = Bytes(s);
    // Section 6 starts at 75: count, objectWord, M at 83, polygon, hasBounds at 103, bounds,
    // root count at 131, node step at 133, child count at 143.
    auto polygons = good;
    polygons[86] = 0x40;
    ExpectRejected(polygons, "Unexpected end of file while reading object information!");
    auto roots = good;
    roots[131] = 0xFF;
    roots[132] = 0xFF;
    ExpectRejected(roots, "Unexpected end of file while reading object information!");
    auto children = good;
    children[143] = 0xFF;
    children[144] = 0xFF;
    ExpectRejected(children, "Unexpected end of file while reading object information!");

    const auto markers = scenetest::MarkerOffsets(good);
    ASSERT_EQ(markers.size(), 10u);
    auto sceneChildren = good;
    const std::size_t section7 = markers[6] + 4;
    sceneChildren[section7 + 24] = 0xFF;
    sceneChildren[section7 + 25] = 0xFF;
    ExpectRejected(sceneChildren, "Unexpected end of file while reading scene bounds!");
    auto nameLength = good;
    const std::size_t section8 = markers[7] + 4;
    nameLength[section8 + 4 + 3] = 0x7F;
    ExpectRejected(nameLength, "Unexpected end of file while reading texture names!");
}

TEST(SceneHostileTrees, NestingBeyondTheLimitIsRefusedWithTheSectionsMessage)
{
    auto chain = [](int depth) {
        scenegen::GenScene s;
        scenegen::GenObject o;
        o.polygons.resize(1);
        scenegen::GenNode node; // a leaf
        for (int d = 1; d < depth; ++d) {
            scenegen::GenNode parent;
            parent.children.push_back(std::move(node));
            node = std::move(parent);
        }
        o.roots.push_back(std::move(node));
        s.objects.push_back(std::move(o));

        scenegen::GenBoundsNode b;
        for (int d = 1; d < depth; ++d) {
            scenegen::GenBoundsNode parent;
            parent.children.push_back(std::move(b));
            b = std::move(parent);
        }
        s.boundsRoot = std::move(b);
        return Bytes(s);
    };
    {
        CQM4EditDoc doc;
        ASSERT_TRUE(doc.Serialize(chain(scene::MAX_TREE_DEPTH)).Ok());
        doc.UpdateGeometry();
        EXPECT_EQ(doc.SaveToBytes().size(), chain(scene::MAX_TREE_DEPTH).size());
    }
    ExpectRejected(chain(scene::MAX_TREE_DEPTH + 1),
                   "Unexpected value in data stream while reading object information!");

    // Deep scene bounds alone: a shallow object tree and a deep section 7.
    scenegen::GenScene s;
    scenegen::GenBoundsNode b;
    for (int d = 1; d <= scene::MAX_TREE_DEPTH; ++d) {
        scenegen::GenBoundsNode parent;
        parent.children.push_back(std::move(b));
        b = std::move(parent);
    }
    s.boundsRoot = std::move(b);
    ExpectRejected(Bytes(s), "Unexpected value in data stream while reading scene bounds!");
}

TEST(SceneFailures, AFailedReadReplacesTheWholePreviousScene)
{
    Loaded l;
    auto s = scenegen::MakeDemoScene();
    auto file = Bytes(s);
    file[file.size() - s.trailing.size() - 1] = 0; // section 9's marker
    const scene::LoadResult r = l.doc.Serialize(file);
    EXPECT_EQ(r.message, "Unexpected value in data stream while reading extra names!");
    EXPECT_TRUE(scenetest::SceneIsEmpty(l.doc));
    // Reading again after a failure works normally.
    EXPECT_TRUE(l.doc.Serialize(Bytes(s)).Ok());
    EXPECT_EQ(l.doc.TrailingData(), s.trailing);
}
