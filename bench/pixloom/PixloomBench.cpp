// How long the texture view takes to repaint: the largest texture the store holds, in a
// window larger than it, and the whole widget paint path; the same texture magnified 32
// times, repainted and scrolled, in a window of a usual size; and its PNG export.

#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "common/Prompt.h"
#include "interchange/ImageCodec.h"
#include "interchange/TextureImage.h"
#include "pixloom/PixloomView.h"
#include "texture/PixloomDoc.h"

namespace {

class SilentPrompt final : public common::IPrompt {
public:
    void ShowMessage(const std::string&, common::MessageIcon) override {}
    bool AskYesNo(const std::string&, common::MessageIcon) override { return false; }
};

// A loaded 512 x 512, 32-bit texture with every pixel different: a smooth pattern, or
// (noisy) one whose low bits are noise as in a photographed texture, which PNG compresses far
// less well.
texture::CPixloomDoc& LargestTexture(bool noisy = false)
{
    static texture::CPixloomDoc docs[2];
    static bool loaded[2] = {false, false};
    texture::CPixloomDoc& doc = docs[noisy];
    if (!loaded[noisy]) {
        const int n = texture::TEX_MAX_RES;
        std::vector<std::uint8_t> file(32, 0);
        const std::int32_t fields[3] = {n, n, 32};
        for (int f = 0; f < 3; ++f)
            for (int i = 0; i < 4; ++i)
                file[20 + f * 4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(fields[f]) >> (8 * i));
        std::uint32_t seed = 12345;
        const auto noise = [&] {
            seed = seed * 1664525u + 1013904223u;
            return noisy ? static_cast<std::uint8_t>((seed >> 24) & 0x1F) : std::uint8_t(0);
        };
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                file.push_back(static_cast<std::uint8_t>(x ^ noise()));
                file.push_back(static_cast<std::uint8_t>(y ^ noise()));
                file.push_back(static_cast<std::uint8_t>((x ^ y) ^ noise()));
                file.push_back(255);
            }
        SilentPrompt prompt;
        loaded[noisy] = doc.ReadTex(file, prompt);
        if (!loaded[noisy])
            std::abort();
    }
    return doc;
}

void BM_RenderTexture512(benchmark::State& state)
{
    texture::CPixloomDoc& doc = LargestTexture();
    for (auto _ : state) {
        QImage image = pixloom::RenderTexture(doc, 0x00FFFFFF, QSize(800, 600));
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * texture::TEX_MAX_RES * texture::TEX_MAX_RES);
}
BENCHMARK(BM_RenderTexture512)->Unit(benchmark::kMicrosecond);

void BM_ViewRepaint512(benchmark::State& state)
{
    texture::CPixloomDoc& doc = LargestTexture();
    pixloom::CPixloomView view(doc, "PixloomBench");
    view.resize(800, 600);
    for (auto _ : state) {
        QPixmap shot = view.grab();
        benchmark::DoNotOptimize(shot.cacheKey());
    }
}
BENCHMARK(BM_ViewRepaint512)->Unit(benchmark::kMicrosecond);

// The visible part of the texture at the largest step, in a typical window's view.
void BM_ViewRepaint512Zoom32(benchmark::State& state)
{
    texture::CPixloomDoc& doc = LargestTexture();
    pixloom::CPixloomView view(doc, "PixloomBench");
    view.resize(1000, 800);
    view.OnDocumentChanged();
    view.SetZoomLog2(pixloom::kMaxZoomLog2);
    for (auto _ : state) {
        QPixmap shot = view.grab();
        benchmark::DoNotOptimize(shot.cacheKey());
    }
}
BENCHMARK(BM_ViewRepaint512Zoom32)->Unit(benchmark::kMicrosecond);

// One scroll-bar step (an arrow click or a wheel notch with Shift) and the repaint it causes,
// back and forth so the picture never reaches an edge.
void BM_ViewScrollStep512Zoom32(benchmark::State& state)
{
    texture::CPixloomDoc& doc = LargestTexture();
    pixloom::CPixloomView view(doc, "PixloomBench");
    view.resize(1000, 800);
    view.OnDocumentChanged();
    view.SetZoomLog2(pixloom::kMaxZoomLog2);
    QScrollBar* bar = view.horizontalScrollBar();
    bool forward = true;
    for (auto _ : state) {
        bar->triggerAction(forward ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
        forward = !forward;
        QPixmap shot = view.grab();
        benchmark::DoNotOptimize(shot.cacheKey());
    }
}
BENCHMARK(BM_ViewScrollStep512Zoom32)->Unit(benchmark::kMicrosecond);

// File > Export... to a .png name: the pixels gathered, encoded and saved atomically.
void BM_PngExport512(benchmark::State& state)
{
    texture::CPixloomDoc& doc = LargestTexture(state.range(0) != 0);
    QTemporaryDir dir;
    const std::filesystem::path path = common::PathFromUtf8(dir.filePath("export.png").toStdString());
    for (auto _ : state) {
        if (!interchange::ExportTexturePng(doc, path).Ok())
            state.SkipWithError("export failed");
    }
}
BENCHMARK(BM_PngExport512)->ArgName("noisy")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Its two parts: gathering the pixels as RGBA, and the PNG encoder alone.
void BM_PngExportGather512(benchmark::State& state)
{
    texture::CPixloomDoc& doc = LargestTexture();
    for (auto _ : state) {
        std::vector<std::uint8_t> rgba;
        bool withAlpha = true;
        doc.WriteRgba(rgba, withAlpha);
        benchmark::DoNotOptimize(rgba.data());
    }
}
BENCHMARK(BM_PngExportGather512)->Unit(benchmark::kMillisecond);

void BM_PngEncode512(benchmark::State& state)
{
    texture::CPixloomDoc& doc = LargestTexture(state.range(0) != 0);
    texture::RgbaImage image;
    bool withAlpha = true;
    doc.WriteRgba(image.rgba, withAlpha);
    image.width = image.height = texture::TEX_MAX_RES;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> png = interchange::EncodePng(image, withAlpha);
        bytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PngEncode512)->ArgName("noisy")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Runs without a display, and keeps its settings out of the user's.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
