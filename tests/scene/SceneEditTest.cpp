// Texture edits: names, polygons' texture indices and texture vertices, undone to the bytes.

#include <gtest/gtest.h>

#include "SceneTestSupport.h"
#include "scene/SceneEdit.h"

using scene::CQM4EditDoc;
using scene::CSceneEdit;
using scene::PolygonRef;

namespace {

struct Loaded {
    CQM4EditDoc doc;
    std::vector<std::uint8_t> start;
    Loaded()
    {
        start = scenetest::Bytes(scenegen::MakeDemoScene());
        doc.Serialize(start);
        start = doc.SaveToBytes();
    }
};

// Applies, checks, undoes to the opened bytes, and redoes to the first result.
void ApplyUndoRedo(Loaded& s, CSceneEdit& edit, const std::function<void()>& check)
{
    edit.Apply(s.doc);
    ASSERT_TRUE(edit.HasEffect());
    EXPECT_TRUE(s.doc.IsModified());
    check();
    const auto applied = s.doc.SaveToBytes();
    edit.Revert(s.doc);
    EXPECT_EQ(s.doc.SaveToBytes(), s.start);
    edit.Apply(s.doc);
    EXPECT_EQ(s.doc.SaveToBytes(), applied);
}

TEST(SceneEdit, TextureOperationsUndoToTheOpenedBytes)
{
    {
        Loaded s;
        const PolygonRef faces[] = {{0, 0}, {0, 3}, {1, 1}, {0, 3}};
        auto plan = scene::PlanAssignTexture(s.doc, faces, 3);
        ASSERT_TRUE(plan.ok);
        ApplyUndoRedo(s, plan.edit, [&] {
            EXPECT_EQ(plan.edit.PolygonTextureCount(), 3u);
            for (const PolygonRef& f : faces)
                EXPECT_EQ(s.doc.GetPolygon(f.object, f.polygon).texture, 3);
        });
    }
    {
        Loaded s;
        auto plan = scene::PlanRenameTexture(s.doc, 1, "granite.tex");
        ASSERT_TRUE(plan.ok);
        ApplyUndoRedo(s, plan.edit, [&] { EXPECT_EQ(s.doc.GetTextureName(1), "granite.tex"); });
    }
    {
        // The section grows; every byte after it stays.
        Loaded s;
        auto plan = scene::PlanAddTexture(s.doc, "moss.tex");
        ASSERT_TRUE(plan.ok);
        ApplyUndoRedo(s, plan.edit, [&] {
            EXPECT_EQ(s.doc.TextureNames().GetCount(), 5);
            EXPECT_EQ(s.doc.GetTextureName(4), "moss.tex");
        });
    }
    {
        // Removing an unused name moves every index above it down.
        Loaded s;
        auto free1 = scene::PlanAssignTexture(s.doc, scene::PolygonsUsingTexture(s.doc, 1), 0);
        free1.edit.Apply(s.doc);
        s.start = s.doc.SaveToBytes();
        const auto before = scene::TextureUseCounts(s.doc);
        ASSERT_EQ(before.size(), 4u);
        ASSERT_EQ(before[1], 0u);
        ASSERT_NE(before[3], 0u);
        auto plan = scene::PlanRemoveTexture(s.doc, 1);
        ASSERT_TRUE(plan.ok) << plan.message;
        ApplyUndoRedo(s, plan.edit, [&] {
            EXPECT_EQ(scene::TextureUseCounts(s.doc), (std::vector<std::size_t>{before[0], before[2], before[3]}));
            EXPECT_EQ(s.doc.GetTextureName(2), "grass.tex");
        });
    }
}

TEST(SceneEdit, BadNamesAndUsedTexturesAreRefusedAndChangeNothing)
{
    Loaded s;
    const std::string tooLong(256, 'a');
    for (const std::string& name :
         {std::string(), tooLong, std::string("a\tb"), std::string("x\0y", 3), std::string("BRICK.TEX")}) {
        SCOPED_TRACE(name);
        const auto add = scene::PlanAddTexture(s.doc, name);
        EXPECT_FALSE(add.ok);
        EXPECT_FALSE(add.message.empty());
        EXPECT_FALSE(scene::PlanRenameTexture(s.doc, 2, name).ok);
    }
    EXPECT_TRUE(scene::PlanAddTexture(s.doc, std::string(255, 'a')).ok);
    // A name may change its own case.
    EXPECT_TRUE(scene::PlanRenameTexture(s.doc, 0, "Brick.tex").ok);

    const auto users = scene::PolygonsUsingTexture(s.doc, 0);
    ASSERT_FALSE(users.empty());
    const auto remove = scene::PlanRemoveTexture(s.doc, 0);
    EXPECT_FALSE(remove.ok);
    EXPECT_NE(remove.message.find("brick.tex"), std::string::npos);
    EXPECT_FALSE(scene::PlanAssignTexture(s.doc, users, 4).ok);
    EXPECT_EQ(s.doc.SaveToBytes(), s.start);
    EXPECT_FALSE(s.doc.IsModified());
}

TEST(SceneEdit, TexVerticesAndPositionsInOneStep)
{
    Loaded s;
    // Every kind, the packed lit records included, and requests that change nothing or name
    // nothing, which are dropped.
    std::vector<scene::TexVertexChange> uvs;
    for (const int kind : {scene::TEXVERTEX_UNLIT, scene::TEXVERTEX_PRELIT, scene::TEXVERTEX_LIT})
        uvs.push_back({kind, 1, 0.25f, -3.5f});
    const scene::TextureVertex same = s.doc.GetTextureVertex(scene::TEXVERTEX_UNLIT, 0);
    uvs.push_back({scene::TEXVERTEX_UNLIT, 0, same.u, same.v});
    uvs.push_back({scene::TEXVERTEX_UNLIT, 60000, 1.0f, 1.0f});
    uvs.push_back({7, 0, 1.0f, 1.0f});
    const scene::ObjectVertex p = s.doc.GetVertex(2);
    CSceneEdit edit(scene::CVertexEdit({{2, p.x + 1.0f, p.y, p.z}}));
    edit.SetTexVertices(uvs);

    scenetest::RecordingObserver seen;
    s.doc.AddObserver(&seen);
    ApplyUndoRedo(s, edit, [&] {
        EXPECT_EQ(edit.TexVertexCount(), 3u);
        EXPECT_TRUE(edit.Positions().HasEffect());
        for (const int kind : {scene::TEXVERTEX_UNLIT, scene::TEXVERTEX_PRELIT, scene::TEXVERTEX_LIT}) {
            EXPECT_EQ(s.doc.GetTextureVertex(kind, 1).u, 0.25f);
            EXPECT_EQ(s.doc.GetTextureVertex(kind, 1).v, -3.5f);
        }
    });
    s.doc.RemoveObserver(&seen);
    // One repaint per step, however many parts it has.
    EXPECT_EQ(std::count(seen.events.begin(), seen.events.end(), "update"), 3);
}

} // namespace
