// The viewport's picture, read back pixel by pixel, and its zoom and pan rules.

#include <QtTest>

#include <cmath>
#include <tuple>

#include "EditorFixtures.h"
#include "editor/ortho/QM4EditView.h"
#include "gui/Settings.h"
#include "scene/QM4EditDoc.h"

using fixtures::ColorrefAt;
using qm4edit::Projection;
using qm4edit::TreeItemKind;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kRed = 0x0000FF;

void Load(scene::CQM4EditDoc& doc, const scenegen::GenScene& s)
{
    const auto bytes = fixtures::Bytes(s);
    QVERIFY(doc.Serialize(bytes).Ok());
}

QImage Grab(qm4edit::CQM4EditView& view)
{
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Count pixels of one colour.
int CountColor(const QImage& img, std::uint32_t colorref)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += ColorrefAt(img, x, y) == colorref;
    return n;
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT

private:
    // A view with the default colours whatever an earlier test left in the settings.
    std::unique_ptr<qm4edit::CQM4EditView> MakeView(const scene::CQM4EditDoc& doc, int w = 400, int h = 300)
    {
        QSettings(gui::kCompanyKey, "QM4Edit").remove("Settings");
        auto view = std::make_unique<qm4edit::CQM4EditView>(doc);
        view->resize(w, h);
        return view;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    }

    void projectsTheExamplePointInAllThreeViews()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::Points({{10, 7, 5}}));
        auto view = MakeView(doc);
        const struct {
            Projection projection;
            int x, y;
        } cases[] = {{Projection::Top, 210, 145}, {Projection::Front, 210, 143}, {Projection::Side, 205, 143}};
        for (const auto& c : cases) {
            view->SetProjection(c.projection);
            const QImage img = Grab(*view);
            QCOMPARE(img.size(), QSize(400, 300));
            QCOMPARE(ColorrefAt(img, c.x, c.y), kBlack);
            QCOMPARE(CountColor(img, kBlack), 1);
            QCOMPARE(CountColor(img, kGrey), 4);
        }
    }

    void defaultPatternIsBlackCentreGreyDiagonalsAndUntouchedEdges()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::Points({{0, 0, 0}}));
        auto view = MakeView(doc);
        const QImage img = Grab(*view);
        QCOMPARE(ColorrefAt(img, 200, 150), kBlack);
        for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}})
            QCOMPARE(ColorrefAt(img, 200 + dx, 150 + dy), kGrey);
        for (auto [dx, dy] : {std::pair{0, -1}, {0, 1}, {-1, 0}, {1, 0}})
            QCOMPARE(ColorrefAt(img, 200 + dx, 150 + dy), kWhite);
        QCOMPARE(CountColor(img, kWhite), 400 * 300 - 5);
    }

    void truncatesTowardsZeroSoNegativeAndPositiveFractionsShareAColumn()
    {
        scene::CQM4EditDoc doc;
        // -0.7 and 0.7 both truncate to 0; 1.9 to 1 and -1.9 to -1.
        Load(doc, fixtures::Points({{-0.7f, 0, 50}, {0.7f, 0, -50}, {1.9f, 0, 100}, {-1.9f, 0, -100}}));
        auto view = MakeView(doc);
        const QImage img = Grab(*view);
        QCOMPARE(ColorrefAt(img, 200, 100), kBlack); // z = 50 is drawn 50 above the centre
        QCOMPARE(ColorrefAt(img, 200, 200), kBlack);
        QCOMPARE(ColorrefAt(img, 201, 50), kBlack);
        QCOMPARE(ColorrefAt(img, 199, 250), kBlack);
    }

    void whiteSwitchesAColourOffAndOtherColoursAreDrawn()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::Points({{0, 0, 0}}));
        auto view = MakeView(doc);
        view->SetMainColor(kWhite);
        view->SetExtraColor2(0x00FF00); // green edges
        QImage img = Grab(*view);
        QCOMPARE(ColorrefAt(img, 200, 150), kWhite);
        QCOMPARE(CountColor(img, kBlack), 0);
        QCOMPARE(CountColor(img, 0x00FF00), 4);
        QCOMPARE(ColorrefAt(img, 201, 150), 0x00FF00u);
        QCOMPARE(ColorrefAt(img, 200, 149), 0x00FF00u);

        // A later vertex covers an earlier one where their patterns overlap.
        scene::CQM4EditDoc two;
        Load(two, fixtures::Points({{0, 0, 0}, {1, 0, 1}}));
        auto v2 = MakeView(two);
        img = Grab(*v2);
        QCOMPARE(ColorrefAt(img, 201, 149), kBlack);
        QCOMPARE(ColorrefAt(img, 200, 150), kGrey);
    }

    void unloadedDocumentShowsOnlyTheBackground()
    {
        scene::CQM4EditDoc doc;
        auto view = MakeView(doc);
        QCOMPARE(CountColor(Grab(*view), kWhite), 400 * 300);
    }

    void outlinesTheSelectionBeneathTheVertices()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::TwoObjects());
        auto view = MakeView(doc);
        fixtures::FakeSelection sel;
        view->SetSelection(&sel);
        // Vertices 0 (0,0,0), 1 (40,0,0), 2 (0,0,30) land at (200,150), (240,150), (200,120).

        sel.kind = TreeItemKind::Polygon;
        sel.polygons = {{0, 1, 2}};
        QImage img = Grab(*view);
        QCOMPARE(ColorrefAt(img, 220, 150), kRed); // edge 0-1
        QCOMPARE(ColorrefAt(img, 200, 135), kRed); // edge 2-0
        QCOMPARE(ColorrefAt(img, 220, 135), kRed); // the diagonal 1-2 passes through its middle
        QCOMPARE(ColorrefAt(img, 200, 150), kBlack); // vertex pixels lie on top
        QCOMPARE(ColorrefAt(img, 241, 151), kGrey);
        QCOMPARE(ColorrefAt(img, 240, 135), kWhite); // not on the triangle

        // An object outlines every one of its polygons.
        sel.kind = TreeItemKind::Object;
        sel.polygons = {{0, 1, 2}, {1, 3, 2}};
        img = Grab(*view);
        QCOMPARE(ColorrefAt(img, 240, 135), kRed); // edge 1-3 of the second polygon
        QCOMPARE(ColorrefAt(img, 220, 120), kRed); // edge 3-2

        // An object without polygons and an empty selection outline nothing.
        for (TreeItemKind kind : {TreeItemKind::Object, TreeItemKind::None}) {
            sel.kind = kind;
            sel.polygons.clear();
            QCOMPARE(CountColor(Grab(*view), kRed), 0);
        }
    }

    void selectedVertexGetsAFilledCircleOfRadiusThree()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::TwoObjects());
        auto view = MakeView(doc);
        view->SetHiliteColor(0xFF0000); // blue
        fixtures::FakeSelection sel;
        sel.kind = TreeItemKind::Vertex;
        sel.data = 1; // (40, 0, 0) -> (240, 150)
        view->SetSelection(&sel);
        const QImage img = Grab(*view);
        for (auto [dx, dy] : {std::pair{3, 0}, {-3, 0}, {0, 3}, {0, -3}, {2, 2}, {-2, -2}, {1, 3}, {-3, 1}})
            QCOMPARE(ColorrefAt(img, 240 + dx, 150 + dy), 0xFF0000u);
        QCOMPARE(ColorrefAt(img, 240, 150), kBlack); // the vertex on top
        QCOMPARE(ColorrefAt(img, 240 + 2, 150), kWhite); // filled inside
        QCOMPARE(ColorrefAt(img, 240 + 4, 150), kWhite); // nothing outside
        QCOMPARE(CountColor(img, 0xFF0000), 16);
    }

    void indicesOutsideTheVertexListDrawNothing()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::TwoObjects());
        auto view = MakeView(doc);
        fixtures::FakeSelection sel;
        view->SetSelection(&sel);
        sel.kind = TreeItemKind::Object;
        sel.polygons = {{0, 1, 60000}, {0, -1, 2}, {0, 1, 2}};
        QImage img = Grab(*view);
        QCOMPARE(ColorrefAt(img, 220, 150), kRed); // the good polygon still shows
        QCOMPARE(ColorrefAt(img, 200, 135), kRed);
        sel.kind = TreeItemKind::Vertex;
        sel.data = 6; // one past the end
        QCOMPARE(CountColor(Grab(*view), kRed), 0);
    }

    void farAwayAndNonNumericPointsAreSkipped()
    {
        scene::CQM4EditDoc doc;
        const float inf = std::numeric_limits<float>::infinity();
        const float nan = std::numeric_limits<float>::quiet_NaN();
        Load(doc, fixtures::Points({{1e30f, 0, 0}, {nan, nan, nan}, {-inf, 0, inf}, {0, 0, 0}, {-3e9f, 0, 2e9f}}));
        auto view = MakeView(doc);
        fixtures::FakeSelection sel;
        sel.kind = TreeItemKind::Object;
        // A polygon with one far corner draws the part of its edges that is on screen.
        sel.polygons = {{0, 3, 4}, {1, 2, 3}, {3, 4, 3}};
        view->SetSelection(&sel);
        for (int i = 0; i < 8; ++i)
            view->ZoomIn();
        const QImage img = Grab(*view);
        QCOMPARE(ColorrefAt(img, 200, 150), kBlack);
        QCOMPARE(CountColor(img, kBlack), 1);
        QVERIFY(CountColor(img, kRed) > 100);
        QCOMPARE(ColorrefAt(img, 199, 149), kGrey);
    }

    void bufferDrawingMatchesSettingEachPixel()
    {
        // Random points, many near or past the edges where the pattern is cut, in every
        // projection and at several zooms and pans, against a plain pixel-by-pixel drawing.
        scenegen::Rng rng(7);
        std::vector<std::array<float, 3>> pts;
        for (int i = 0; i < 3000; ++i)
            pts.push_back({rng.Float(-70, 70), rng.Float(-50, 50), rng.Float(-55, 55)});
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::Points(pts));
        const int w = 97, h = 61; // odd sizes: the centre is found by integer halving
        qm4edit::ViewState st;
        st.extraColor2 = 0x00FF00;
        const struct {
            Projection projection;
            float zoom;
            int panX, panY;
        } cases[] = {{Projection::Top, 8, 0, 0},
                     {Projection::Front, 16, -7, 3},
                     {Projection::Side, 4, 11, -9},
                     {Projection::Top, 2, 1, 1},
                     {Projection::Front, 0.25f, 0, 0}};
        for (const auto& c : cases) {
            st.projection = static_cast<qm4edit::Projection>(c.projection);
            st.zoom = c.zoom;
            st.panX = c.panX;
            st.panY = c.panY;
            QImage fast(w, h, QImage::Format_RGB32);
            qm4edit::RenderScene(fast, st, doc.ObjectVertices().Records(), true, nullptr);

            QImage slow(w, h, QImage::Format_RGB32);
            slow.fill(Qt::white);
            auto set = [&](std::int64_t x, std::int64_t y, std::uint32_t c) {
                if (x >= 0 && y >= 0 && x < w && y < h)
                    slow.setPixel(int(x), int(y), qm4edit::RgbFromColorref(c));
            };
            for (const auto& v : doc.ObjectVertices().Records()) {
                std::int64_t x, y;
                QVERIFY(qm4edit::ProjectToPixel(st, w, h, v, x, y));
                set(x, y, st.mainColor);
                for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}})
                    set(x + dx, y + dy, st.extraColor1);
                for (auto [dx, dy] : {std::pair{0, -1}, {0, 1}, {-1, 0}, {1, 0}})
                    set(x + dx, y + dy, st.extraColor2);
            }
            QCOMPARE(fast, slow);
        }
    }

    void wireframeMatchesDrawingEachLineAndPixel()
    {
        // Random triangles over random points, some corners far away, off screen, not numbers
        // or past the vertex list, against drawing each edge and then each pixel one by one.
        scenegen::Rng rng(11);
        scenegen::GenScene s;
        for (int i = 0; i < 400; ++i)
            s.vertices.push_back({rng.Float(-90, 90), rng.Float(-60, 60), rng.Float(-70, 70)});
        s.vertices[5] = {std::numeric_limits<float>::quiet_NaN(), 0, 0};
        s.vertices[6] = {4e9f, -3e9f, 2e9f};
        for (int o = 0; o < 3; ++o) {
            scenegen::GenObject obj;
            for (int p = 0; p < 300; ++p) {
                auto pick = [&] { return static_cast<std::uint16_t>(rng.Float(0, 402)); };
                obj.polygons.push_back(fixtures::Tri(pick(), pick(), pick()));
            }
            s.objects.push_back(obj);
        }
        scene::CQM4EditDoc doc;
        Load(doc, s);
        const auto vertices = doc.ObjectVertices().Records();
        const int w = 101, h = 67;
        qm4edit::ViewState st;
        st.wireframe = true;
        st.wireColor = 0x3060C0;
        const struct {
            int projection;
            float zoom;
            double panX, panY;
        } cases[] = {{0, 8, 0, 0}, {1, 16, -7.5, 3}, {2, 2, 11, -9}, {0, 64, 0.25, 1}, {1, 0.25f, 0, 0}};
        for (const auto& c : cases) {
            st.projection = static_cast<qm4edit::Projection>(c.projection);
            st.zoom = c.zoom;
            st.panX = c.panX;
            st.panY = c.panY;
            QImage fast(w, h, QImage::Format_RGB32);
            qm4edit::RenderScene(fast, st, vertices, true, nullptr, doc.ObjectInfo().Objects());

            QImage slow(w, h, QImage::Format_RGB32);
            slow.fill(Qt::white);
            for (const auto& object : doc.ObjectInfo().Objects())
                for (const auto& poly : object.polygons) {
                    std::int64_t x[3], y[3];
                    bool ok = true;
                    for (int k = 0; k < 3; ++k)
                        ok = ok && poly.vertex[k] < vertices.size() &&
                            qm4edit::ProjectToPixel(st, w, h, vertices[poly.vertex[k]], x[k], y[k]);
                    if (!ok)
                        continue;
                    for (int k = 0; k < 3; ++k)
                        qm4edit::DrawViewLine(slow, x[k], y[k], x[(k + 1) % 3], y[(k + 1) % 3],
                                              qm4edit::RgbFromColorref(st.wireColor));
                }
            for (const auto& v : vertices) {
                std::int64_t x, y;
                if (!qm4edit::ProjectToPixel(st, w, h, v, x, y))
                    continue;
                for (auto [dx, dy, colour] : {std::tuple{0, 0, st.mainColor},
                                              {-1, -1, st.extraColor1},
                                              {1, -1, st.extraColor1},
                                              {-1, 1, st.extraColor1},
                                              {1, 1, st.extraColor1}})
                    if (x + dx >= 0 && y + dy >= 0 && x + dx < w && y + dy < h)
                        slow.setPixel(int(x + dx), int(y + dy), qm4edit::RgbFromColorref(colour));
            }
            QCOMPARE(fast, slow);
            QVERIFY(CountColor(fast, st.wireColor) > 50);
        }
        // A drag's frames drawn over the backdrop of what does not move are the full picture,
        // also after the view changes under the drag.
        // Every outline on a dragged vertex and a dozen others, so that one left out shows.
        auto onDragged = [](const scene::PolygonRecord& p) {
            for (int k = 0; k < 3; ++k)
                if (p.vertex[k] == 3 || p.vertex[k] == 17)
                    return true;
            return false;
        };
        std::vector<scene::ObjectRecord> few(2);
        for (const auto& object : doc.ObjectInfo().Objects())
            for (const auto& p : object.polygons)
                if (onDragged(p) || few[1].polygons.size() < 12)
                    few[onDragged(p) ? 0 : 1].polygons.push_back(p);
        qm4edit::DragBackdrop backdrop;
        std::vector<scene::ObjectVertex> moving(vertices.begin(), vertices.end());
        const int dragged[] = {3, 17, 401};
        backdrop.Start(dragged);
        st.grid = true;
        st.projection = qm4edit::Projection::Top;
        st.zoom = 8;
        st.panX = st.panY = 0;
        for (int frame = 0; frame < 4; ++frame) {
            moving[3].x += 3.5f;
            moving[17].z -= 2.0f;
            if (frame == 2)
                st.zoom *= 2;
            QImage full(w, h, QImage::Format_RGB32), framed(w, h, QImage::Format_RGB32);
            qm4edit::RenderScene(full, st, moving, true, nullptr, few);
            qm4edit::RenderScene(framed, st, moving, true, nullptr, few, &backdrop);
            QCOMPARE(framed, full);
        }
        st.grid = false;
        // White draws no wire at all.
        st.wireColor = kWhite;
        QImage none(w, h, QImage::Format_RGB32);
        qm4edit::RenderScene(none, st, vertices, true, nullptr, doc.ObjectInfo().Objects());
        st.wireframe = false;
        QImage off(w, h, QImage::Format_RGB32);
        qm4edit::RenderScene(off, st, vertices, true, nullptr, doc.ObjectInfo().Objects());
        QCOMPARE(none, off);
    }

    void wheelZoomKeepsThePointUnderThePointer()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::Points({{0, 0, 0}}));
        auto view = MakeView(doc);
        scenegen::Rng rng(3);
        auto wheel = [&](QPoint at, int delta) {
            QWheelEvent e(QPointF(at), QPointF(view->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view.get(), &e);
        };
        for (int trial = 0; trial < 200; ++trial) {
            const QPoint at(int(rng.Float(0, 399)), int(rng.Float(0, 299)));
            // The world point under the pointer, as a vertex would be placed there.
            const qm4edit::ViewOrigin o = qm4edit::MakeViewOrigin(view->State(), 400, 300);
            const float h = float((at.x() - o.x) / o.s), v = float(-(at.y() - o.y) / o.s);
            const scene::ObjectVertex p{h, 0, v};
            wheel(at, trial % 3 == 0 ? -120 : 120);
            std::int64_t x, y;
            QVERIFY(qm4edit::ProjectToPixel(view->State(), 400, 300, p, x, y));
            QVERIFY2(std::abs(x - at.x()) <= 1 && std::abs(y - at.y()) <= 1,
                     qPrintable(QString("zoom %1: (%2, %3) -> (%4, %5)")
                                    .arg(view->GetZoom())
                                    .arg(at.x())
                                    .arg(at.y())
                                    .arg(x)
                                    .arg(y)));
        }
        // One step per notch, half notches add up, and a limit repaints nothing.
        view->ResetView();
        wheel({10, 10}, 240);
        QCOMPARE(view->GetZoom(), 32.0f);
        wheel({10, 10}, -60);
        QCOMPARE(view->GetZoom(), 32.0f);
        wheel({10, 10}, -60);
        QCOMPARE(view->GetZoom(), 16.0f);
        wheel({10, 10}, 120 * 8);
        QCOMPARE(view->GetZoom(), 1024.0f);
        const int before = view->RedrawCount();
        const double panX = view->State().panX;
        wheel({300, 10}, 120);
        QCOMPARE(view->RedrawCount(), before);
        QCOMPARE(view->State().panX, panX);
    }

    void fitFramesEveryFiniteVertexAtTheLargestZoom()
    {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const struct {
            std::vector<std::array<float, 3>> points;
            float zoom; // expected; 0: the view is reset
        } cases[] = {
            {{{5, 1, -3}}, 1024}, // one vertex: the deepest zoom
            {{{-1000, 0, -10}, {1000, 0, 10}}, 1}, // 2000 wide in 382 pixels
            {{{-3e6f, 0, 0}, {3e6f, 0, 5}, {nan, 0, 0}}, 0.25f}, // too wide for any zoom
            {{{0, 0, 0}, {100, 0, 50}, {nan, nan, nan}, {1e30f, 0, 0}, {2e7f, 0, 0}}, 16}, // damage left out
            {{{nan, 0, nan}, {1e20f, 0, 0}}, 0}, // nothing finite: reset
        };
        for (const auto& c : cases) {
            scene::CQM4EditDoc doc;
            Load(doc, fixtures::Points(c.points));
            auto view = MakeView(doc);
            view->ZoomIn();
            view->FitScene();
            if (c.zoom == 0) {
                QCOMPARE(view->GetZoom(), 8.0f);
                QCOMPARE(view->State().panX, 0.0);
                continue;
            }
            QCOMPARE(view->GetZoom(), c.zoom);
            std::int64_t minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
            for (const auto& p : c.points) {
                const scene::ObjectVertex v{p[0], p[1], p[2]};
                std::int64_t x, y;
                if (!std::isfinite(p[0]) || std::fabs(p[0]) > 1e7f || !std::isfinite(p[2]))
                    continue;
                QVERIFY(qm4edit::ProjectToPixel(view->State(), 400, 300, v, x, y));
                minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
            if (c.zoom > 0.25f) {
                QVERIFY(minX >= 8 && maxX < 392 && minY >= 8 && maxY < 292);
                QVERIFY(std::abs((minX + maxX) / 2 - 200) <= 1 && std::abs((minY + maxY) / 2 - 150) <= 1);
            }
        }
        // An empty document resets the view too.
        scene::CQM4EditDoc empty;
        auto view = MakeView(empty);
        view->ZoomIn();
        view->FitScene();
        QCOMPARE(view->GetZoom(), 8.0f);
    }

    void clickPicksTheNearestThenLowestVertexAndMiddleDragPansLive()
    {
        scene::CQM4EditDoc doc;
        // At the default zoom vertices 1 and 2 share pixel (210, 150); 3 is a pixel nearer to
        // (213, 150) than they are; 4 is off in a corner.
        Load(doc,
             fixtures::Points({{-50, 0, 0}, {10.2f, 0, 0}, {10.7f, 0, 0}, {12, 0, 0}, {150, 0, 100}, {10.5f, 0, 0}}));
        auto view = MakeView(doc);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QCOMPARE(view->PickVertex({210, 150}), 1);
        QCOMPARE(view->PickVertex({213, 152}), 3);
        QCOMPARE(view->PickVertex({208, 148}), 1);
        QCOMPARE(view->PickVertex({204, 150}), -1); // beyond four pixels
        QCOMPARE(view->PickVertex({350, 50}), 4);
        view->SetProjection(qm4edit::Projection::Side); // side view: every vertex but 4 (at (300, 150)) on the centre
        QCOMPARE(view->PickVertex({200, 150}), 0);

        QSignalSpy picked(view.get(), &qm4edit::CQM4EditView::VertexPicked);
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, {302, 151});
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked[0][0].toInt(), 4);
        QCOMPARE(view->GetPanX(), 0); // a click never pans
        QTest::mousePress(view.get(), Qt::LeftButton, {}, {100, 100});
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, {102, 102});
        QCOMPARE(picked.size(), 1); // empty space: nothing
        QCOMPARE(view->GetPanX(), 0);

        // The middle button drags the picture along with the pointer, at any zoom.
        view->SetProjection(qm4edit::Projection::Top);
        view->ZoomIn();
        QTest::mousePress(view.get(), Qt::MiddleButton, {}, {100, 100});
        QMouseEvent move(QEvent::MouseMove, QPointF(137, 91), QPointF(view->mapToGlobal(QPoint(137, 91))), Qt::NoButton,
                         Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &move);
        QCOMPARE(ColorrefAt(Grab(*view), 200 - 100 + 37, 150 - 9), kBlack); // vertex 0 at x -50 -> -100 px
        QTest::mouseRelease(view.get(), Qt::MiddleButton, {}, {137, 91});
        QCOMPARE(view->PointerText(), QString("X -50, Z 25"));
        QCOMPARE(view->ZoomText(), QString("2 px/unit"));
    }

    void zoomStopsAtItsLimitsWithoutRepainting()
    {
        scene::CQM4EditDoc doc;
        auto view = MakeView(doc);
        for (int i = 0; i < 7; ++i)
            view->ZoomIn();
        QCOMPARE(view->GetZoom(), 1024.0f);
        int before = view->RedrawCount();
        view->ZoomIn();
        QCOMPARE(view->GetZoom(), 1024.0f);
        QCOMPARE(view->RedrawCount(), before);

        view->ResetView();
        for (int i = 0; i < 5; ++i)
            view->ZoomOut();
        QCOMPARE(view->GetZoom(), 0.25f);
        before = view->RedrawCount();
        view->ZoomOut();
        QCOMPARE(view->GetZoom(), 0.25f);
        QCOMPARE(view->RedrawCount(), before);
    }

    void zoomScalesAboutTheCentreAndResetRestoresEverythingInOneRepaint()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::Points({{10, 7, 5}}));
        auto view = MakeView(doc);
        view->ZoomIn(); // factor 2
        QCOMPARE(ColorrefAt(Grab(*view), 220, 140), kBlack);
        view->ZoomOut();
        view->ZoomOut(); // factor 1/2: 5 and 2.5 -> 2
        QCOMPARE(ColorrefAt(Grab(*view), 205, 148), kBlack);

        view->SetProjection(Projection::Side);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(30, 40));
        const int before = view->RedrawCount();
        view->ResetView();
        QCOMPARE(view->RedrawCount(), before + 1);
        QCOMPARE(view->GetProjection(), Projection::Top);
        QCOMPARE(view->GetZoom(), 8.0f);
        QCOMPARE(view->GetPanX(), 0);
        QCOMPARE(view->GetPanY(), 0);
    }

    void panAppliesTheDragOnReleaseScaledByTheZoom()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::Points({{0, 0, 0}}));
        auto view = MakeView(doc);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));

        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(view.get(), QPoint(150, 100));
        QCOMPARE(ColorrefAt(Grab(*view), 200, 150), kBlack); // nothing moves while dragging
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(110, 105));
        QCOMPARE(ColorrefAt(Grab(*view), 210, 155), kBlack); // factor 1 follows the pointer

        view->ResetView();
        view->ZoomIn(); // factor 2
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(110, 100));
        QCOMPARE(view->GetPanX(), 10);
        QCOMPARE(ColorrefAt(Grab(*view), 220, 150), kBlack);
    }

    void releaseOutsideLeavesTheDragPending()
    {
        scene::CQM4EditDoc doc;
        Load(doc, fixtures::Points({{0, 0, 0}}));
        auto view = MakeView(doc);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));

        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(-20, 500));
        QCOMPARE(view->GetPanX(), 0);
        QCOMPARE(view->GetPanY(), 0);
        QVERIFY(view->IsDragging());

        // The next release inside completes it, measured from the last press.
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(50, 60));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(45, 80));
        QCOMPARE(view->GetPanX(), -5);
        QCOMPARE(view->GetPanY(), 20);
        QVERIFY(!view->IsDragging());

        // A release without a press in the view moves nothing.
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(300, 200));
        QCOMPARE(view->GetPanX(), -5);
    }

    void coloursComeFromTheSettingsAndGoBackOnDestruction()
    {
        scene::CQM4EditDoc doc;
        QSettings(gui::kCompanyKey, "QM4Edit").remove("Settings");
        {
            qm4edit::CQM4EditView view(doc);
            QCOMPARE(view.GetMainColor(), 0u);
            QCOMPARE(view.GetExtraColor1(), 0x808080u);
            QCOMPARE(view.GetExtraColor2(), 0xFFFFFFu);
            QCOMPARE(view.GetHiliteColor(), 0x0000FFu);
            view.SetExtraColor1(0x123456);
        }
        QSettings s(gui::kCompanyKey, "QM4Edit");
        QCOMPARE(s.value("Settings/MainColor").toInt(), 0);
        QCOMPARE(s.value("Settings/ExtraColor1").toInt(), 0x123456);
        QCOMPARE(s.value("Settings/ExtraColor2").toInt(), 0xFFFFFF);
        QCOMPARE(s.value("Settings/HiliteColor").toInt(), 0x0000FF);
        qm4edit::CQM4EditView again(doc);
        QCOMPARE(again.GetExtraColor1(), 0x123456u);
    }

private:
    QTemporaryDir m_settingsDir;
};

int RunViewTests(int argc, char** argv)
{
    ViewTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "ViewTest.moc"
