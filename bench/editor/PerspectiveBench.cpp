// The perspective view on Mesa's software renderer at 1000 x 800: orbiting textured scenes
// of 100,000 and 1,000,000 polygons, and the first frame after switching to the view.
// The CPU column counts every thread of the process, the renderer's included: on a busy
// machine it is the figure to compare. Run it in an X display (xvfb-run) with two
// rendering threads, as the tests and CI do:
//   LP_NUM_THREADS=2 xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/bench_perspective

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <map>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTemporaryDir>

#include "SceneGen.h"
#include "common/Prompt.h"
#include "editor/perspective/PerspectiveView.h"
#include "scene/QM4EditDoc.h"
#include "texture/PixloomDoc.h"

namespace {

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

// The three textures the large scenes name, 256 x 256 each at a different depth.
void WriteTextures()
{
    struct Silent final : common::IPrompt {
        void ShowMessage(const std::string&, common::MessageIcon) override {}
        bool AskYesNo(const std::string&, common::MessageIcon) override { return false; }
    } prompt;
    const char* names[3] = {"large_a.tex", "large_b.tex", "large_c.tex"};
    const int depths[3] = {16, 24, 32};
    for (int t = 0; t < 3; ++t) {
        texture::CPixloomDoc doc;
        doc.GetHeader().xRes = doc.GetHeader().yRes = 256;
        doc.GetHeader().bpp = depths[t];
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                std::uint8_t* p = doc.GetPixel(x, y);
                p[0] = std::uint8_t(x ^ y), p[1] = std::uint8_t(x * (t + 1)), p[2] = std::uint8_t(y), p[3] = 255;
            }
        doc.OnSaveDocument(common::PathFromUtf8(QDir(Dir().path()).filePath(names[t]).toStdString()), prompt);
    }
}

// One loaded document per size, kept for the whole run.
scene::CQM4EditDoc& Scene(std::uint32_t polygons)
{
    static std::map<std::uint32_t, std::unique_ptr<scene::CQM4EditDoc>> docs;
    auto& doc = docs[polygons];
    if (!doc) {
        if (docs.size() == 1)
            WriteTextures();
        scenegen::LargeOptions options;
        options.polygons = polygons;
        options.vertices = polygons / 2;
        doc = std::make_unique<scene::CQM4EditDoc>();
        doc->Serialize(scenegen::Encode(scenegen::MakeLargeScene(options)));
    }
    return *doc;
}

std::unique_ptr<qm4edit::CPerspectiveView> ShowView(scene::CQM4EditDoc& doc)
{
    auto view = std::make_unique<qm4edit::CPerspectiveView>(doc);
    view->resize(1000, 800);
    view->show();
    view->SetScene(common::PathFromUtf8(Dir().path().toStdString()));
    QElapsedTimer waited;
    waited.start();
    while (!view->isExposed() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return view;
}

// Paints a frame and waits until the renderer has finished it and the window shows it.
void Frame(qm4edit::CPerspectiveView& view)
{
    QPaintEvent paint(QRect(QPoint(), view.size()));
    QApplication::sendEvent(&view, &paint);
    view.makeCurrent();
    QOpenGLContext::currentContext()->functions()->glFinish();
    view.doneCurrent();
}

#if defined(__linux__)
double CpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
#endif

void BM_OrbitTexturedScene(benchmark::State& state)
{
    if (!qm4edit::CPerspectiveView::OpenGLUnavailableReason().isEmpty()) {
        state.SkipWithError(qPrintable(qm4edit::CPerspectiveView::OpenGLUnavailableReason()));
        return;
    }
    scene::CQM4EditDoc& doc = Scene(static_cast<std::uint32_t>(state.range(0)));
    auto view = ShowView(doc);
    Frame(*view); // the scene is built and sent here, not in the loop
#if defined(__linux__)
    const double thread0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID), process0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
#endif
    for (auto _ : state) {
        view->Camera().Orbit(4.0f, 1.0f);
        Frame(*view);
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
#if defined(__linux__)
    // On a busy machine the frame rate says more about the others' load than about the view;
    // the CPU time per frame of this thread, which sets up every polygon, and of the whole
    // process do not.
    const double frames = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["main_ms"] = (CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0) / frames * 1e3;
    state.counters["all_ms"] = (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0) / frames * 1e3;
#endif
    state.counters["drawn"] = double(view->Mesh().PolygonCount());
}
BENCHMARK(BM_OrbitTexturedScene)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// From a new scene to its first frame on screen: the mesh built, sent with its textures,
// the camera fitted and the picture drawn.
void BM_FirstFrame(benchmark::State& state)
{
    if (!qm4edit::CPerspectiveView::OpenGLUnavailableReason().isEmpty()) {
        state.SkipWithError(qPrintable(qm4edit::CPerspectiveView::OpenGLUnavailableReason()));
        return;
    }
    scene::CQM4EditDoc& doc = Scene(static_cast<std::uint32_t>(state.range(0)));
    auto view = ShowView(doc);
    Frame(*view);
    for (auto _ : state) {
        view->SetScene(common::PathFromUtf8(Dir().path().toStdString()));
        Frame(*view);
    }
}
BENCHMARK(BM_FirstFrame)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);

// Moving one vertex of the large scene: only its corners go to the renderer.
void BM_MoveOneVertex(benchmark::State& state)
{
    if (!qm4edit::CPerspectiveView::OpenGLUnavailableReason().isEmpty()) {
        state.SkipWithError(qPrintable(qm4edit::CPerspectiveView::OpenGLUnavailableReason()));
        return;
    }
    scene::CQM4EditDoc& doc = Scene(1000000);
    auto view = ShowView(doc);
    Frame(*view);
    float x = 0;
    for (auto _ : state) {
        const scene::ObjectVertex v = doc.GetVertex(1234);
        doc.SetVertex(1234, v.x + (x += 0.01f), v.y, v.z);
        const int changed[1] = {1234};
        view->UpdateVertices(changed);
    }
}
BENCHMARK(BM_MoveOneVertex)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
