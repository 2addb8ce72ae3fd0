// How long the texture view takes to repaint: the largest texture the store holds, in a
// window larger than it, and the whole widget paint path.

#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "common/Prompt.h"
#include "pixloom/PixloomView.h"
#include "texture/PixloomDoc.h"

namespace {

class SilentPrompt final : public common::IPrompt {
public:
    void ShowMessage(const std::string&, common::MessageIcon) override {}
    bool AskYesNo(const std::string&, common::MessageIcon) override { return false; }
};

// A loaded 512 x 512, 32-bit texture with every pixel different.
texture::CPixloomDoc& LargestTexture()
{
    static texture::CPixloomDoc doc;
    static bool loaded = false;
    if (!loaded) {
        const int n = texture::TEX_MAX_RES;
        std::vector<std::uint8_t> file(32, 0);
        const std::int32_t fields[3] = {n, n, 32};
        for (int f = 0; f < 3; ++f)
            for (int i = 0; i < 4; ++i)
                file[20 + f * 4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(fields[f]) >> (8 * i));
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                file.push_back(static_cast<std::uint8_t>(x));
                file.push_back(static_cast<std::uint8_t>(y));
                file.push_back(static_cast<std::uint8_t>(x ^ y));
                file.push_back(255);
            }
        SilentPrompt prompt;
        loaded = doc.ReadTex(file, prompt);
        if (!loaded)
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
