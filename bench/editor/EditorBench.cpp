// QM4Edit's two heavy paths: opening a 1,000,000-polygon scene into a usable window, and
// repainting 500,000 vertices at 1000 x 800.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QWheelEvent>

#include "SceneGen.h"
#include "editor/app/MainFrame.h"
#include "editor/app/QM4EditApp.h"
#include "editor/tree/QM4EditTreeView.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/tools/VertexTool.h"
#include "editor/ortho/ViewRenderer.h"
#include "scene/VertexEdit.h"

namespace {

// Answers nothing; the benchmark never asks anything.
class SilentPrompt final : public gui::IGuiPrompt {
public:
    void ShowMessage(const std::string&, common::MessageIcon) override {}
    bool AskYesNo(const std::string&, common::MessageIcon) override { return false; }
    std::optional<QString> GetOpenFileName(const gui::FileDialogOptions&) override { return std::nullopt; }
    std::optional<QString> GetSaveFileName(const gui::FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t) override { return std::nullopt; }
    gui::SaveChangesAnswer AskSaveChanges(const QString&) override { return gui::SaveChangesAnswer::No; }
};

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

QString LargeScenePath()
{
    static QString path = [] {
        scenegen::LargeOptions options;
        options.polygons = 1000000;
        options.vertices = 500000;
        const auto bytes = scenegen::Encode(scenegen::MakeLargeScene(options));
        const QString p = QDir(Dir().path()).filePath("large.qm4");
        QFile f(p);
        if (f.open(QIODevice::WriteOnly))
            f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return p;
    }();
    return path;
}

// From start-up to a shown window whose tree lists the scene's objects and whose viewport
// has painted.
void BM_OpenLargeSceneToUsableWindow(benchmark::State& state)
{
    const QString path = LargeScenePath();
    for (auto _ : state) {
        qm4edit::CQM4EditApp app(std::make_unique<SilentPrompt>());
        if (!app.InitInstance({"QM4Edit", path})) {
            state.SkipWithError("the large scene did not open");
            return;
        }
        qm4edit::CMainFrame& frame = *app.GetMainWnd();
        QApplication::processEvents();
        frame.GetTreeView()->repaint();
        frame.GetSceneView()->repaint();
        benchmark::DoNotOptimize(frame.GetTreeView()->model()->rowCount());
        state.PauseTiming(); // closing is not part of opening
        frame.hide();
        state.ResumeTiming();
    }
    state.counters["polygons"] = 1000000;
}
BENCHMARK(BM_OpenLargeSceneToUsableWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

// A hostile file: a million objects without polygons, each its own top-level row.
void BM_OpenMillionEmptyObjects(benchmark::State& state)
{
    static const QString path = [] {
        scenegen::GenScene s;
        s.vertices = {{0, 0, 0}};
        s.objects.resize(1000000);
        for (auto& o : s.objects)
            o.hasBounds = 0;
        const auto bytes = scenegen::Encode(s);
        const QString p = QDir(Dir().path()).filePath("empty-objects.qm4");
        QFile f(p);
        if (f.open(QIODevice::WriteOnly))
            f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return p;
    }();
    for (auto _ : state) {
        qm4edit::CQM4EditApp app(std::make_unique<SilentPrompt>());
        if (!app.InitInstance({"QM4Edit", path})) {
            state.SkipWithError("the scene did not open");
            return;
        }
        QApplication::processEvents();
        app.GetMainWnd()->GetTreeView()->repaint();
        state.PauseTiming();
        app.GetMainWnd()->hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMillionEmptyObjects)->Unit(benchmark::kMillisecond)->Iterations(2);

// Expanding an object of 62,500 polygons, as a user clicking its arrow does.
void BM_ExpandLargeObject(benchmark::State& state)
{
    qm4edit::CQM4EditApp app(std::make_unique<SilentPrompt>());
    if (!app.InitInstance({"QM4Edit", LargeScenePath()})) {
        state.SkipWithError("the large scene did not open");
        return;
    }
    qm4edit::CQM4EditTreeView& tree = *app.GetMainWnd()->GetTreeView();
    QApplication::processEvents();
    const QModelIndex first = tree.model()->index(0, 0);
    for (auto _ : state) {
        tree.expand(first);
        tree.repaint();
        state.PauseTiming();
        tree.collapse(first);
        tree.repaint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandLargeObject)->Unit(benchmark::kMillisecond);

struct ViewFixture {
    scene::CQM4EditDoc doc;
    std::unique_ptr<qm4edit::CQM4EditView> view;

    ViewFixture()
    {
        scenegen::LargeOptions options;
        options.polygons = 1000;
        options.vertices = 500000;
        const auto bytes = scenegen::Encode(scenegen::MakeLargeScene(options));
        doc.Serialize(bytes);
        view = std::make_unique<qm4edit::CQM4EditView>(doc);
        view->resize(1000, 800);
    }
};

ViewFixture& Fixture()
{
    static ViewFixture f;
    return f;
}

// The picture alone, into the reused image buffer. range(0): zoom-outs from the default
// (2 shows every vertex on screen).
void BM_RenderViewport500k(benchmark::State& state)
{
    ViewFixture& f = Fixture();
    f.view->ResetView();
    for (int i = 0; i < state.range(0); ++i)
        f.view->ZoomOut();
    QImage image;
    for (auto _ : state) {
        f.view->RenderTo(image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["vertices"] = f.doc.GetVertexCount();
}
BENCHMARK(BM_RenderViewport500k)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

// A whole repaint of the shown widget: the picture and putting it on the window.
void BM_RepaintViewport500k(benchmark::State& state)
{
    ViewFixture& f = Fixture();
    f.view->ResetView();
    f.view->ZoomOut();
    f.view->ZoomOut();
    f.view->show();
    QApplication::processEvents();
    for (auto _ : state)
        f.view->repaint();
    f.view->hide();
}
BENCHMARK(BM_RepaintViewport500k)->Unit(benchmark::kMillisecond);

// The whole 1,000,000-polygon scene in a 1000 x 800 view, framed by Fit Scene.
struct LargeViewFixture {
    scene::CQM4EditDoc doc;
    std::unique_ptr<qm4edit::CQM4EditView> view;

    LargeViewFixture()
    {
        const auto bytes = scenegen::Encode(scenegen::MakeLargeScene(scenegen::LargeOptions{}));
        doc.Serialize(bytes);
        view = std::make_unique<qm4edit::CQM4EditView>(doc);
        view->resize(1000, 800);
        view->SetWireframe(false);
        view->FitScene();
    }
};

LargeViewFixture& LargeFixture()
{
    static LargeViewFixture f;
    return f;
}

// Every polygon outlined, the whole widget repainted. range(0): zoom steps in from the fit
// (0: the whole scene on screen; 2: a quarter of it, the rest clipped away).
void BM_WireframeRepaint1M(benchmark::State& state)
{
    LargeViewFixture& f = LargeFixture();
    f.view->FitScene();
    for (int i = 0; i < state.range(0); ++i)
        f.view->ZoomIn();
    f.view->SetWireframe(true);
    f.view->show();
    QApplication::processEvents();
    for (auto _ : state)
        f.view->repaint();
    f.view->SetWireframe(false);
    f.view->hide();
    state.counters["polygons"] = static_cast<double>(f.doc.ObjectInfo().TotalPolygonCount());
}
BENCHMARK(BM_WireframeRepaint1M)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

// One frame of a vertex drag with the vertex tool: the pointer moves a pixel, the vertex
// follows, the view repaints. range(0): wireframe off (0) or on (1), the whole scene on screen.
void BM_VertexDragFrame1M(benchmark::State& state)
{
    LargeViewFixture& f = LargeFixture();
    f.view->FitScene();
    f.view->SetWireframe(state.range(0) != 0);
    f.view->VertexTool().SetEditTarget(&f.doc, [](const char*, scene::CVertexEdit) {});
    f.view->VertexTool().SetActive(true);
    f.view->show();
    QApplication::processEvents();
    std::int64_t px = 0, py = 0;
    qm4edit::ProjectToPixel(f.view->State(), f.view->width(), f.view->height(), f.doc.GetVertex(124 * 256 + 100), px,
                            py);
    const QPointF at(static_cast<double>(px), static_cast<double>(py));
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.view.get(), &press);
    if (!f.view->VertexTool().IsMoving())
        state.SkipWithError("no vertex under the pointer");
    int step = 0;
    for (auto _ : state) {
        const QPointF to = at + QPointF(0, (++step % 16) - 8);
        QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.view.get(), &move);
        f.view->repaint();
    }
    f.view->VertexTool().Cancel();
    f.view->VertexTool().SetActive(false);
    f.view->SetWireframe(false);
    f.view->hide();
}
BENCHMARK(BM_VertexDragFrame1M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One wheel notch about the pointer and the repaint it causes, wireframe off.
void BM_WheelZoomRepaint1M(benchmark::State& state)
{
    LargeViewFixture& f = LargeFixture();
    f.view->FitScene();
    f.view->show();
    QApplication::processEvents();
    bool in = true;
    for (auto _ : state) {
        QWheelEvent e(QPointF(640, 300), QPointF(640, 300), QPoint(), QPoint(0, in ? 120 : -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.view.get(), &e);
        f.view->repaint();
        in = !in;
    }
    f.view->hide();
}
BENCHMARK(BM_WheelZoomRepaint1M)->Unit(benchmark::kMillisecond);

// A click's pick over the scene's 500,000 vertices, the index already built. range(0): zoom
// steps out from the fit (at 4 the whole scene covers a few pixels: many vertices per pixel).
void BM_Pick1M(benchmark::State& state)
{
    LargeViewFixture& f = LargeFixture();
    f.view->FitScene();
    for (int i = 0; i < state.range(0); ++i)
        f.view->ZoomOut();
    f.view->PickVertex(QPoint(500, 400)); // builds the index
    scenegen::Rng rng(5);
    int found = 0;
    for (auto _ : state) {
        const QPoint p(static_cast<int>(rng.Float(0, 999)), static_cast<int>(rng.Float(0, 799)));
        found += f.view->PickVertex(p) >= 0;
    }
    state.counters["hit_ratio"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Pick1M)->Arg(0)->Arg(4)->Unit(benchmark::kMicrosecond);

// The first pick after a change of the vertices: the index is built again.
void BM_PickIndexBuild500k(benchmark::State& state)
{
    LargeViewFixture& f = LargeFixture();
    f.view->FitScene();
    for (auto _ : state) {
        f.view->OnUpdate();
        benchmark::DoNotOptimize(f.view->PickVertex(QPoint(500, 400)));
    }
}
BENCHMARK(BM_PickIndexBuild500k)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Keep the opened files out of the user's own recent-file list.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Dir().filePath("settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Dir().filePath("settings"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
