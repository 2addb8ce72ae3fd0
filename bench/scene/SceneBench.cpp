// Loading, saving and recomputing a generated scene of 1,000,000 polygons over 500,000
// vertices with trees 8 to 12 levels deep (16 objects; 100 for the recompute against resave).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#ifdef __linux__
#include <sched.h>
#endif

#include "PlainRequantize.h"
#include "SceneGen.h"
#include "scene/QM4EditDoc.h"
#include "scene/SceneEdit.h"
#include "scene/VertexEdit.h"

namespace {

// The large scene as the editor would have saved it (boxes and trees recomputed).
const std::vector<std::uint8_t>& LargeFile()
{
    static const std::vector<std::uint8_t> bytes = [] {
        scene::CQM4EditDoc doc;
        doc.Serialize(scenegen::Encode(scenegen::MakeLargeScene({})));
        doc.UpdateGeometry();
        return doc.SaveToBytes();
    }();
    return bytes;
}

void BM_Load(benchmark::State& state)
{
    const auto& file = LargeFile();
    scene::CQM4EditDoc doc;
    for (auto _ : state) {
        if (!doc.Serialize(file).Ok())
            state.SkipWithError("the generated scene does not load");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
    state.counters["polygons"] = static_cast<double>(doc.ObjectInfo().TotalPolygonCount());
    state.counters["tree_nodes"] = static_cast<double>(doc.ObjectInfo().TotalTreeNodeCount());
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_SaveToMemory(benchmark::State& state)
{
    const auto& file = LargeFile();
    scene::CQM4EditDoc doc;
    doc.Serialize(file);
    for (auto _ : state) {
        auto bytes = doc.SaveToBytes();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_SaveToMemory)->Unit(benchmark::kMillisecond);

// The whole save: bytes, temporary file, flush to the disk, rename.
void BM_SaveToFile(benchmark::State& state)
{
    const auto& file = LargeFile();
    scene::CQM4EditDoc doc;
    doc.Serialize(file);
    const auto path = std::filesystem::temp_directory_path() / "bench_scene_save.qm4";
    for (auto _ : state) {
        if (!doc.OnSaveDocument(path).ok)
            state.SkipWithError("save failed");
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

void BM_UpdateGeometry(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    for (auto _ : state)
        doc.UpdateGeometry();
}
BENCHMARK(BM_UpdateGeometry)->Unit(benchmark::kMillisecond);

// The scene of the whole-scene recompute figures: 100 objects of 10,000 polygons, trees 8 to
// 12 levels deep, 500,000 vertices (about 48 MB), as the editor saves it.
const std::vector<std::uint8_t>& HundredObjectsFile()
{
    static const std::vector<std::uint8_t> bytes = [] {
        scenegen::LargeOptions options;
        options.polygonsPerObject = 10000;
        scene::CQM4EditDoc doc;
        doc.Serialize(scenegen::Encode(scenegen::MakeLargeScene(options)));
        doc.UpdateGeometry();
        return doc.SaveToBytes();
    }();
    return bytes;
}

// Keeps the process on one core while it lives (Linux; elsewhere it does nothing).
class OneCore {
public:
    explicit OneCore(bool pin)
    {
#ifdef __linux__
        if (!pin || sched_getaffinity(0, sizeof(m_saved), &m_saved) != 0)
            return;
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int c = 0; c < CPU_SETSIZE; ++c)
            if (CPU_ISSET(c, &m_saved)) {
                CPU_SET(c, &one);
                break;
            }
        m_pinned = sched_setaffinity(0, sizeof(one), &one) == 0;
#else
        (void)pin;
#endif
    }
    ~OneCore()
    {
#ifdef __linux__
        if (m_pinned)
            sched_setaffinity(0, sizeof(m_saved), &m_saved);
#endif
    }
    OneCore(const OneCore&) = delete;
    OneCore& operator=(const OneCore&) = delete;

private:
#ifdef __linux__
    cpu_set_t m_saved{};
    bool m_pinned = false;
#endif
};

// What `qm4tool recompute` adds to `qm4tool resave` (both without the disk): load, recompute
// every box, save, against load and save of the same file. Arg 1 keeps the process on one
// core, arg 0 lets it use them all; extra_over_resave is the recompute's extra time as a
// fraction of the resave's, to compare between the two.
//
// The two runs swap places every iteration: whichever goes first pays for the pages the
// allocator has just handed back, which alone moved the difference by a third. recompute_step_ms
// times the recompute itself inside its run, the same extra without the subtraction's noise.
void BM_RecomputeAgainstResave(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    using Ms = std::chrono::duration<double, std::milli>;
    const auto& file = HundredObjectsFile();
    const OneCore pin(state.range(0) != 0);
    double resave = 0.0, recompute = 0.0, step = 0.0;
    const auto run = [&](bool recomputing) {
        const auto t0 = Clock::now();
        scene::CQM4EditDoc doc;
        doc.Serialize(file);
        if (recomputing) {
            const auto s0 = Clock::now();
            doc.UpdateGeometry();
            step += Ms(Clock::now() - s0).count();
        }
        auto bytes = doc.SaveToBytes();
        benchmark::DoNotOptimize(bytes.data());
        (recomputing ? recompute : resave) += Ms(Clock::now() - t0).count();
    };
    bool recomputeFirst = false;
    for (auto _ : state) {
        run(recomputeFirst);
        run(!recomputeFirst);
        recomputeFirst = !recomputeFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["resave_ms"] = resave / n;
    state.counters["recompute_ms"] = recompute / n;
    state.counters["extra_ms"] = (recompute - resave) / n;
    state.counters["recompute_step_ms"] = step / n;
    state.counters["extra_over_resave"] = (recompute - resave) / resave;
    state.counters["file_mb"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_RecomputeAgainstResave)->Arg(1)->Arg(0)->Iterations(16)->Unit(benchmark::kMillisecond);

// What the editor builds once a scene is shown, so that the first drag commits quickly.
void BM_PrepareForEdits(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        scene::CQM4EditDoc doc;
        doc.Serialize(LargeFile());
        state.ResumeTiming();
        doc.PrepareForEdits();
        state.PauseTiming();
        doc.ClearScene();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PrepareForEdits)->Unit(benchmark::kMillisecond);

// The same result by the plain recursion, which recomputes exact boxes at every level:
// what the cached form saves.
void BM_RequantizePlainRecursion(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    const auto vertices = doc.ObjectVertices().Records();
    for (auto _ : state) {
        for (int i = 0; i < doc.GetObjectCount(); ++i) {
            scene::CPolygonBoundsTree tree = doc.ObjectInfo().GetTree(i);
            const scene::ObjectGeometry geo{doc.GetObjectRecord(i).polygons, vertices};
            scene::Box b = scene::BOX_EMPTY;
            scenetest::ComputeExactBox(tree, geo, b);
            scenetest::Requantize(tree, geo, b);
            benchmark::DoNotOptimize(tree.roots.data());
        }
    }
}
BENCHMARK(BM_RequantizePlainRecursion)->Unit(benchmark::kMillisecond);

// A few neighbouring vertices of the height field that every object draws from: each is used
// by most of the sixteen objects, so the commit reaches nearly the whole scene.
std::vector<scene::VertexChange> DragOf(const scene::CQM4EditDoc& doc, float dy, int row = 124)
{
    std::vector<scene::VertexChange> out;
    for (const int v : {row * 256 + 100, row * 256 + 101, (row + 1) * 256 + 100}) {
        const scene::ObjectVertex p = doc.GetVertex(v);
        out.push_back({v, p.x, p.y + dy, p.z});
    }
    return out;
}

// Committing a drag: the record is made, the vertices stored, the boxes they reach recomputed.
// Arg 0 moves the vertices within the objects' boxes, arg 1 moves them out so that every
// object box they belong to grows and the objects' whole trees are requantized.
void BM_CommitDrag(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    doc.PrepareForEdits(); // as the editor does once the scene shows
    const float dy = state.range(0) ? 500.0f : 0.5f;
    std::size_t bytes = 0;
    for (auto _ : state) {
        scene::CVertexEdit edit(DragOf(doc, dy));
        edit.Apply(doc);
        state.PauseTiming();
        bytes = edit.ByteSize();
        edit.Revert(doc);
        state.ResumeTiming();
    }
    state.counters["record_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CommitDrag)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The first commit after opening. Arg 0: nothing prepared, so nothing tells whether the file's
// boxes are current and the commit recomputes the whole scene. Arg 1: the editor prepared
// the scene once it was shown (which objects use each vertex, the exact boxes of the trees,
// whether the stored boxes are current), so the commit recomputes only what it reaches.
void BM_FirstCommitAfterOpen(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        scene::CQM4EditDoc doc;
        doc.Serialize(LargeFile());
        if (state.range(0))
            doc.PrepareForEdits();
        scene::CVertexEdit edit(DragOf(doc, 500.0f));
        state.ResumeTiming();
        edit.Apply(doc);
        state.PauseTiming(); // the document's teardown is not part of it
        doc.ClearScene();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstCommitAfterOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One frame of a live drag: positions only.
void BM_DragPreviewFrame(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    scene::CVertexDrag drag(doc, {124 * 256 + 100, 124 * 256 + 101, 125 * 256 + 100});
    float dy = 0.0f;
    for (auto _ : state)
        drag.MoveBy(0.0f, dy += 0.01f, 0.0f);
    drag.Cancel();
}
BENCHMARK(BM_DragPreviewFrame)->Unit(benchmark::kMicrosecond);

// Every one of the 500,000 vertices moved, as a whole CSV import does: undo and redo.
std::vector<scene::VertexChange> MoveAll(const scene::CQM4EditDoc& doc)
{
    std::vector<scene::VertexChange> out;
    for (int v = 0; v < doc.GetVertexCount(); ++v) {
        const scene::ObjectVertex p = doc.GetVertex(v);
        out.push_back({v, p.x + 0.125f, p.y, p.z - 0.5f});
    }
    return out;
}

void BM_UndoWholeImport(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    doc.PrepareForEdits();
    scene::CVertexEdit edit(MoveAll(doc));
    edit.Apply(doc);
    for (auto _ : state) {
        edit.Revert(doc);
        state.PauseTiming();
        edit.Apply(doc);
        state.ResumeTiming();
    }
    state.counters["record_bytes"] = static_cast<double>(edit.ByteSize());
    state.counters["vertices"] = static_cast<double>(edit.MovedVertices().size());
}
BENCHMARK(BM_UndoWholeImport)->Unit(benchmark::kMillisecond);

void BM_RedoWholeImport(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    doc.PrepareForEdits();
    scene::CVertexEdit edit(MoveAll(doc));
    edit.Apply(doc);
    for (auto _ : state) {
        state.PauseTiming();
        edit.Revert(doc);
        state.ResumeTiming();
        edit.Apply(doc);
    }
}
BENCHMARK(BM_RedoWholeImport)->Unit(benchmark::kMillisecond);

// 100,000 faces picked across all 16 objects (every tenth polygon) get a texture most of them
// do not have yet: the plan and its first Apply, which records what it overwrites.
std::vector<scene::PolygonRef> EveryTenthPolygon(const scene::CQM4EditDoc& doc)
{
    std::vector<scene::PolygonRef> picked;
    for (int o = 0; o < doc.GetObjectCount(); ++o)
        for (int p = 0; p < doc.GetPolygonCount(o); p += 10)
            picked.push_back({o, p});
    return picked;
}

void BM_AssignTexture100k(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    const std::vector<scene::PolygonRef> picked = EveryTenthPolygon(doc);
    std::size_t changed = 0, bytes = 0;
    for (auto _ : state) {
        scene::TextureEditPlan plan = scene::PlanAssignTexture(doc, picked, 2);
        plan.edit.Apply(doc);
        state.PauseTiming();
        changed = plan.edit.PolygonTextureCount();
        bytes = plan.edit.ByteSize();
        plan.edit.Revert(doc);
        state.ResumeTiming();
    }
    state.counters["faces"] = static_cast<double>(picked.size());
    state.counters["changed"] = static_cast<double>(changed);
    state.counters["record_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_AssignTexture100k)->Unit(benchmark::kMillisecond);

void BM_UndoAssignTexture100k(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    scene::TextureEditPlan plan = scene::PlanAssignTexture(doc, EveryTenthPolygon(doc), 2);
    plan.edit.Apply(doc);
    for (auto _ : state) {
        plan.edit.Revert(doc);
        state.PauseTiming();
        plan.edit.Apply(doc);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoAssignTexture100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
