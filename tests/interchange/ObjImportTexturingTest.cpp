// Texture coordinates and materials coming back from an OBJ: an exported scene edited the way
// a script or a modelling program edits it, checked against a model of the expected result
// that reads the edited file itself.

#include <gtest/gtest.h>

#include "ObjTestScene.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "../csv/SceneBuilder.h"
#include "SceneGen.h"
#include "interchange/ModelExport.h"
#include "interchange/ModelMesh.h"
#include "interchange/ObjImport.h"
#include "scene/SceneEdit.h"

using interchange::ObjImportPlan;

namespace {

struct Loaded {
    scene::CQM4EditDoc doc;
    explicit Loaded(const std::vector<std::uint8_t>& bytes) { EXPECT_TRUE(doc.Serialize(bytes).Ok()); }
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Fixed6(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", value);
    return buf;
}

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The "vt" index (0-based) of each corner of an "f a/b c/d e/f" line.
std::vector<int> FaceTexcoords(const std::string& line)
{
    std::vector<int> out;
    std::istringstream in(line.substr(2));
    for (std::string corner; in >> corner;)
        out.push_back(std::stoi(corner.substr(corner.find('/') + 1)) - 1);
    return out;
}

} // namespace

// The demo scene goes out, a third of its texture vertices get new coordinates (every line of
// each, in every object), four materials change (one to our name of another texture, one to a
// foreign material whose image names an existing texture in other letters, one to a material
// whose image is new), faces are regrouped by material, objects renamed and coordinates written
// with six decimals as a modelling program does. The scene must come back with exactly those
// texture vertices, polygon textures and one added name, and every other byte as it was.
TEST(ObjImportTexturing, EditedFileComesBackAsAnIndependentModelSaysAndUndoes)
{
    Loaded s(scenegen::Encode(scenegen::MakeDemoScene()));
    s.doc.UpdateGeometry();
    const std::vector<std::uint8_t> original = s.doc.SaveToBytes();
    const scene::CQM4EditDoc& doc = s.doc;
    interchange::ExportCounts counts;
    const std::vector<std::string> lines = Lines(interchange::BuildObj(doc, {}, "demo", {}, counts).obj);
    ASSERT_EQ(counts.skippedPolygons, 0u);

    // Which texture vertex each vt line stands for: the k-th face of a block is the k-th
    // polygon of its object, as written.
    std::map<int, std::pair<int, int>> texVertexOfLine; // vt index -> (kind, index)
    {
        int object = -1, face = 0, vt = 0;
        std::vector<int> vtLines;
        for (const std::string& line : lines) {
            if (line.starts_with("o ")) {
                ++object;
                face = 0;
            } else if (line.starts_with("vt ")) {
                ++vt;
            } else if (line.starts_with("f ")) {
                const scene::PolygonRecord p = doc.GetPolygon(object, face++);
                const std::vector<int> t = FaceTexcoords(line);
                for (int c = 0; c < 3; ++c)
                    texVertexOfLine[t[static_cast<std::size_t>(c)]] = {scene::CQM4EditDoc::GetTextureVertexKind(p.type),
                                                                       p.texVertex[c]};
            }
        }
        ASSERT_EQ(texVertexOfLine.size(), static_cast<std::size_t>(vt));
    }
    // New coordinates, exact in binary and in six decimals, for every index 1 mod 3 of each list.
    auto newUv = [](int kind, int index) {
        return std::pair<double, double>{0.125 * ((index + kind) % 8), 0.0625 * ((3 * index + kind) % 16)};
    };

    // The script: rewrite the vt lines, change materials, then regroup each object's faces by
    // material and rename the objects.
    const std::string mtl = "newmtl pebbles\nKd 1 1 1\nmap_Kd textures/STONE.png\n\n"
                            "newmtl wood\nmap_Kd C:\\maps\\Wood.png\n";
    const std::map<std::string, std::string> materialChanges = {
        {"tex0_brick.tex", "wood"}, {"tex1_stone.tex", "tex2_brass.tex"}, {"tex2_brass.tex", "pebbles"}};
    std::string edited;
    {
        int vt = 0, object = -1, face = 0, usemtlSeen = 0;
        std::string material;
        // Per object: (material, face line, polygon), regrouped when the object ends.
        std::vector<std::tuple<std::string, std::string, int>> faces;
        auto flush = [&] {
            std::stable_sort(faces.begin(), faces.end(),
                             [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
            std::string current;
            for (const auto& [m, f, polygon] : faces) {
                if (m != current)
                    edited += "usemtl " + m + "\n";
                current = m;
                edited += f + "\n";
            }
            faces.clear();
        };
        for (const std::string& line : lines) {
            if (line.starts_with("o ")) {
                flush();
                ++object;
                face = 0;
                edited += line + ".001\n";
            } else if (line.starts_with("vt ")) {
                const auto [kind, index] = texVertexOfLine[vt++];
                const scene::TextureVertex t = doc.GetTextureVertex(kind, static_cast<std::uint32_t>(index));
                auto [u, v] = index % 3 == 1 ? newUv(kind, index) : std::pair<double, double>{t.u, 1.0f - t.v};
                edited += "vt " + Fixed6(u) + " " + Fixed6(v) + "\n";
            } else if (line.starts_with("usemtl ")) {
                material = line.substr(7);
                // Only the first run of each material in the first two objects changes.
                if (object < 2 && materialChanges.count(material) && usemtlSeen++ < 4)
                    material = materialChanges.at(material);
            } else if (line.starts_with("f ")) {
                faces.emplace_back(material, line, face++);
            } else {
                edited += line + "\n";
            }
        }
        flush();
    }

    // The model of the result, from the edited text alone.
    std::vector<scene::TexVertexChange> uvs;
    std::vector<scene::PolygonTextureChange> textures;
    std::vector<std::string> names = doc.TextureNames().Names();
    {
        std::vector<std::pair<double, double>> vts;
        int object = -1, face = 0;
        std::string material;
        std::map<std::pair<int, int>, bool> seen;
        std::vector<std::tuple<std::string, int>> pending; // faces of the object: material, rank
        for (const std::string& line : Lines(edited)) {
            if (line.starts_with("vt ")) {
                std::istringstream in(line.substr(3));
                double u = 0, v = 0;
                in >> u >> v;
                vts.emplace_back(u, v);
            } else if (line.starts_with("o ")) {
                ++object;
                face = 0;
            } else if (line.starts_with("usemtl ")) {
                material = line.substr(7);
            } else if (line.starts_with("f ")) {
                // The face's polygon: the one with the same vertices, which the export numbered
                // in order of first use.
                std::vector<int> corners;
                std::istringstream in(line.substr(2));
                for (std::string c; in >> c;)
                    corners.push_back(std::stoi(c.substr(0, c.find('/'))));
                int polygon = -1;
                {
                    std::map<int, int> firstUse; // scene vertex -> rank
                    std::vector<int> ranks;
                    int base = 1;
                    for (int o = 0; o < object; ++o) {
                        std::map<int, int> used;
                        for (const scene::PolygonRecord& p : doc.GetObjectRecord(o).polygons)
                            for (std::uint16_t v : p.vertex)
                                used[v] = 1;
                        base += static_cast<int>(used.size());
                    }
                    for (const scene::PolygonRecord& p : doc.GetObjectRecord(object).polygons)
                        for (std::uint16_t v : p.vertex)
                            firstUse.emplace(v, static_cast<int>(firstUse.size()));
                    const auto& polys = doc.GetObjectRecord(object).polygons;
                    for (std::size_t k = 0; k < polys.size() && polygon < 0; ++k) {
                        bool same = true;
                        for (int c = 0; c < 3; ++c)
                            same = same && firstUse[polys[k].vertex[c]] + base == corners[static_cast<std::size_t>(c)];
                        if (same)
                            polygon = static_cast<int>(k);
                    }
                }
                ASSERT_GE(polygon, 0) << line;
                ++face;
                const scene::PolygonRecord p = doc.GetPolygon(object, polygon);
                const int kind = scene::CQM4EditDoc::GetTextureVertexKind(p.type);
                const std::vector<int> t = FaceTexcoords(line);
                for (int c = 0; c < 3; ++c) {
                    if (seen[{kind, p.texVertex[c]}])
                        continue;
                    seen[{kind, p.texVertex[c]}] = true;
                    const auto [u, v] = vts[static_cast<std::size_t>(t[static_cast<std::size_t>(c)])];
                    const scene::TextureVertex now = doc.GetTextureVertex(kind, p.texVertex[c]);
                    const bool same = std::abs(u - now.u) <= 1e-6 && std::abs(v - (1.0f - now.v)) <= 1e-6;
                    if (!same)
                        uvs.push_back({kind, p.texVertex[c], static_cast<float>(u), static_cast<float>(1.0 - v)});
                }
                int texture = -1;
                if (material == "wood") {
                    if (std::find(names.begin(), names.end(), "Wood.tex") == names.end())
                        names.push_back("Wood.tex");
                    texture = static_cast<int>(std::find(names.begin(), names.end(), "Wood.tex") - names.begin());
                } else if (material == "pebbles") {
                    texture = 1; // stone.tex
                } else {
                    std::from_chars(material.data() + 3, material.data() + material.size(), texture);
                }
                if (texture != p.texture)
                    textures.push_back({{object, polygon}, static_cast<std::uint16_t>(texture)});
            }
        }
    }
    ASSERT_GT(uvs.size(), 10u);
    ASSERT_GT(textures.size(), 4u);
    ASSERT_EQ(names.size(), doc.TextureNames().Names().size() + 1);

    const ObjImportPlan plan = interchange::PlanObjImport(s.doc, edited, -1, interchange::MtlFromText(mtl));
    ASSERT_TRUE(plan.ok) << plan.message;
    EXPECT_TRUE(plan.moves.empty());
    EXPECT_EQ(plan.texVertexMoves.size(), uvs.size());
    EXPECT_EQ(plan.textureMoves.size(), textures.size());
    EXPECT_EQ(plan.addedTextures, std::vector<std::string>{"Wood.tex"});
    EXPECT_NE(plan.Summary().find("; " + std::to_string(uvs.size()) + " texture coordinates, " +
                                  std::to_string(textures.size()) +
                                  " polygon textures changed; texture names added: \"Wood.tex\"."),
              std::string::npos)
        << plan.Summary();
    EXPECT_EQ(s.doc.SaveToBytes(), original);

    scene::CSceneEdit undo = interchange::ApplyObjImport(s.doc, plan);
    EXPECT_TRUE(s.doc.IsModified());
    for (const scene::TexVertexChange& c : uvs) {
        const scene::TextureVertex t = s.doc.GetTextureVertex(c.kind, c.index);
        EXPECT_TRUE(SameBits(t.u, c.u) && SameBits(t.v, c.v)) << c.kind << " " << c.index;
    }
    for (const scene::PolygonTextureChange& c : textures)
        EXPECT_EQ(s.doc.GetPolygon(c.polygon.object, c.polygon.polygon).texture, c.texture);
    EXPECT_EQ(s.doc.TextureNames().Names(), names);

    // Every byte: the model's changes made directly give the same file.
    Loaded expected(original);
    scene::CSceneEdit direct;
    direct.SetTexVertices(uvs);
    direct.SetPolygonTextures(textures);
    direct.SetTextureNames(names);
    direct.Apply(expected.doc);
    EXPECT_EQ(s.doc.SaveToBytes(), expected.doc.SaveToBytes());

    undo.Revert(s.doc);
    EXPECT_EQ(s.doc.SaveToBytes(), original);
}

namespace {

std::string ExportObj(const scene::CQM4EditDoc& doc)
{
    interchange::ExportCounts counts;
    return interchange::BuildObj(doc, {}, "scene", {}, counts).obj;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

} // namespace

TEST(ObjImportTexturing, MaterialsMapThroughTheirImagesOrAreRefused)
{
    Loaded s(SmallObjScene());
    // The first object's faces of texture 1 (polygons 0 and 2) get another material.
    std::string obj = ExportObj(s.doc);
    for (int run = 0; run < 2; ++run)
        obj = Replace(obj, "usemtl tex1_stone_map.tex", "usemtl Marble");
    const struct {
        const char* mtl; // null: no material library
        const char* message; // empty: accepted
        std::vector<std::string> added;
        std::uint16_t texture; // of the faces that changed material
    } cases[] = {
        {"newmtl Marble\nmap_Kd /home/u/maps/Marble.PNG\n", "", {"Marble.tex"}, 2},
        // Folders of either kind, blanks and letter case aside, the image is the texture's own.
        {"newmtl Other\nmap_Kd x.png\nnewmtl Marble \r\nmap_Kd -s 1 1 1 ..\\Maps\\STONE MAP.bmp\n", "", {}, 1},
        {"newmtl Marble\nKd 1 1 1\n",
         "The material \"Marble\" has no texture image (map_Kd). Nothing was imported.",
         {},
         0},
        {"newmtl Granite\nmap_Kd granite.png\n",
         "The material \"Marble\" has no texture image (map_Kd). Nothing was imported.",
         {},
         0},
        {nullptr,
         "The material \"Marble\" can only be matched to a texture through its material library, which was not "
         "found. Nothing was imported.",
         {},
         0},
        {"newmtl Marble\nmap_Kd Brick.png\n", "", {}, 0},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> before = s.doc.SaveToBytes();
        const ObjImportPlan plan = interchange::PlanObjImport(
            s.doc, obj, -1, c.mtl ? interchange::MtlFromText(c.mtl) : interchange::MtlReader{});
        EXPECT_EQ(plan.message, c.message) << c.mtl;
        if (!plan.ok)
            continue;
        EXPECT_EQ(plan.addedTextures, c.added);
        scene::CSceneEdit edit = interchange::ApplyObjImport(s.doc, plan);
        for (int k : {0, 2})
            EXPECT_EQ(s.doc.GetPolygon(0, k).texture, c.texture) << c.mtl;
        EXPECT_EQ(s.doc.GetPolygon(0, 1).texture, 0);
        if (!c.added.empty()) {
            EXPECT_EQ(plan.Summary(),
                      "OBJ import: 2 objects, 6 faces matched; 0 vertices moved, 7 unchanged; 0 texture "
                      "coordinates, 2 polygon textures changed; texture names added: \"Marble.tex\".");
        }
        edit.Revert(s.doc);
        EXPECT_EQ(s.doc.SaveToBytes(), before);
    }

    // A name the list cannot hold refuses.
    const std::string longName(260, 'a');
    const ObjImportPlan tooLong = interchange::PlanObjImport(
        s.doc, obj, -1, interchange::MtlFromText("newmtl Marble\nmap_Kd " + longName + ".png\n"));
    EXPECT_EQ(tooLong.message.rfind("The material \"Marble\" would add a texture name that cannot be used: ", 0), 0u)
        << tooLong.message;
}

TEST(ObjImportTexturing, CornersSharingATextureVertexMustAgree)
{
    Loaded s(SmallObjScene());
    const std::string obj = ExportObj(s.doc);
    // Each object has its own vt lines for texture vertices 0 to 2; move vertex 1 in the last
    // object only.
    const std::size_t lastObject = obj.find("o Object_3");
    std::string edited = obj;
    const std::size_t vt = edited.find("vt 1 1\n", lastObject);
    ASSERT_NE(vt, std::string::npos) << obj;
    edited.replace(vt, 7, "vt 0.5 1\n");
    auto lineOf = [](const std::string& text, std::size_t at) {
        return std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    };
    const ObjImportPlan plan = interchange::PlanObjImport(s.doc, edited);
    EXPECT_FALSE(plan.ok);
    EXPECT_EQ(
        plan.message,
        "OBJ lines " + std::to_string(lineOf(edited, edited.find("vt 1 1\n"))) + " and " +
            std::to_string(lineOf(edited, vt)) +
            " give unlit texture vertex 1, which their faces share, different coordinates. Nothing was imported.");

    // Moved the same way everywhere, it is one change.
    std::string both = obj;
    for (std::size_t at; (at = both.find("vt 1 1\n")) != std::string::npos;)
        both.replace(at, 7, "vt 0.5 1\n");
    const ObjImportPlan agreed = interchange::PlanObjImport(s.doc, both);
    ASSERT_TRUE(agreed.ok) << agreed.message;
    ASSERT_EQ(agreed.texVertexMoves.size(), 1u);
    EXPECT_EQ(agreed.texVertexMoves[0].index, 1u);
    EXPECT_EQ(agreed.texVertexMoves[0].to.u, 0.5f);
    EXPECT_EQ(agreed.texVertexMoves[0].to.v, 0.0f);
}
