// Model export and import on the generated scene of 1,000,000 polygons, PNG encoding of one
// 512 x 512 texture, and the file managers' 256-pixel preview of the large scene, which
// must take less than a second from reading the file to writing the PNG.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "SceneGen.h"
#include "common/AtomicFile.h"
#include "interchange/ImageCodec.h"
#include "interchange/ModelExport.h"
#include "interchange/ObjImport.h"
#include "interchange/Thumbnail.h"

namespace {

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

std::filesystem::path Temp(const char* name)
{
    return std::filesystem::temp_directory_path() / name;
}

// Building the files in memory: what the export itself costs, without the disk.
void BM_BuildObj(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    interchange::ExportCounts counts;
    for (auto _ : state) {
        auto files = interchange::BuildObj(doc, {}, "bench", {}, counts);
        benchmark::DoNotOptimize(files.obj.data());
    }
}
BENCHMARK(BM_BuildObj)->Unit(benchmark::kMillisecond);

void BM_BuildGlb(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    interchange::ExportCounts counts;
    for (auto _ : state) {
        auto glb = interchange::BuildGlb(doc, {}, {}, counts);
        benchmark::DoNotOptimize(glb.data());
    }
}
BENCHMARK(BM_BuildGlb)->Unit(benchmark::kMillisecond);

// The whole command: build the text and save it (temporary file, flush, rename).
void BM_ExportObjFile(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    const auto out = Temp("bench_interchange.obj");
    for (auto _ : state) {
        const interchange::ExportResult r = interchange::ExportModelFile(doc, Temp(""), out);
        if (!r.ok)
            state.SkipWithError(r.message.c_str());
        state.counters["polygons"] = static_cast<double>(r.counts.polygons);
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
    std::filesystem::remove(out);
    std::filesystem::remove(Temp("bench_interchange.mtl"));
}
BENCHMARK(BM_ExportObjFile)->Unit(benchmark::kMillisecond);

void BM_ExportGlbFile(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    const auto out = Temp("bench_interchange.glb");
    for (auto _ : state) {
        const interchange::ExportResult r = interchange::ExportModelFile(doc, Temp(""), out);
        if (!r.ok)
            state.SkipWithError(r.message.c_str());
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
    std::filesystem::remove(out);
}
BENCHMARK(BM_ExportGlbFile)->Unit(benchmark::kMillisecond);

// Reading the file, matching, applying the moves and the one geometry update. Every vertex
// is moved a little so the whole path runs.
void BM_ImportObjFile(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    const auto out = Temp("bench_interchange_in.obj");
    interchange::ExportModelFile(doc, Temp(""), out);
    for (auto _ : state) {
        state.PauseTiming();
        doc.Serialize(LargeFile());
        for (int i = 0; i < doc.GetVertexCount(); ++i) {
            const scene::ObjectVertex v = doc.GetVertex(i);
            doc.SetVertex(i, v.x, v.y + 0.5f, v.z);
        }
        state.ResumeTiming();
        const interchange::ObjImportPlan plan = interchange::ImportObjFile(doc, out);
        if (!plan.ok)
            state.SkipWithError(plan.message.c_str());
        state.counters["moved"] = static_cast<double>(plan.moves.size());
    }
    std::filesystem::remove(out);
    std::filesystem::remove(Temp("bench_interchange_in.mtl"));
}
BENCHMARK(BM_ImportObjFile)->Unit(benchmark::kMillisecond);

// Every texture coordinate changed in the file, every line of a texture vertex alike (u
// halved and shifted): reading, matching, and applying the one edit that sets them all.
void BM_ImportObjEveryUv(benchmark::State& state)
{
    scene::CQM4EditDoc doc;
    doc.Serialize(LargeFile());
    const auto out = Temp("bench_interchange_uv.obj");
    {
        interchange::ExportCounts counts;
        const std::string obj = interchange::BuildObj(doc, {}, "bench_interchange_uv", {}, counts).obj;
        std::string edited;
        edited.reserve(obj.size() + obj.size() / 8);
        for (std::size_t at = 0; at < obj.size();) {
            const std::size_t end = std::min(obj.find('\n', at), obj.size());
            const std::string_view line(obj.data() + at, end - at);
            if (line.starts_with("vt ")) {
                const std::size_t blank = line.find(' ', 3);
                const float u = std::stof(std::string(line.substr(3, blank - 3)));
                edited += "vt ";
                edited += std::to_string(u * 0.5f + 0.25f);
                edited += line.substr(blank);
            } else {
                edited += line;
            }
            edited += '\n';
            at = end + 1;
        }
        common::WriteFileAtomically(out,
                                    std::span(reinterpret_cast<const std::uint8_t*>(edited.data()), edited.size()));
    }
    for (auto _ : state) {
        state.PauseTiming();
        doc.Serialize(LargeFile());
        state.ResumeTiming();
        const interchange::ObjImportPlan plan = interchange::ImportObjFile(doc, out);
        if (!plan.ok)
            state.SkipWithError(plan.message.c_str());
        state.counters["texture_coordinates"] = static_cast<double>(plan.texVertexMoves.size());
        state.counters["faces"] = static_cast<double>(plan.faces);
    }
    std::filesystem::remove(out);
}
BENCHMARK(BM_ImportObjEveryUv)->Unit(benchmark::kMillisecond);

void BM_EncodePng512(benchmark::State& state)
{
    // A texture-like picture: smooth gradients with fine noise.
    texture::RgbaImage im{512, 512, std::vector<std::uint8_t>(512 * 512 * 4)};
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < im.rgba.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const std::size_t p = i / 4;
        im.rgba[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>((p % 512) / 2 + (p / 512) / 4 + (seed >> 29));
    }
    std::size_t size = 0;
    for (auto _ : state)
        size = interchange::EncodePng(im).size();
    state.counters["KB"] = static_cast<double>(size) / 1e3;
}
BENCHMARK(BM_EncodePng512)->Unit(benchmark::kMillisecond);

// The large scene in a folder of its own, its textures (256 x 256, 24 bits) beside it.
const std::filesystem::path& LargeSceneWithTextures()
{
    static const std::filesystem::path scenePath = [] {
        const auto dir = Temp("bench_thumbnail");
        std::filesystem::create_directories(dir);
        const auto path = dir / "large.qm4";
        common::WriteFileAtomically(path, LargeFile());
        scene::CQM4EditDoc doc;
        doc.Serialize(LargeFile());
        for (int t = 0; t < doc.TextureNames().GetCount(); ++t) {
            std::vector<std::uint8_t> tex(32, 0);
            tex[21] = 1; // xRes 256
            tex[25] = 1; // yRes 256
            tex[28] = 24;
            for (int i = 0; i < 256 * 256; ++i)
                tex.insert(tex.end(), {std::uint8_t(i * 7 + t * 50), std::uint8_t(i >> 8), std::uint8_t(i)});
            std::string name = doc.GetTextureName(static_cast<std::uint32_t>(t));
            if (std::filesystem::path(name).extension().empty())
                name += ".tex";
            common::WriteFileAtomically(dir / name, tex);
        }
        return path;
    }();
    return scenePath;
}

// What "qm4tool thumbnail large.qm4 out.png 256" does after it starts: read the scene, draw
// it with its textures, write the PNG.
void BM_SceneThumbnail256(benchmark::State& state)
{
    const auto& path = LargeSceneWithTextures();
    const auto out = Temp("bench_thumbnail.png");
    for (auto _ : state) {
        scene::CQM4EditDoc doc;
        if (!doc.OnOpenDocument(path).Ok())
            state.SkipWithError("the large scene does not load");
        const texture::RgbaImage preview = interchange::SceneThumbnail(doc, path.parent_path(), 256);
        if (!interchange::WritePngFile(out, preview))
            state.SkipWithError("cannot write the preview");
    }
    std::filesystem::remove(out);
}
BENCHMARK(BM_SceneThumbnail256)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The drawing alone, from a scene already in memory.
void BM_SceneThumbnailDrawOnly256(benchmark::State& state)
{
    const auto& path = LargeSceneWithTextures();
    scene::CQM4EditDoc doc;
    doc.OnOpenDocument(path);
    for (auto _ : state) {
        const texture::RgbaImage preview = interchange::SceneThumbnail(doc, path.parent_path(), 256);
        benchmark::DoNotOptimize(preview.rgba.data());
    }
}
BENCHMARK(BM_SceneThumbnailDrawOnly256)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
