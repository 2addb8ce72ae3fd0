// Export and import of polygon and vertex lines against a real document.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "SceneBuilder.h"
#include "scene/csv/CsvExchange.h"
#include "scene/csv/CsvMessages.h"

using namespace scene;
namespace fs = std::filesystem;

namespace {

struct ViewCounter : ISceneObserver {
    int updates = 0;
    void UpdateAllViews() override { ++updates; }
};

// Object 0: polygons (10,11,12) and (11,12,13); object 1: no polygons; object 2: (1,2,3).
SceneBuilder ThreeObjects()
{
    SceneBuilder b;
    for (int i = 0; i < 14; ++i)
        b.vertices.push_back({static_cast<float>(i), static_cast<float>(i) * 0.5f, -static_cast<float>(i)});
    b.vertices[10] = {1.5f, 0.0f, -2.25f};
    b.vertices[11] = {1.0f, 1.0f, 1.0f};
    b.vertices[12] = {0.0f, 0.0f, 0.0f};
    b.objects = {{TestPolygon{{10, 11, 12}}, TestPolygon{{11, 12, 13}}}, {}, {TestPolygon{{1, 2, 3}}}};
    return b;
}

std::string Export(const CQM4EditDoc& doc, CsvType type, CsvScope scope = {})
{
    return BuildCsvExport(doc, type, scope);
}

ObjectVertex V(const CQM4EditDoc& doc, int i)
{
    return doc.GetVertex(i);
}

void ExpectVertex(const CQM4EditDoc& doc, int i, float x, float y, float z)
{
    const ObjectVertex v = doc.GetVertex(i);
    EXPECT_EQ(v.x, x) << "vertex " << i;
    EXPECT_EQ(v.y, y) << "vertex " << i;
    EXPECT_EQ(v.z, z) << "vertex " << i;
}

class TempDir {
public:
    TempDir()
    {
        m_path = fs::temp_directory_path() / ("csv_test_" + std::to_string(std::random_device{}()));
        fs::create_directories(m_path);
    }
    ~TempDir() { fs::remove_all(m_path); }
    fs::path operator/(const char* name) const { return m_path / name; }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

// ---- export ----

TEST(CsvExport, PolygonLinesOfTheWorkedExample)
{
    SceneBuilder b;
    b.vertices.resize(13);
    b.vertices[10] = {1.5f, 0.0f, -2.25f};
    b.vertices[11] = {1.0f, 1.0f, 1.0f};
    b.vertices[12] = {0.0f, 0.0f, 0.0f};
    b.objects = {{TestPolygon{{0, 0, 0}}, TestPolygon{{0, 0, 0}}, TestPolygon{{0, 0, 0}}, TestPolygon{{10, 11, 12}}}};
    CQM4EditDoc doc;
    ASSERT_TRUE(b.LoadInto(doc));

    std::string out;
    WritePolygon(doc, 0, 3, out);
    EXPECT_EQ(out,
              "0,3,10,1.500000,0.000000,-2.250000,11,1.000000,1.000000,1.000000,12,0.000000,0.000000,0.000000\r\n");
}

TEST(CsvExport, VertexLineOfTheWorkedExample)
{
    SceneBuilder b;
    b.vertices.resize(8);
    b.vertices[7] = {0.5f, -1.0f, 100.0f};
    CQM4EditDoc doc;
    ASSERT_TRUE(b.LoadInto(doc));
    const std::string all = Export(doc, CSV_UNIQUE_VERTS);
    EXPECT_NE(all.find("\r\n7,0.500000,-1.000000,100.000000\r\n"), std::string::npos);
    EXPECT_TRUE(all.starts_with("0,0.000000,0.000000,0.000000\r\n"));
}

TEST(CsvExport, WholeSceneInObjectThenPolygonOrder)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));
    const std::string text = Export(doc, CSV_OBJECT_POLYGONS);
    EXPECT_EQ(text,
              "0,0,10,1.500000,0.000000,-2.250000,11,1.000000,1.000000,1.000000,12,0.000000,0.000000,0.000000\r\n"
              "0,1,11,1.000000,1.000000,1.000000,12,0.000000,0.000000,0.000000,13,13.000000,6.500000,-13.000000\r\n"
              "2,0,1,1.000000,0.500000,-1.000000,2,2.000000,1.000000,-2.000000,3,3.000000,1.500000,-3.000000\r\n");
}

TEST(CsvExport, UniqueVerticesEachOnceInAscendingOrder)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));

    // Object 0 shares 11 and 12 between its two polygons.
    EXPECT_EQ(Export(doc, CSV_UNIQUE_VERTS, {0}),
              "10,1.500000,0.000000,-2.250000\r\n11,1.000000,1.000000,1.000000\r\n"
              "12,0.000000,0.000000,0.000000\r\n13,13.000000,6.500000,-13.000000\r\n");
    // An object without polygons gives an empty file either way.
    EXPECT_EQ(Export(doc, CSV_UNIQUE_VERTS, {1}), "");
    EXPECT_EQ(Export(doc, CSV_OBJECT_POLYGONS, {1}), "");
    // The whole list includes vertices no polygon uses.
    const std::string all = Export(doc, CSV_UNIQUE_VERTS);
    EXPECT_TRUE(all.starts_with("0,0.000000,0.000000,-0.000000\r\n"));
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 14);
}

TEST(CsvExport, OnePolygonFromTheContextMenu)
{
    SceneBuilder b = ThreeObjects();
    b.objects[0].push_back(TestPolygon{{13, 10, 13}});
    CQM4EditDoc doc;
    ASSERT_TRUE(b.LoadInto(doc));
    EXPECT_EQ(Export(doc, CSV_OBJECT_POLYGONS, {0, 1}),
              "0,1,11,1.000000,1.000000,1.000000,12,0.000000,0.000000,0.000000,13,13.000000,6.500000,-13.000000\r\n");
    EXPECT_EQ(Export(doc, CSV_UNIQUE_VERTS, {0, 2}),
              "10,1.500000,0.000000,-2.250000\r\n13,13.000000,6.500000,-13.000000\r\n");
    EXPECT_EQ(Export(doc, CSV_OBJECT_POLYGONS, {0, 7}), "");
    EXPECT_EQ(Export(doc, CSV_OBJECT_POLYGONS, {9}), "");
}

TEST(CsvExport, PolygonWithCornerOutsideTheVertexListIsLeftOut)
{
    SceneBuilder b = ThreeObjects();
    b.objects[0].insert(b.objects[0].begin() + 1, TestPolygon{{12, 14, 40000}});
    CQM4EditDoc doc;
    ASSERT_TRUE(b.LoadInto(doc));
    std::size_t skipped = 0;
    const std::string text = BuildCsvExport(doc, CSV_OBJECT_POLYGONS, {0}, &skipped);
    EXPECT_EQ(skipped, 1u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_NE(text.find("\r\n0,2,11,"), std::string::npos); // the polygon keeps its own number
    EXPECT_EQ(text.find("40000"), std::string::npos);
    EXPECT_EQ(BuildCsvExport(doc, CSV_UNIQUE_VERTS, {0}, &skipped),
              "10,1.500000,0.000000,-2.250000\r\n11,1.000000,1.000000,1.000000\r\n"
              "12,0.000000,0.000000,0.000000\r\n13,13.000000,6.500000,-13.000000\r\n");
    EXPECT_EQ(skipped, 1u);
}

// ---- import ----

TEST(CsvImport, SplittingRules)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));

    // A missing field reads as 0 and the last field takes what is left.
    EXPECT_TRUE(ApplyVertexLine(doc, "5,1.0,2.0"));
    ExpectVertex(doc, 5, 1.0f, 0.0f, 2.0f);
    // Extra fields are ignored.
    EXPECT_TRUE(ApplyVertexLine(doc, "6,1,2,3,4,5"));
    ExpectVertex(doc, 6, 1.0f, 2.0f, 3.0f);
    // Digits as far as they form a number; leading blanks skipped; blanks after are not.
    EXPECT_TRUE(ApplyVertexLine(doc, " 7 ,12abc,  -1e3 , .5e1x"));
    ExpectVertex(doc, 7, 12.0f, -1000.0f, 5.0f);
    // Not a number: 0.
    EXPECT_TRUE(ApplyVertexLine(doc, "8,x,,y"));
    ExpectVertex(doc, 8, 0.0f, 0.0f, 0.0f);
    // Index "4.9" is vertex 4.
    EXPECT_TRUE(ApplyVertexLine(doc, "4.9,1,1,1"));
    ExpectVertex(doc, 4, 1.0f, 1.0f, 1.0f);

    // Polygon lines: a later corner naming the same vertex wins.
    EXPECT_TRUE(ApplyPolygonLine(doc, "0,0,3,1,1,1,3,2,2,2,9,7,8,9,extra,fields"));
    ExpectVertex(doc, 3, 2.0f, 2.0f, 2.0f);
    ExpectVertex(doc, 9, 7.0f, 8.0f, 9.0f);
}

TEST(CsvImport, LineEndsAndSpreadsheetEdits)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));
    ViewCounter views;
    doc.AddObserver(&views);

    // What a spreadsheet hands back: a byte order mark, a header, CR LF, trailing zeros
    // dropped, an empty row and no line end after the last line.
    const std::string text = "\xEF\xBB\xBF"
                             "Index,X,Y,Z\r\n1,0.25,-3,1e2\r\n\r\n,,,\r\n2,7,8.5,9";
    const CsvReadCount n = ReadVertices(doc, text);
    EXPECT_EQ(n.applied, 2);
    EXPECT_EQ(n.skipped, 3);
    ExpectVertex(doc, 1, 0.25f, -3.0f, 100.0f);
    ExpectVertex(doc, 2, 7.0f, 8.5f, 9.0f);
    ExpectVertex(doc, 0, 0.0f, 0.0f, -0.0f); // the header and blank rows wrote nothing
    EXPECT_EQ(views.updates, 1);
    doc.RemoveObserver(&views);
}

TEST(CsvImport, OutOfRangeIndicesSkipTheWholeLine)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));
    const ObjectVertex before10 = V(doc, 10);
    const CsvReadCount n = ReadAllPolygons(doc,
                                           "0,0,10,5,5,5,11,5,5,5,14,5,5,5\n" // 14 is past the end
                                           "0,0,-1,5,5,5,11,5,5,5,12,5,5,5\n" // negative
                                           "0,0,99999999999,5,5,5,1,1,1,1,2,2,2,2\n");
    EXPECT_EQ(n.applied, 0);
    EXPECT_EQ(n.skipped, 3);
    EXPECT_EQ(V(doc, 10).x, before10.x);
    EXPECT_EQ(V(doc, 11).x, 1.0f);
    EXPECT_EQ(V(doc, 1).x, 1.0f);
    EXPECT_FALSE(doc.IsModified());

    EXPECT_EQ(ReadVertices(doc, "14,1,1,1\n-1,1,1,1\n").skipped, 2);
    EXPECT_FALSE(doc.IsModified());
}

TEST(CsvImport, SelectedObjectOnlyTakesItsOwnLines)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));
    const CsvReadCount n = ReadObjectPolygons(doc, 2,
                                              "0,0,4,9,9,9,4,9,9,9,4,9,9,9\r\n"
                                              "2.9,0,1,-1,-2,-3,2,-4,-5,-6,3,-7,-8,-9\r\n"
                                              "Object,Polygon,V1\r\n"
                                              "21,0,5,9,9,9,5,9,9,9,5,9,9,9\r\n");
    EXPECT_EQ(n.applied, 1);
    EXPECT_EQ(n.skipped, 1); // the header; lines of other objects are not counted
    ExpectVertex(doc, 1, -1.0f, -2.0f, -3.0f);
    ExpectVertex(doc, 3, -7.0f, -8.0f, -9.0f);
    ExpectVertex(doc, 4, 4.0f, 2.0f, -4.0f);
    ExpectVertex(doc, 5, 5.0f, 2.5f, -5.0f);
}

TEST(CsvImport, ModifiedOnlyWhenALineWasAppliedButViewsAlwaysUpdate)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));
    ViewCounter views;
    doc.AddObserver(&views);

    EXPECT_EQ(ReadAllPolygons(doc, "").applied, 0);
    EXPECT_EQ(views.updates, 1);
    EXPECT_FALSE(doc.IsModified());

    ReadObjectPolygons(doc, 1, "0,0,10,5,5,5,11,5,5,5,12,5,5,5\n");
    EXPECT_EQ(views.updates, 2);
    EXPECT_FALSE(doc.IsModified());

    // A blank line or header never writes (0, 0, 0) into vertex 0.
    ReadAllPolygons(doc, "\n   \nx,y\n");
    ExpectVertex(doc, 0, 0.0f, 0.0f, -0.0f);
    EXPECT_FALSE(doc.IsModified());

    ReadVertices(doc, "0,1,2,3");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(views.updates, 4);
    doc.RemoveObserver(&views);
}

TEST(CsvImport, RoundTripKeepsPositionsWithinSixDecimals)
{
    SceneBuilder b;
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> coord(-5000.0f, 5000.0f);
    for (int i = 0; i < 600; ++i)
        b.vertices.push_back({coord(rng), coord(rng), coord(rng) * 1e-4f});
    for (int o = 0; o < 4; ++o) {
        std::vector<TestPolygon> polys;
        for (int p = 0; p < 80; ++p)
            polys.push_back(
                TestPolygon{{static_cast<std::uint16_t>(rng() % 600), static_cast<std::uint16_t>(rng() % 600),
                             static_cast<std::uint16_t>(rng() % 600)}});
        b.objects.push_back(polys);
    }
    std::vector<bool> used(600, false);
    for (const auto& polys : b.objects)
        for (const TestPolygon& p : polys)
            for (auto v : p.v)
                used[v] = true;
    for (CsvType type : {CSV_OBJECT_POLYGONS, CSV_UNIQUE_VERTS}) {
        CQM4EditDoc original, target;
        ASSERT_TRUE(b.LoadInto(original));
        ASSERT_TRUE(b.LoadInto(target));
        for (int i = 0; i < target.GetVertexCount(); ++i) // scramble what the import must restore
            target.SetVertex(i, 0.0f, 0.0f, 0.0f);
        const std::string text = Export(original, type);
        const CsvReadCount n = ImportCsvText(target, text, type);
        EXPECT_EQ(n.skipped, 0);
        for (int i = 0; i < 600; ++i) {
            const ObjectVertex a = original.GetVertex(i), c = target.GetVertex(i);
            if (type == CSV_OBJECT_POLYGONS && !used[i])
                continue;
            EXPECT_NEAR(c.x, a.x, 5e-7 + std::abs(a.x) * 1e-7) << i;
            EXPECT_NEAR(c.y, a.y, 5e-7 + std::abs(a.y) * 1e-7) << i;
            EXPECT_NEAR(c.z, a.z, 5e-7 + std::abs(a.z) * 1e-7) << i;
        }
        // Exporting again gives the same text: the rounding is stable.
        EXPECT_EQ(Export(target, type), text);
    }
}

// ---- files ----

namespace {

// Lets every step succeed except the final rename, like a full or vanished target folder.
class FailingReplace : public common::IFileSystem {
public:
    std::unique_ptr<common::IOutputFile> CreateTempBeside(const fs::path& target, fs::path& tempPath) override
    {
        auto f = common::RealFileSystem().CreateTempBeside(target, tempPath);
        temp = tempPath;
        return f;
    }
    bool Replace(const fs::path&, const fs::path&) override { return false; }
    bool Remove(const fs::path& p) override { return common::RealFileSystem().Remove(p); }
    fs::path temp;
};

} // namespace

TEST(CsvFiles, ExportWritesCrLfTextAndImportReadsItBack)
{
    TempDir dir;
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));
    const fs::path path = dir / "out.csv";
    ASSERT_TRUE(ExportCsvFile(doc, path, CSV_UNIQUE_VERTS, {2}).ok);
    EXPECT_EQ(ReadFile(path),
              "1,1.000000,0.500000,-1.000000\r\n2,2.000000,1.000000,-2.000000\r\n"
              "3,3.000000,1.500000,-3.000000\r\n");

    std::ofstream(path, std::ios::binary) << "3,0.125,0.25,0.5\n";
    const CsvImportResult r = ImportCsvFile(doc, path, CSV_UNIQUE_VERTS);
    ASSERT_TRUE(r.ok);
    ExpectVertex(doc, 3, 0.125f, 0.25f, 0.5f);
    EXPECT_EQ(r.Summary(), "CSV import: 1 line applied, 0 lines skipped.");
}

TEST(CsvFiles, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    TempDir dir;
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));
    const fs::path path = dir / "keep.csv";
    std::ofstream(path, std::ios::binary) << "old contents";

    FailingReplace failing;
    const CsvFileResult r = ExportCsvFile(doc, path, CSV_OBJECT_POLYGONS, {}, failing);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, CsvCannotWriteMessage(common::PathToUtf8(path)));
    EXPECT_EQ(ReadFile(path), "old contents");
    EXPECT_FALSE(failing.temp.empty());
    EXPECT_FALSE(fs::exists(failing.temp));

    const CsvFileResult missing = ExportCsvFile(doc, dir / "no/such/folder.csv", CSV_OBJECT_POLYGONS, {});
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(CsvFiles, UnreadableFileChangesNothing)
{
    TempDir dir;
    CQM4EditDoc doc;
    ASSERT_TRUE(ThreeObjects().LoadInto(doc));
    ViewCounter views;
    doc.AddObserver(&views);
    const CsvImportResult r = ImportCsvFile(doc, dir / "absent.csv", CSV_OBJECT_POLYGONS);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("absent.csv"), std::string::npos);
    EXPECT_EQ(views.updates, 0);
    EXPECT_FALSE(doc.IsModified());
    doc.RemoveObserver(&views);
}
