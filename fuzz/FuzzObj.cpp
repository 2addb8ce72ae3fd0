// OBJ import into a loaded scene: text from our own export or from a modelling program.
//
// The first byte chooses which objects the file stands for: 0xFF (and anything above the
// object count) every object, otherwise that one object. The rest is the OBJ text, and after
// a zero byte the text of the material library, whatever name the OBJ gives it (none without
// a zero byte: the library is missing). Planning never touches the scene; a refused plan says
// why and changes nothing; an accepted one moves each vertex and texture vertex at most once,
// to finite values, and gives polygons only textures that exist or that it adds; applying it
// changes those and the texture names only, and what is exported afterwards plans back without
// a single change.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
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
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    interchange::MtlReader mtl;
    if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
        mtl = interchange::MtlFromText(std::string(text.substr(zero + 1)));
        text = text.substr(0, zero);
    }

    const interchange::ObjImportPlan plan = interchange::PlanObjImport(doc, text, object, mtl);
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
    int previousKey = -1;
    for (const interchange::TexVertexMove& m : plan.texVertexMoves) {
        const int key = m.kind * 65536 + static_cast<int>(m.index);
        FUZZ_CHECK(key > previousKey);
        previousKey = key;
        FUZZ_CHECK(std::isfinite(m.to.u) && std::isfinite(m.to.v));
    }
    const std::size_t names = static_cast<std::size_t>(doc.TextureNames().GetCount()) + plan.addedTextures.size();
    for (const interchange::PolygonTextureMove& m : plan.textureMoves)
        FUZZ_CHECK(m.to < names && m.to != m.from);

    interchange::ApplyObjImport(doc, plan);
    FUZZ_CHECK(doc.IsModified() ==
               (!plan.moves.empty() || !plan.texVertexMoves.empty() || !plan.textureMoves.empty() ||
                !plan.addedTextures.empty()));
    FUZZ_CHECK(static_cast<std::size_t>(doc.TextureNames().GetCount()) == names);
    const std::vector<std::uint8_t> applied = doc.SaveToBytes();
    FUZZ_CHECK(plan.addedTextures.empty() == (applied.size() == fuzz::DemoSceneBytes().size()));

    const interchange::ObjImportPlan again = interchange::PlanObjImport(doc, ExportObj(doc, object), object);
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(again.moves.empty() && again.texVertexMoves.empty() && again.textureMoves.empty() &&
               again.addedTextures.empty());
    return 0;
}
