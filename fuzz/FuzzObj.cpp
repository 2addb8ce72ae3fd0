// OBJ import into a loaded scene: text from our own export or from a modelling program.
//
// The first byte chooses which objects the file stands for: 0xFF (and anything above the
// object count) every object, otherwise that one object. The rest is the OBJ text. Planning
// never touches the scene; a refused plan says why and moves nothing; an accepted one moves
// each vertex at most once, to a finite position; applying it changes positions only, and
// what is exported afterwards plans back without a single move.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "SmallScene.h"
#include "interchange/ModelExport.h"
#include "interchange/ObjImport.h"
#include "scene/QM4EditDoc.h"

namespace {

std::string ExportObj(const scene::CQM4EditDoc& doc, int object)
{
    interchange::ExportCounts counts;
    interchange::ExportOptions options;
    options.object = object;
    return interchange::BuildObj(doc, interchange::SceneTextures{}, "fuzz", options, counts).obj;
}

bool Finite(const scene::ObjectVertex& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    scene::CQM4EditDoc doc;
    FUZZ_CHECK(doc.Serialize(fuzz::DemoSceneBytes()).Ok());
    const int object = data[0] < doc.GetObjectCount() ? data[0] : -1;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const interchange::ObjImportPlan plan = interchange::PlanObjImport(doc, text, object);
    FUZZ_CHECK(doc.SaveToBytes() == fuzz::DemoSceneBytes());
    if (!plan.ok) {
        FUZZ_CHECK(!plan.message.empty());
        return 0;
    }
    int previous = -1;
    for (const interchange::VertexMove& m : plan.moves) {
        FUZZ_CHECK(m.index > previous && m.index < doc.GetVertexCount());
        previous = m.index;
        FUZZ_CHECK(Finite(m.to));
    }

    interchange::ApplyObjImport(doc, plan);
    FUZZ_CHECK(doc.IsModified() == !plan.moves.empty());
    const std::vector<std::uint8_t> applied = doc.SaveToBytes();
    FUZZ_CHECK(applied.size() == fuzz::DemoSceneBytes().size());

    const interchange::ObjImportPlan again = interchange::PlanObjImport(doc, ExportObj(doc, object), object);
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(again.moves.empty());
    return 0;
}
