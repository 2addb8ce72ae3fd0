// A 512 x 512 texture through every file operation of the texture tool: open, save, export,
// import, each from and to real files (atomic saves included) and in memory.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/Prompt.h"
#include "texture/PixloomDoc.h"

namespace {

namespace fs = std::filesystem;

class SilentPrompt final : public common::IPrompt {
public:
    void ShowMessage(const std::string&, common::MessageIcon) override { ++failures; }
    bool AskYesNo(const std::string&, common::MessageIcon) override { return true; }
    int failures = 0;
};

std::vector<std::uint8_t> MakeTex(int bpp)
{
    std::vector<std::uint8_t> f(32, 0);
    auto put = [&](int at, std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
    };
    put(20, 512);
    put(24, 512);
    put(28, bpp);
    std::uint32_t s = 7;
    for (std::size_t i = 0; i < std::size_t(512) * 512 * (bpp / 8); ++i) {
        s = s * 1664525u + 1013904223u;
        f.push_back(static_cast<std::uint8_t>(s >> 24));
    }
    return f;
}

struct Files {
    fs::path dir;
    explicit Files(int bpp)
    {
        dir = fs::temp_directory_path() / ("qm_texture_bench_" + std::to_string(bpp));
        fs::create_directories(dir);
        const auto tex = MakeTex(bpp);
        std::ofstream(dir / "in.tex", std::ios::binary)
            .write(reinterpret_cast<const char*>(tex.data()), static_cast<std::streamsize>(tex.size()));
        texture::CPixloomDoc doc;
        SilentPrompt p;
        doc.OnOpenDocument(dir / "in.tex", p);
        doc.ExportTarga(dir / "in.tga", p);
    }
    ~Files() { fs::remove_all(dir); }
};

void Check(benchmark::State& state, const SilentPrompt& p)
{
    if (p.failures)
        state.SkipWithError("the operation failed");
}

void BM_OpenTex(benchmark::State& state)
{
    const int bpp = static_cast<int>(state.range(0));
    Files files(bpp);
    texture::CPixloomDoc doc;
    SilentPrompt p;
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.OnOpenDocument(files.dir / "in.tex", p));
    Check(state, p);
}

void BM_SaveTex(benchmark::State& state)
{
    const int bpp = static_cast<int>(state.range(0));
    Files files(bpp);
    texture::CPixloomDoc doc;
    SilentPrompt p;
    doc.OnOpenDocument(files.dir / "in.tex", p);
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.OnSaveDocument(files.dir / "out.tex", p));
    Check(state, p);
}

void BM_ExportTarga(benchmark::State& state)
{
    const int bpp = static_cast<int>(state.range(0));
    Files files(bpp);
    texture::CPixloomDoc doc;
    SilentPrompt p;
    doc.OnOpenDocument(files.dir / "in.tex", p);
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.ExportTarga(files.dir / "out.tga", p));
    Check(state, p);
}

void BM_ImportTarga(benchmark::State& state)
{
    const int bpp = static_cast<int>(state.range(0));
    Files files(bpp);
    texture::CPixloomDoc doc;
    SilentPrompt p;
    doc.OnOpenDocument(files.dir / "in.tex", p);
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.ImportTarga(files.dir / "in.tga", p));
    Check(state, p);
}

// The same work without the disk: decoding and encoding alone.
void BM_ReadTexInMemory(benchmark::State& state)
{
    const auto tex = MakeTex(static_cast<int>(state.range(0)));
    texture::CPixloomDoc doc;
    SilentPrompt p;
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.ReadTex(tex, p));
    Check(state, p);
}

void BM_WriteTexInMemory(benchmark::State& state)
{
    const auto tex = MakeTex(static_cast<int>(state.range(0)));
    texture::CPixloomDoc doc;
    SilentPrompt p;
    doc.ReadTex(tex, p);
    std::vector<std::uint8_t> out;
    out.reserve(tex.size());
    for (auto _ : state) {
        out.clear();
        doc.WriteTex(out);
        benchmark::DoNotOptimize(out.data());
    }
    Check(state, p);
}

void BM_ImportTargaInMemory(benchmark::State& state)
{
    const auto tex = MakeTex(static_cast<int>(state.range(0)));
    texture::CPixloomDoc doc;
    SilentPrompt p;
    doc.ReadTex(tex, p);
    std::vector<std::uint8_t> tga;
    doc.WriteTarga(tga);
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.ImportTargaBytes(tga, p));
    Check(state, p);
}

} // namespace

BENCHMARK(BM_OpenTex)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTex)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportTarga)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTarga)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTexInMemory)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTexInMemory)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTargaInMemory)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
