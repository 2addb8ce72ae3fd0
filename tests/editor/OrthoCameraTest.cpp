// The orthographic camera's arithmetic, without a widget: where points land, and fitting.

#include <cmath>
#include <limits>

#include <QTest>

#include "editor/ortho/OrthoCamera.h"

using qm4edit::COrthoCamera;
using qm4edit::FitBox;
using qm4edit::Projection;

namespace {

QPoint Pixel(const COrthoCamera& camera, const scene::ObjectVertex& v, int width = 400, int height = 300)
{
    std::int64_t x = 0, y = 0;
    if (!camera.ToPixel(v, width, height, x, y))
        return {-99999, -99999};
    return {static_cast<int>(x), static_cast<int>(y)};
}

} // namespace

class OrthoCameraTest : public QObject {
    Q_OBJECT

private slots:
    void pointsLandByTruncationTowardsZero()
    {
        COrthoCamera c;
        const scene::ObjectVertex v{10, 7, 5};
        QCOMPARE(Pixel(c, v), QPoint(210, 145));
        c.projection = Projection::Front;
        QCOMPARE(Pixel(c, v), QPoint(210, 143));
        c.projection = Projection::Side;
        QCOMPARE(Pixel(c, v), QPoint(205, 143));
        // -0.7 and 0.7 share the origin's column and row; the row is negated after truncation.
        c.projection = Projection::Front;
        QCOMPARE(Pixel(c, {-0.7f, -0.7f, 0}), QPoint(200, 150));
        QCOMPARE(Pixel(c, {0.7f, 0.7f, 0}), QPoint(200, 150));
        QCOMPARE(Pixel(c, {1.9f, 1.9f, 0}), QPoint(201, 149));
        // The origin: half the size by integer division, plus the truncated pan.
        c.zoom = 12; // 1.5 pixels per unit
        c.panX = 1;
        c.panY = -1;
        QCOMPARE(Pixel(c, {0, 0, 0}, 401, 301), QPoint(201, 149));
        c.panX = -1;
        QCOMPARE(Pixel(c, {0, 0, 0}, 401, 301), QPoint(199, 149));
        // Beyond any screen, or not a number: nowhere.
        QCOMPARE(Pixel(c, {std::numeric_limits<float>::quiet_NaN(), 0, 0}), QPoint(-99999, -99999));
        QCOMPARE(Pixel(c, {3e38f, 0, 0}), QPoint(-99999, -99999));
        // The world point under a pixel stays under it through every zoom step about it.
        COrthoCamera z;
        for (int step = 0; step < 20; ++step) {
            const int px = 37 + step * 17, py = 290 - step * 13;
            double h, w;
            z.ToWorld(px, py, 400, 300, h, w);
            const bool in = step % 3 != 2;
            if (!(in ? z.ZoomInAt(px, py, 400, 300) : z.ZoomOutAt(px, py, 400, 300)))
                QVERIFY(z.zoom == COrthoCamera::MAX_ZOOM || z.zoom == COrthoCamera::MIN_ZOOM);
            const QPoint back = Pixel(z, {float(h), 0, float(w)});
            QVERIFY2(std::abs(back.x() - px) <= 1 && std::abs(back.y() - py) <= 1, qPrintable(QString::number(step)));
        }
        // Seven steps in reach the limit; the eighth leaves it.
        COrthoCamera steps;
        for (int i = 0; i < 7; ++i)
            QVERIFY(steps.ZoomIn());
        QVERIFY(!steps.ZoomIn());
        QCOMPARE(steps.zoom, 1024.0f);
        // Panning saturates rather than wrapping the picture round.
        steps.panX = std::numeric_limits<int>::max() - 5;
        steps.PanBy(100, -100);
        QCOMPARE(steps.panX, double(std::numeric_limits<int>::max()));
        QCOMPARE(steps.panY, -100.0);
    }

    void fitFramesAwkwardScenes()
    {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        const struct {
            std::vector<scene::ObjectVertex> points;
            int width, height;
            float zoom; // 0: nothing to fit
        } cases[] = {
            {{{5, 1, -3}}, 400, 300, 1024}, // a single point: the deepest zoom
            {{{5, 1, -3}}, 10, 10, 1024}, // a view smaller than its margins
            {{{-1000, 0, -10}, {1000, 0, 10}}, 400, 300, 1}, // 2000 units in 382 pixels
            {{{-3e6f, 0, 0}, {3e6f, 0, 5}}, 400, 300, 0.25f}, // too wide for any zoom
            {{{0, 0, 0}, {100, 0, 50}, {nan, 0, 0}, {inf, 0, 0}, {2e7f, 0, 0}}, 400, 300, 16}, // damage left out
            {{{-9.5e6f, 0, 9.5e6f}}, 400, 300, 1024}, // far out, yet within the limit
            {{{nan, 0, nan}, {1e20f, 0, 0}}, 400, 300, 0},
        };
        for (const auto& c : cases) {
            FitBox box;
            for (const auto& p : c.points)
                box.Add(Projection::Top, p);
            COrthoCamera camera;
            camera.zoom = 2;
            camera.panX = 7;
            if (c.zoom == 0) {
                QVERIFY(box.Empty());
                QVERIFY(!camera.Fit(box, c.width, c.height));
                QCOMPARE(camera.zoom, 2.0f);
                QCOMPARE(camera.panX, 7.0);
                continue;
            }
            QVERIFY(camera.Fit(box, c.width, c.height));
            QCOMPARE(camera.zoom, c.zoom);
            // The box's corners straddle the centre to the pixel.
            const QPoint lo = Pixel(camera, {float(box.hmin), 0, float(box.vmin)}, c.width, c.height);
            const QPoint hi = Pixel(camera, {float(box.hmax), 0, float(box.vmax)}, c.width, c.height);
            QVERIFY2(std::abs((lo.x() + hi.x()) / 2 - c.width / 2) <= 1 &&
                         std::abs((lo.y() + hi.y()) / 2 - c.height / 2) <= 1,
                     qPrintable(QString("(%1, %2) (%3, %4)").arg(lo.x()).arg(lo.y()).arg(hi.x()).arg(hi.y())));
            if (c.zoom > COrthoCamera::MIN_ZOOM && c.width > 2 * COrthoCamera::FIT_MARGIN + 2)
                QVERIFY(lo.x() >= 8 && hi.x() < c.width - 8 && hi.y() >= 8 && lo.y() < c.height - 8);
        }
    }
};

int RunCameraTests(int argc, char** argv)
{
    OrthoCameraTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "OrthoCameraTest.moc"
