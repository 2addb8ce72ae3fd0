// Scene file reading, and writing what was read.
//
// Whatever the bytes, reading must either give a loaded scene or an empty one with a message.
// A loaded scene must save, and what it saves must load again and save to the same bytes,
// also after the bounds were recomputed over the file's (possibly nonsensical) indices; the
// inspectors' reads and the CSV exports must cope with those indices too.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzSupport.h"
#include "scene/QM4EditDoc.h"
#include "scene/csv/CsvExchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    scene::CQM4EditDoc doc;
    scene::LoadResult r = doc.Serialize(std::span<const std::uint8_t>(data, size));
    if (!r.Ok()) {
        FUZZ_CHECK(!r.message.empty());
        FUZZ_CHECK(!doc.IsLoaded());
        FUZZ_CHECK(doc.GetObjectCount() == 0);
        FUZZ_CHECK(doc.GetVertexCount() == 0);
        FUZZ_CHECK(doc.TrailingData().empty());
        return 0;
    }
    FUZZ_CHECK(doc.IsLoaded());

    std::vector<std::uint8_t> saved = doc.SaveToBytes();
    scene::CQM4EditDoc again;
    FUZZ_CHECK(again.Serialize(saved).Ok());
    FUZZ_CHECK(again.SaveToBytes() == saved);

    // What the inspectors and the CSV export read follows the polygons' own indices, which
    // the file may have pointed anywhere.
    const int objects = doc.GetObjectCount();
    for (int o = 0; o < objects && o < 64; ++o) {
        const int polygons = doc.GetPolygonCount(o);
        for (int p = 0; p < polygons && p < 256; ++p) {
            const scene::PolygonRecord poly = doc.GetPolygon(o, p);
            const int kind = scene::CQM4EditDoc::GetTextureVertexKind(poly.type);
            for (int k = 0; k < 3; ++k) {
                (void)doc.GetVertex(poly.vertex[k]);
                (void)doc.GetTextureVertex(kind, poly.texVertex[k]);
            }
            (void)doc.GetTextureName(poly.texture);
        }
    }
    for (int type = 0; type < 2; ++type) {
        (void)scene::BuildCsvExport(doc, static_cast<scene::CsvType>(type), scene::CsvScope{});
        if (objects > 0)
            (void)scene::BuildCsvExport(doc, static_cast<scene::CsvType>(type), scene::CsvScope{objects - 1, -1});
    }

    // Recomputing walks every tree and follows every index the file holds.
    doc.UpdateGeometry();
    if (doc.GetVertexCount() > 0) {
        scene::ObjectVertex v = doc.GetVertex(0);
        doc.SetVertexAndUpdate(0, v.x + 1.0f, v.y, v.z);
    }
    std::vector<std::uint8_t> recomputed = doc.SaveToBytes();
    FUZZ_CHECK(recomputed.size() == saved.size());
    scene::CQM4EditDoc third;
    FUZZ_CHECK(third.Serialize(recomputed).Ok());
    FUZZ_CHECK(third.GetObjectCount() == doc.GetObjectCount());
    return 0;
}
