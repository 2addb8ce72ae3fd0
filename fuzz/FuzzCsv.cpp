// CSV import (polygon and vertex forms) into a loaded scene.
//
// The first byte chooses the form: bits 0-1 (0 every polygon line, 1 the lines of one object,
// 2 and 3 vertex lines), bits 2-4 the object number for form 1 (7 stands for an object that
// does not exist), bit 5 the export round-trip check. The rest is the CSV text. An import may only move vertices: the counts,
// the polygons and the size of the saved file never change, and what is exported afterwards
// imports back to the same positions.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "SmallScene.h"
#include "scene/QM4EditDoc.h"
#include "scene/csv/CsvExchange.h"

namespace {

std::string ExportVertices(const scene::CQM4EditDoc& doc)
{
    std::string out;
    scene::WriteAllVertices(doc, out);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    scene::CQM4EditDoc doc;
    FUZZ_CHECK(doc.Serialize(fuzz::DemoSceneBytes()).Ok());
    const int vertices = doc.GetVertexCount();
    const int objects = doc.GetObjectCount();
    static const std::size_t savedSize = doc.SaveToBytes().size();

    const std::uint8_t mode = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const scene::CsvType type = (mode & 2) ? scene::CSV_UNIQUE_VERTS : scene::CSV_OBJECT_POLYGONS;
    int object = -1;
    if ((mode & 3) == 1)
        object = ((mode >> 2) & 7) == 7 ? 1000 : (mode >> 2) & 7;
    const scene::CsvReadCount count = scene::ImportCsvText(doc, text, type, object);

    FUZZ_CHECK(count.applied >= 0 && count.skipped >= 0);
    FUZZ_CHECK(static_cast<std::size_t>(count.applied) + count.skipped <= size);
    // Applied lines that leave every position as it was do not modify the document.
    FUZZ_CHECK(!doc.IsModified() || count.applied > 0);
    FUZZ_CHECK(doc.IsLoaded());
    FUZZ_CHECK(doc.GetVertexCount() == vertices && doc.GetObjectCount() == objects);
    FUZZ_CHECK(doc.SaveToBytes().size() == savedSize);

    // The export of the same form runs over whatever the import stored.
    (void)scene::BuildCsvExport(doc, type, scene::CsvScope{object < objects ? object : -1, -1});

    // Exported positions are rounded to six decimals once; from then on a round trip is
    // exact. Bit 5 asks for this slower check, so most runs stay with the parser.
    if (mode & 0x20) {
        const std::string first = ExportVertices(doc);
        scene::ReadVertices(doc, first);
        const std::string second = ExportVertices(doc);
        scene::ReadVertices(doc, second);
        FUZZ_CHECK(ExportVertices(doc) == second);
    }
    return 0;
}
