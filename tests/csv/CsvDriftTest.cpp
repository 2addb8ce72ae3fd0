// Importing a file that was exported and not edited leaves every float as it was, also after
// a spreadsheet rewrote the numbers; and a CSV import undoes back to the bytes opened.

#include <gtest/gtest.h>

#include <cstring>

#include "SceneBuilder.h"
#include "SceneGen.h"
#include "scene/VertexEdit.h"
#include "scene/csv/CsvExchange.h"

using namespace scene;

namespace {

// Floats six decimals cannot carry, and the signed zero.
SceneBuilder DriftScene()
{
    SceneBuilder b;
    b.vertices = {{0.1234567f, 1e-7f, -0.0f},
                  {123.456789f, -0.3f, 16777216.0f},
                  {1.5f, 2.0f, -2.25f},
                  {0.30000001f, 7.0000005f, -1e-9f},
                  {1000.0001f, 0.0f, 5.000001f}};
    b.objects = {{TestPolygon{{0, 1, 2}}, TestPolygon{{2, 3, 4}}}};
    return b;
}

// What a spreadsheet writes back: "1.500000" as "1.5", "2.000000" as "2", lines ending in LF.
std::string AsSpreadsheetSavesIt(const std::string& csv)
{
    std::string out, field;
    auto flush = [&] {
        if (field.find('.') != std::string::npos) {
            while (field.back() == '0')
                field.pop_back();
            if (field.back() == '.')
                field.pop_back();
        }
        out += field;
        field.clear();
    };
    for (char c : csv) {
        if (c == ',' || c == '\n') {
            flush();
            out += c;
        } else if (c != '\r') {
            field += c;
        }
    }
    return out;
}

bool SameBits(const ObjectVertex& a, const ObjectVertex& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(CsvDrift, UnchangedFileKeepsEveryFloatAndTheDocumentUnmodified)
{
    for (CsvType type : {CSV_UNIQUE_VERTS, CSV_OBJECT_POLYGONS}) {
        CQM4EditDoc doc;
        ASSERT_TRUE(DriftScene().LoadInto(doc));
        const auto file = doc.SaveToBytes();
        const std::string csv = BuildCsvExport(doc, type, {});
        ASSERT_NE(AsSpreadsheetSavesIt(csv).find("1.5,2,"), std::string::npos);
        for (const std::string& text : {csv, AsSpreadsheetSavesIt(csv)}) {
            const CsvReadCount n = ImportCsvText(doc, text, type);
            EXPECT_GT(n.applied, 0);
            EXPECT_FALSE(doc.IsModified()) << text;
            EXPECT_EQ(doc.SaveToBytes(), file) << text;
        }
    }
}

TEST(CsvDrift, EditedComponentIsStoredAndTheOthersKeepTheirBits)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(DriftScene().LoadInto(doc));
    const ObjectVertex v0 = doc.GetVertex(0), v3 = doc.GetVertex(3);
    // Vertex 0: only y edited. Vertex 3 stands on two polygon lines: the later, unedited one
    // wins and keeps the float; vertex 2 is edited on its later line.
    ReadVertices(doc, "0,0.123457,2.5,-0\n");
    EXPECT_EQ(doc.GetVertex(0).y, 2.5f);
    EXPECT_TRUE(SameBits(doc.GetVertex(0), ObjectVertex{v0.x, 2.5f, v0.z}));
    ReadAllPolygons(doc,
                    "0,1,2,1.5,2,-2.25,3,9,9,9,4,1000.0001,0,5.000001\n"
                    "0,0,3,0.3,7,-0.000000,2,1.5,2,-3,1,123.456789,-0.3,16777216\n");
    EXPECT_TRUE(SameBits(doc.GetVertex(3), v3));
    EXPECT_TRUE(SameBits(doc.GetVertex(2), ObjectVertex{1.5f, 2.0f, -3.0f}));
    EXPECT_TRUE(doc.IsModified());
}

// The import as one undo step: stored boxes that differ from a recompute (the demo scene's are
// all zero) come back as they were.
TEST(CsvDrift, ImportUndoesToTheFileAsOpened)
{
    const auto file = scenegen::Encode(scenegen::MakeDemoScene());
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(file).Ok());
    std::string csv = BuildCsvExport(doc, CSV_UNIQUE_VERTS, {});
    csv += "1,5,5,5\r\n";
    CsvImportPlan plan = PlanCsvImportText(doc, AsSpreadsheetSavesIt(csv), CSV_UNIQUE_VERTS);
    EXPECT_EQ(doc.SaveToBytes(), file);
    CVertexEdit import(std::move(plan.changes));
    import.Apply(doc);
    EXPECT_EQ(import.MovedVertices().size(), 1u);
    const auto imported = doc.SaveToBytes();
    EXPECT_NE(imported, file);
    import.Revert(doc);
    EXPECT_EQ(doc.SaveToBytes(), file);
    import.Apply(doc);
    EXPECT_EQ(doc.SaveToBytes(), imported);
}

} // namespace
