// CSV export and import of a large scene: the whole vertex list (500,000 vertices, about
// 20 MB of text each way) and the polygon lines. Throughput is reported as CSV bytes/s.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "SceneGen.h"
#include "common/NumberText.h"
#include "scene/QM4EditDoc.h"
#include "scene/csv/CsvExchange.h"

namespace {

// One scene for every benchmark: building it takes longer than the work measured.
scene::CQM4EditDoc& LargeScene()
{
    static std::unique_ptr<scene::CQM4EditDoc> doc = [] {
        scenegen::LargeOptions o;
        o.vertices = 500000;
        o.polygons = 100000;
        o.minDepth = 4;
        o.maxDepth = 6;
        auto d = std::make_unique<scene::CQM4EditDoc>();
        const auto bytes = scenegen::Encode(scenegen::MakeLargeScene(o));
        if (!d->Serialize(bytes).Ok())
            std::fprintf(stderr, "the generated scene did not load\n");
        d->UpdateGeometry();
        return d;
    }();
    return *doc;
}

void BM_ExportAllVertices(benchmark::State& state)
{
    const scene::CQM4EditDoc& doc = LargeScene();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = scene::BuildCsvExport(doc, scene::CSV_UNIQUE_VERTS, {});
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ExportAllVertices)->Unit(benchmark::kMillisecond);

// Text parsing and storing, then the one bounds recomputation every import ends with.
void BM_ImportAllVertices(benchmark::State& state)
{
    scene::CQM4EditDoc& doc = LargeScene();
    const std::string text = scene::BuildCsvExport(doc, scene::CSV_UNIQUE_VERTS, {});
    for (auto _ : state) {
        const scene::CsvReadCount n = scene::ImportCsvText(doc, text, scene::CSV_UNIQUE_VERTS);
        benchmark::DoNotOptimize(n.applied);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size() * state.iterations()));
}
BENCHMARK(BM_ImportAllVertices)->Unit(benchmark::kMillisecond);

// The same lines without the geometry update, to tell parsing from recomputing bounds.
void BM_ParseAndStoreVertexLines(benchmark::State& state)
{
    scene::CQM4EditDoc& doc = LargeScene();
    const std::string text = scene::BuildCsvExport(doc, scene::CSV_UNIQUE_VERTS, {});
    for (auto _ : state) {
        int applied = 0;
        std::string_view rest = text;
        while (!rest.empty()) {
            const std::size_t nl = rest.find('\n');
            applied += scene::ApplyVertexLine(doc, rest.substr(0, nl));
            rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
        }
        benchmark::DoNotOptimize(applied);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size() * state.iterations()));
}
BENCHMARK(BM_ParseAndStoreVertexLines)->Unit(benchmark::kMillisecond);

void BM_ExportAllPolygons(benchmark::State& state)
{
    const scene::CQM4EditDoc& doc = LargeScene();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = scene::BuildCsvExport(doc, scene::CSV_OBJECT_POLYGONS, {});
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ExportAllPolygons)->Unit(benchmark::kMillisecond);

void BM_ImportAllPolygons(benchmark::State& state)
{
    scene::CQM4EditDoc& doc = LargeScene();
    const std::string text = scene::BuildCsvExport(doc, scene::CSV_OBJECT_POLYGONS, {});
    for (auto _ : state) {
        const scene::CsvReadCount n = scene::ImportCsvText(doc, text, scene::CSV_OBJECT_POLYGONS);
        benchmark::DoNotOptimize(n.applied);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size() * state.iterations()));
}
BENCHMARK(BM_ImportAllPolygons)->Unit(benchmark::kMillisecond);

// One coordinate: our formatting against the C library it must equal.
void BM_FormatFixed6(benchmark::State& state)
{
    char buf[common::MAX_FIXED6_CHARS];
    float f = -1234.56789f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(common::FormatFixed6(buf, f));
        f += 0.001f;
    }
}
BENCHMARK(BM_FormatFixed6);

void BM_SnprintfFixed6(benchmark::State& state)
{
    char buf[64];
    float f = -1234.56789f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%f", static_cast<double>(f)));
        f += 0.001f;
    }
}
BENCHMARK(BM_SnprintfFixed6);

} // namespace

BENCHMARK_MAIN();
