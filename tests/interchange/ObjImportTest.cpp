// OBJ export and import against our own output and against a file in another program's style.

#include <gtest/gtest.h>

#include "ObjTestScene.h"

#include <cstring>
#include <string>

#include "../csv/SceneBuilder.h"
#include "SceneGen.h"
#include "interchange/ModelExport.h"
#include "interchange/ObjImport.h"

using interchange::ObjImportPlan;

namespace {

// As a modelling program re-saves our export: objects renamed and sorted by name, the empty one
// dropped, normals and comments added, faces grouped by material, coordinates off by a
// rounding, the second object's texture coordinates taken from the first's lines (line 20 is
// one nothing uses). Two intended moves: vertex 2 to (1, 1.5, 0) and vertex 6 to (3, 3, 4).
const char* FOREIGN_OBJ = R"(# Exported by a modeller
mtllib scene.mtl
o Object 03
v 0.0000001 0 1
v 2.0000002 2 2
v 3 3 4
v 0 1.0000001 0
vn 0 0 1
vt 0.000000 1.000000
vt 1 1
vt 1.0000001 0
s off
usemtl tex0_brick.tex
f 1/1/1 2/2/1 3/3/1
f 2/1/1 3/2/1 4/3/1
o Object_1.001
v 0 0 0
v 1.0000001 0 0
v 1 1.5 0
v 0 1 0
v 0 0 0.99999994
vn 0 0 1
vt 0 0
usemtl tex0_brick.tex
f 5/1/2 7/2/2 8/3/2
f 8/1/2 9/2/2 5/3/2
usemtl tex1_stone_map.tex
f 5/1/2 6/2/2 7/3/2
f 6/1/2 7/2/2 9/3/2
)";

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

std::string ExportObj(const scene::CQM4EditDoc& doc, int object = -1)
{
    interchange::ExportCounts counts;
    interchange::ExportOptions options;
    options.object = object;
    return interchange::BuildObj(doc, {}, "scene", options, counts).obj;
}

struct Loaded {
    scene::CQM4EditDoc doc;
    explicit Loaded(const std::vector<std::uint8_t>& bytes) { EXPECT_TRUE(doc.Serialize(bytes).Ok()); }
};

} // namespace

TEST(ObjImport, OwnExportChangesNothing)
{
    std::vector<std::vector<std::uint8_t>> scenes = {scenegen::Encode(scenegen::MakeDemoScene())};
    for (std::uint64_t seed = 1; seed <= 6; ++seed)
        scenes.push_back(scenegen::Encode(scenegen::MakeRandomScene(seed, seed % 2 == 0)));
    for (const auto& bytes : scenes) {
        Loaded s(bytes);
        s.doc.UpdateGeometry();
        const std::vector<std::uint8_t> before = s.doc.SaveToBytes();
        const ObjImportPlan plan = interchange::PlanObjImport(s.doc, ExportObj(s.doc));
        ASSERT_TRUE(plan.ok) << plan.message;
        EXPECT_TRUE(plan.moves.empty());
        EXPECT_EQ(plan.disagreements, 0u);
        interchange::ApplyObjImport(s.doc, plan);
        EXPECT_FALSE(s.doc.IsModified());
        EXPECT_EQ(s.doc.SaveToBytes(), before);
    }
}

TEST(ObjImport, SingleObjectRoundTrip)
{
    Loaded s(SmallObjScene());
    const std::string obj = ExportObj(s.doc, 2);
    EXPECT_NE(obj.find("o Object_3\n"), std::string::npos);
    EXPECT_EQ(obj.find("Object_1"), std::string::npos);
    const ObjImportPlan plan = interchange::PlanObjImport(s.doc, obj, 2);
    ASSERT_TRUE(plan.ok) << plan.message;
    EXPECT_EQ(plan.faces, 2u);
    EXPECT_TRUE(plan.moves.empty());
}

TEST(ObjImport, ForeignFileAppliesExactlyTheIntendedMoves)
{
    Loaded s(SmallObjScene());
    const std::vector<std::uint8_t> before = s.doc.SaveToBytes();
    const ObjImportPlan plan = interchange::PlanObjImport(s.doc, FOREIGN_OBJ);
    ASSERT_TRUE(plan.ok) << plan.message;
    EXPECT_EQ(plan.objects, 2u);
    EXPECT_EQ(plan.faces, 6u);
    EXPECT_EQ(plan.disagreements, 0u);
    ASSERT_EQ(plan.moves.size(), 2u);
    EXPECT_EQ(plan.moves[0].index, 2);
    EXPECT_EQ(plan.moves[0].to.y, 1.5f);
    EXPECT_EQ(plan.moves[1].index, 6);
    EXPECT_EQ(plan.moves[1].to.z, 4.0f);
    EXPECT_TRUE(plan.texVertexMoves.empty()) << "coordinates off by a rounding stay as they are";
    EXPECT_EQ(plan.texVerticesUnchanged, 3u);
    EXPECT_TRUE(plan.textureMoves.empty());
    EXPECT_EQ(plan.Summary(), "OBJ import: 2 objects, 6 faces matched; 2 vertices moved, 5 unchanged.");
    EXPECT_EQ(s.doc.SaveToBytes(), before) << "planning must not touch the document";

    interchange::ApplyObjImport(s.doc, plan);
    EXPECT_TRUE(s.doc.IsModified());
    // The positions off by a rounding kept their exact bits.
    const auto& v = s.doc.ObjectVertices().Records();
    for (int i : {0, 1, 3, 4, 5}) {
        Loaded original(SmallObjScene());
        EXPECT_EQ(std::memcmp(&v[i], &original.doc.ObjectVertices().Records()[i], sizeof v[i]), 0) << i;
    }
    EXPECT_EQ(v[2].y, 1.5f);
    EXPECT_EQ(v[6].z, 4.0f);
}

TEST(ObjImport, CornersThatDisagreeKeepTheFirstInSceneOrder)
{
    Loaded s(SmallObjScene());
    // Object 3's copy of vertex 3 moves, but object 1 names vertex 3 first and keeps it still.
    const ObjImportPlan plan =
        interchange::PlanObjImport(s.doc, Replace(FOREIGN_OBJ, "v 0 1.0000001 0\n", "v 0 5 0\n"));
    ASSERT_TRUE(plan.ok) << plan.message;
    EXPECT_EQ(plan.disagreements, 1u);
    EXPECT_EQ(plan.moves.size(), 2u);
    EXPECT_NE(plan.Summary().find("1 vertex was given different positions"), std::string::npos) << plan.Summary();
}

TEST(ObjImport, EveryMismatchRefusesTheWholeImport)
{
    const std::string foreign = FOREIGN_OBJ;
    const struct {
        std::string text;
        int object;
        const char* message;
    } cases[] = {
        {Replace(foreign, "f 6/1/2 7/2/2 9/3/2\n", ""), -1,
         "Object_1, material tex1_stone_map.tex: the file has 1 face, the scene 2 polygons. Nothing was imported."},
        {Replace(foreign, "f 1/1/1 2/2/1 3/3/1\n", "f 1/1/1 2/2/1 3/3/1 4/1/1\n"), -1,
         "Object_3, material tex0_brick.tex, face 1: 4 corners where the polygon has 3. Nothing was imported."},
        {Replace(foreign, "o Object 03", "o Object 07"), -1,
         "The file's object \"Object 07\" has no counterpart: the scene has 3 objects. Nothing was imported."},
        {Replace(foreign, "f 1/1/1 2/2/1 3/3/1\nf 2/1/1 3/2/1 4/3/1\n", ""), -1,
         "Object_3 is missing from the file but has 2 polygons. Nothing was imported."},
        {Replace(Replace(foreign, "o Object 03", "o Cube"), "o Object_1.001", "o Plane"), -1,
         "Object_1, material tex1_stone_map.tex: the file has 0 faces, the scene 2 polygons. Nothing was imported."},
        {foreign, 1, "The file holds 2 objects with faces, none of them Object_2. Nothing was imported."},
        {Replace(foreign, "f 5/1/2 7/2/2 8/3/2", "f 5/1/2 7/2/2 80/3/2"), -1,
         "OBJ line 25: a face corner names a vertex that does not exist. Nothing was imported."},
        // The reader takes a word that is no number as 0; that must refuse, not move a vertex.
        {Replace(foreign, "v 3 3 4\n", "v 3 three 4\r\n"), -1,
         "OBJ line 6: a vertex position is not three numbers. Nothing was imported."},
        // The reader stops at "-6" and would take 2e70, which no float holds.
        {Replace(foreign, "v 3 3 4\n", "v 3 2e70-6 4\n"), -1,
         "OBJ line 6: a vertex position is not three numbers. Nothing was imported."},
        {Replace(foreign, "v 3 3 4\n", "v 3 2e70 4\n"), -1,
         "OBJ line 6: a vertex position is too large for the scene. Nothing was imported."},
    };
    for (const auto& c : cases) {
        Loaded s(SmallObjScene());
        const ObjImportPlan plan = interchange::PlanObjImport(s.doc, c.text, c.object);
        EXPECT_FALSE(plan.ok);
        EXPECT_EQ(plan.message, c.message);
        interchange::ApplyObjImport(s.doc, plan);
        EXPECT_FALSE(s.doc.IsModified());
    }
}
