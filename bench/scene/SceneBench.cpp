// Loading, saving and recomputing a generated scene of 1,000,000 polygons over 500,000
// vertices with trees 8 to 12 levels deep.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "PlainRequantize.h"
#include "SceneGen.h"
#include "scene/QM4EditDoc.h"

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

} // namespace

BENCHMARK_MAIN();
