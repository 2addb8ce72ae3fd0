// Undoable vertex edits and the partial recompute behind them.

#include <gtest/gtest.h>

#include "SceneTestSupport.h"
#include "scene/VertexEdit.h"

using scene::CQM4EditDoc;
using scene::CVertexDrag;
using scene::CVertexEdit;
using scene::VertexChange;

namespace {

// A few vertices moved: mostly inside the scene, some far out (the object's box grows), some
// to where they already stand.
std::vector<VertexChange> RandomMoves(scenegen::Rng& rng, const CQM4EditDoc& doc, std::uint32_t most)
{
    std::vector<VertexChange> out;
    const int n = doc.GetVertexCount();
    if (n == 0)
        return out;
    const std::uint32_t count = rng.Range(1, most);
    for (std::uint32_t i = 0; i < count; ++i) {
        const int v = static_cast<int>(rng.Range(0, static_cast<std::uint32_t>(n - 1)));
        const scene::ObjectVertex p = doc.GetVertex(v);
        const float reach = rng.Chance(20) ? 50000.0f : 10.0f;
        if (rng.Chance(10))
            out.push_back({v, p.x, p.y, p.z});
        else
            out.push_back({v, p.x + rng.Float(-reach, reach), p.y + rng.Float(-reach, reach), p.z});
    }
    return out;
}

TEST(VertexEdit, PartialRecomputeMatchesFullAndUndoRedoRestoreBytes)
{
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto file = scenetest::Bytes(scenegen::MakeRandomScene(seed, seed % 3 == 0));
        CQM4EditDoc full, partial;
        ASSERT_TRUE(full.Serialize(file).Ok());
        partial.Serialize(file);
        full.UpdateGeometry();
        partial.UpdateGeometry();
        const auto start = partial.SaveToBytes();

        scenegen::Rng rng(seed);
        std::vector<CVertexEdit> history;
        std::vector<std::vector<std::uint8_t>> states{start};
        for (int step = 0; step < 4; ++step) {
            const auto moves = RandomMoves(rng, partial, step == 3 ? 300 : 4);
            for (const VertexChange& c : moves)
                full.SetVertex(c.index, c.x, c.y, c.z);
            full.UpdateGeometry();
            history.emplace_back(moves);
            history.back().Apply(partial);
            ASSERT_EQ(partial.SaveToBytes(), full.SaveToBytes()) << "step " << step;
            states.push_back(full.SaveToBytes());
        }
        for (std::size_t i = history.size(); i-- > 0;) {
            history[i].Revert(partial);
            ASSERT_EQ(partial.SaveToBytes(), states[i]) << "undo " << i;
        }
        for (std::size_t i = 0; i < history.size(); ++i) {
            history[i].Apply(partial);
            ASSERT_EQ(partial.SaveToBytes(), states[i + 1]) << "redo " << i;
        }
    }
}

// Stored boxes that differ from a recompute come back byte for byte, and an edit leaves the
// boxes it cannot reach as they were read.
TEST(VertexEdit, UndoGivesBackTheFileAsOpened)
{
    for (std::uint64_t seed = 200; seed < 240; ++seed) {
        const auto file = scenetest::Bytes(scenegen::MakeRandomScene(seed));
        CQM4EditDoc doc;
        doc.Serialize(file);
        scenegen::Rng rng(seed);
        CVertexEdit single(RandomMoves(rng, doc, 1));
        CVertexEdit multi(RandomMoves(rng, doc, 40));
        for (CVertexEdit* e : {&single, &multi}) {
            e->Apply(doc);
            const auto edited = doc.SaveToBytes();
            e->Revert(doc);
            ASSERT_EQ(doc.SaveToBytes(), file) << "seed " << seed;
            e->Apply(doc);
            ASSERT_EQ(doc.SaveToBytes(), edited) << "seed " << seed;
            e->Revert(doc);
        }
    }
}

// A scene large enough that objects are recomputed on several threads, with and without the
// boxes prepared ahead: the same bytes as a whole recompute, and undo gives back the file.
TEST(VertexEdit, LargeScenePartialRecomputeMatchesFull)
{
    const auto file = scenetest::Bytes(scenegen::MakeLargeScene({120000, 60000, 3, 7, 5}));
    CQM4EditDoc full, partial, prepared;
    ASSERT_TRUE(full.Serialize(file).Ok());
    partial.Serialize(file);
    prepared.Serialize(file);
    prepared.PrepareForEdits();
    scenegen::Rng rng(5);
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        const auto moves = RandomMoves(rng, full, 200);
        for (const VertexChange& c : moves)
            full.SetVertex(c.index, c.x, c.y, c.z);
        full.UpdateGeometry();
        CVertexEdit a(moves), b(moves);
        const auto before = partial.SaveToBytes();
        a.Apply(partial);
        b.Apply(prepared);
        const auto expected = full.SaveToBytes();
        ASSERT_EQ(partial.SaveToBytes(), expected);
        ASSERT_EQ(prepared.SaveToBytes(), expected);
        a.Revert(partial);
        ASSERT_EQ(partial.SaveToBytes(), before);
        a.Apply(partial);
    }
}

TEST(VertexEdit, FlagsViewsAndEditsWithoutEffect)
{
    CQM4EditDoc doc;
    ASSERT_TRUE(doc.Serialize(scenetest::Bytes(scenegen::MakeDemoScene())).Ok());
    scenetest::RecordingObserver seen;
    doc.AddObserver(&seen);
    const scene::ObjectVertex v = doc.GetVertex(2);

    // Same position, an index past the end and a negative one: nothing to undo.
    CVertexEdit none({{2, v.x, v.y, v.z}, {doc.GetVertexCount(), 1, 2, 3}, {-1, 1, 2, 3}});
    none.Apply(doc);
    EXPECT_FALSE(none.HasEffect());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(seen.events, std::vector<std::string>{"update"});

    // The last position of a vertex named twice wins.
    seen.events.clear();
    CVertexEdit twice({{2, 7, 7, 7}, {2, 8, 9, 10}});
    twice.Apply(doc);
    EXPECT_EQ(doc.GetVertex(2).z, 10.0f);
    EXPECT_EQ(seen.events, (std::vector<std::string>{"modified", "update"}));
    doc.SetModifiedFlag(false);
    seen.events.clear();
    twice.Revert(doc);
    EXPECT_EQ(doc.GetVertex(2).z, v.z);
    EXPECT_EQ(seen.events, (std::vector<std::string>{"modified", "update"}));
    EXPECT_GT(twice.ByteSize(), sizeof(CVertexEdit));
    doc.RemoveObserver(&seen);
}

TEST(VertexEdit, DragPreviewsThenCommitsOneEdit)
{
    CQM4EditDoc doc, direct;
    const auto file = scenetest::Bytes(scenegen::MakeDemoScene());
    doc.Serialize(file);
    direct.Serialize(file);
    const auto a = doc.GetVertex(3), b = doc.GetVertex(5);

    CVertexDrag drag(doc, {3, 5, 3, 99999});
    ASSERT_EQ(drag.Vertices().size(), 2u);
    drag.MoveBy(1.0f, 2.0f, 0.0f);
    drag.MoveBy(0.25f, -4.0f, 0.0f); // from the start, not from the last frame
    EXPECT_EQ(doc.GetVertex(5).y, b.y - 4.0f);
    EXPECT_EQ(doc.SaveToBytes().size(), file.size());
    EXPECT_FALSE(doc.IsModified());
    CVertexEdit edit = drag.Finish();
    EXPECT_EQ(doc.SaveToBytes(), file);
    edit.Apply(doc);

    direct.SetVertex(3, a.x + 0.25f, a.y - 4.0f, a.z);
    direct.SetVertex(5, b.x + 0.25f, b.y - 4.0f, b.z);
    direct.UpdateGeometryFor(std::vector<int>{3, 5});
    EXPECT_EQ(doc.SaveToBytes(), direct.SaveToBytes());
    edit.Revert(doc);
    EXPECT_EQ(doc.SaveToBytes(), file);

    CVertexDrag cancelled(doc, {3});
    cancelled.MoveBy(5, 5, 5);
    cancelled.Cancel();
    EXPECT_EQ(doc.SaveToBytes(), file);
}

} // namespace
