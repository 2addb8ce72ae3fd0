// Scene file reading, and writing what was read.
//
// Whatever the bytes, reading must either give a loaded scene or an empty one with a message.
// A loaded scene must save, and what it saves must load again and save to the same bytes,
// also after the bounds were recomputed over the file's (possibly nonsensical) indices.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzSupport.h"
#include "scene/QM4EditDoc.h"

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
