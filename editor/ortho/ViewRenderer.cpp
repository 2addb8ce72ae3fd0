#include "editor/ortho/ViewRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "editor/ViewSelection.h"

namespace qm4edit {

namespace {

using Origin = ViewOrigin;

class Canvas {
public:
    explicit Canvas(QImage& image)
        : m_bits(reinterpret_cast<QRgb*>(image.bits())), m_stride(image.bytesPerLine() / 4), m_w(image.width()),
          m_h(image.height())
    {}

    int Width() const { return m_w; }
    int Height() const { return m_h; }

    void Set(std::int64_t x, std::int64_t y, QRgb c)
    {
        if (x >= 0 && y >= 0 && x < m_w && y < m_h)
            m_bits[y * m_stride + x] = c;
    }
    QRgb* Row(std::int64_t y) { return m_bits + y * m_stride; }
    std::int64_t Stride() const { return m_stride; }

    // A one-pixel line from (x0, y0) to (x1, y1), both ends included. The part outside the
    // image is cut away first, so far-off ends cost nothing.
    void Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, QRgb c)
    {
        if (!Clip(x0, y0, x1, y1))
            return;
        std::int64_t dx = std::llabs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        std::int64_t dy = -std::llabs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        std::int64_t err = dx + dy;
        for (;;) {
            Set(x0, y0, c);
            if (x0 == x1 && y0 == y1)
                break;
            const std::int64_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }

private:
    // Liang-Barsky against the image; ends that were inside are kept exactly.
    bool Clip(std::int64_t& x0, std::int64_t& y0, std::int64_t& x1, std::int64_t& y1) const
    {
        const bool inside0 = x0 >= 0 && y0 >= 0 && x0 < m_w && y0 < m_h;
        const bool inside1 = x1 >= 0 && y1 >= 0 && x1 < m_w && y1 < m_h;
        if (inside0 && inside1)
            return true;
        const double fx0 = static_cast<double>(x0), fy0 = static_cast<double>(y0);
        const double dx = static_cast<double>(x1 - x0), dy = static_cast<double>(y1 - y0);
        double t0 = 0.0, t1 = 1.0;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {fx0, (m_w - 1) - fx0, fy0, (m_h - 1) - fy0};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0.0) {
                if (q[i] < 0.0)
                    return false;
                continue;
            }
            const double t = q[i] / p[i];
            if (p[i] < 0.0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            if (t0 > t1)
                return false;
        }
        const std::int64_t nx0 = inside0 ? x0 : std::llround(fx0 + t0 * dx);
        const std::int64_t ny0 = inside0 ? y0 : std::llround(fy0 + t0 * dy);
        const std::int64_t nx1 = inside1 ? x1 : std::llround(fx0 + t1 * dx);
        const std::int64_t ny1 = inside1 ? y1 : std::llround(fy0 + t1 * dy);
        x0 = nx0;
        y0 = ny0;
        x1 = nx1;
        y1 = ny1;
        return true;
    }

    QRgb* m_bits;
    std::int64_t m_stride;
    int m_w;
    int m_h;
};

bool VertexAt(const Origin& o, Projection projection, std::span<const scene::ObjectVertex> vertices, int index,
              std::int64_t& px, std::int64_t& py)
{
    // Indices come from the file; one that does not name a vertex draws nothing.
    if (index < 0 || static_cast<std::size_t>(index) >= vertices.size())
        return false;
    float h, w;
    COrthoCamera::Axes(projection, vertices[static_cast<std::size_t>(index)], h, w);
    return COrthoCamera::Place(o, h, w, px, py);
}

// A radius-3 circle in the outline colour, its inside filled with the background, as an
// ellipse drawn with the paint context's fresh white brush would be.
void Circle(Canvas& canvas, std::int64_t cx, std::int64_t cy, QRgb outline)
{
    static constexpr int kOutline[][2] = {{0, 3}, {1, 3}, {2, 2}, {3, 1}, {3, 0}};
    const QRgb fill = RgbFromColorref(BACKGROUND_COLOR);
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (dx * dx + dy * dy < 8)
                canvas.Set(cx + dx, cy + dy, fill);
    for (const auto& p : kOutline) {
        for (int sx : {-1, 1})
            for (int sy : {-1, 1}) {
                canvas.Set(cx + sx * p[0], cy + sy * p[1], outline);
                canvas.Set(cx + sx * p[1], cy + sy * p[0], outline);
            }
    }
}

void DrawSelection(Canvas& canvas, const Origin& o, const ViewState& state,
                   std::span<const scene::ObjectVertex> vertices, const ISceneSelection& selection)
{
    const QRgb hilite = RgbFromColorref(state.hiliteColor);
    const TreeItemKind kind = selection.GetSelectedKind();
    if (kind == TreeItemKind::Vertex) {
        std::int64_t px, py;
        if (VertexAt(o, state.projection, vertices, selection.GetSelectedData(), px, py))
            Circle(canvas, px, py, hilite);
        return;
    }
    if (kind != TreeItemKind::Object && kind != TreeItemKind::Polygon)
        return;
    const int n = selection.GetSelectedPolygonCount();
    for (int k = 0; k < n; ++k) {
        int a, b, c;
        selection.GetSelectedPolygonVertices(k, a, b, c);
        std::int64_t ax, ay, bx, by, cx, cy;
        if (!VertexAt(o, state.projection, vertices, a, ax, ay) ||
            !VertexAt(o, state.projection, vertices, b, bx, by) || !VertexAt(o, state.projection, vertices, c, cx, cy))
            continue;
        canvas.Line(ax, ay, bx, by, hilite);
        canvas.Line(bx, by, cx, cy, hilite);
        canvas.Line(cx, cy, ax, ay, hilite);
    }
}

template <Projection P>
void DrawVertices(Canvas& canvas, const Origin& o, const ViewState& state,
                  std::span<const scene::ObjectVertex> vertices)
{
    const bool drawMain = state.mainColor != COLOR_NOT_DRAWN;
    const bool drawExtra1 = state.extraColor1 != COLOR_NOT_DRAWN;
    const bool drawExtra2 = state.extraColor2 != COLOR_NOT_DRAWN;
    if (!drawMain && !drawExtra1 && !drawExtra2)
        return;
    const QRgb main = RgbFromColorref(state.mainColor);
    const QRgb extra1 = RgbFromColorref(state.extraColor1);
    const QRgb extra2 = RgbFromColorref(state.extraColor2);
    const std::int64_t w = canvas.Width(), h = canvas.Height(), stride = canvas.Stride();

    for (const scene::ObjectVertex& v : vertices) {
        float hv, vv;
        COrthoCamera::Axes<P>(v, hv, vv);
        std::int64_t px, py;
        if (!COrthoCamera::Place(o, hv, vv, px, py))
            continue;
        if (px >= 1 && py >= 1 && px < w - 1 && py < h - 1) {
            // The whole pattern is inside: no per-pixel checks.
            QRgb* p = canvas.Row(py) + px;
            if (drawMain)
                p[0] = main;
            if (drawExtra1) {
                p[-stride - 1] = extra1;
                p[-stride + 1] = extra1;
                p[stride - 1] = extra1;
                p[stride + 1] = extra1;
            }
            if (drawExtra2) {
                p[-stride] = extra2;
                p[stride] = extra2;
                p[-1] = extra2;
                p[1] = extra2;
            }
            continue;
        }
        if (px < -1 || py < -1 || px > w || py > h)
            continue;
        if (drawMain)
            canvas.Set(px, py, main);
        if (drawExtra1) {
            canvas.Set(px - 1, py - 1, extra1);
            canvas.Set(px + 1, py - 1, extra1);
            canvas.Set(px - 1, py + 1, extra1);
            canvas.Set(px + 1, py + 1, extra1);
        }
        if (drawExtra2) {
            canvas.Set(px, py - 1, extra2);
            canvas.Set(px, py + 1, extra2);
            canvas.Set(px - 1, py, extra2);
            canvas.Set(px + 1, py, extra2);
        }
    }
}

// Every polygon's three edges in one colour. All of them share the colour, so the order in
// which they are drawn does not matter; what matters is that each edge gets exactly the
// pixels Canvas::Line would give it, which the fast paths below keep.
// keep(polygon) says which polygons to outline.
template <class Keep>
void DrawWireframe(Canvas& canvas, const Origin& o, const ViewState& state,
                   std::span<const scene::ObjectVertex> vertices, std::span<const scene::ObjectRecord> objects,
                   Keep keep)
{
    if (state.wireColor == COLOR_NOT_DRAWN || objects.empty())
        return;
    const QRgb color = RgbFromColorref(state.wireColor);
    // Polygons name vertices by 16-bit index: place those once, not three times per polygon.
    const std::size_t count = std::min<std::size_t>(vertices.size(), 65536);
    constexpr std::int64_t kUnplaced = std::numeric_limits<std::int64_t>::min();
    static thread_local std::vector<std::int64_t> xs, ys;
    xs.resize(count);
    ys.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        float h, w;
        COrthoCamera::Axes(state.projection, vertices[i], h, w);
        if (!COrthoCamera::Place(o, h, w, xs[i], ys[i]))
            xs[i] = kUnplaced;
    }
    const std::int64_t width = canvas.Width(), height = canvas.Height(), stride = canvas.Stride();
    QRgb* const bits = canvas.Row(0);

    // Bresenham between two pixels that are both inside the image, with no checks per pixel.
    auto inside = [&](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
        const std::int64_t adx = x1 > x0 ? x1 - x0 : x0 - x1;
        const std::int64_t ady = y1 > y0 ? y1 - y0 : y0 - y1;
        if (adx <= 1 && ady <= 1) {
            // One step or none: the line is its two ends.
            bits[y0 * stride + x0] = color;
            bits[y1 * stride + x1] = color;
            return;
        }
        const std::int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? stride : -stride;
        const std::int64_t dx = adx, dy = -ady;
        std::int64_t err = dx + dy;
        QRgb* p = bits + y0 * stride + x0;
        QRgb* const end = bits + y1 * stride + x1;
        for (;;) {
            *p = color;
            if (p == end)
                break;
            const std::int64_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                p += sx;
            }
            if (e2 <= dx) {
                err += dx;
                p += sy;
            }
        }
    };
    auto in = [&](std::int64_t x, std::int64_t y) { return x >= 0 && y >= 0 && x < width && y < height; };
    auto edge = [&](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
        if (in(x0, y0) && in(x1, y1))
            inside(x0, y0, x1, y1);
        else
            canvas.Line(x0, y0, x1, y1, color);
    };

    for (const scene::ObjectRecord& object : objects) {
        for (const scene::PolygonRecord& polygon : object.polygons) {
            const std::size_t a = polygon.vertex[0], b = polygon.vertex[1], c = polygon.vertex[2];
            if (a >= count || b >= count || c >= count || !keep(polygon))
                continue;
            const std::int64_t ax = xs[a], bx = xs[b], cx = xs[c];
            if (ax == kUnplaced || bx == kUnplaced || cx == kUnplaced)
                continue;
            const std::int64_t ay = ys[a], by = ys[b], cy = ys[c];
            // A triangle wholly beyond one side of the image touches none of its pixels.
            if ((ax < 0 && bx < 0 && cx < 0) || (ay < 0 && by < 0 && cy < 0) ||
                (ax >= width && bx >= width && cx >= width) || (ay >= height && by >= height && cy >= height))
                continue;
            edge(ax, ay, bx, by);
            edge(bx, by, cx, cy);
            edge(cx, cy, ax, ay);
        }
    }
}

// Lines at the multiples of the grid step, placed as vertices are (truncated towards zero), so
// that a vertex on a grid point sits on the crossing of its lines. Steps too fine to tell apart
// on screen are drawn at the smallest power-of-two multiple that leaves room between lines.
void DrawGrid(QImage& image, const Origin& o, const ViewState& state)
{
    double step = static_cast<double>(state.gridStep);
    if (!(step > 0) || !(o.s > 0))
        return;
    int multiple = 1;
    while (step * o.s < GRID_MIN_SPACING) {
        step *= 2;
        multiple *= 2;
    }
    const QRgb minor = RgbFromColorref(GRID_COLOR), major = RgbFromColorref(GRID_MAJOR_COLOR);
    const int width = image.width(), height = image.height();
    const auto stride = static_cast<std::size_t>(image.bytesPerLine() / 4);
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    // Every eighth line of the step as the user chose it, and the axes, stand out.
    const auto colorOf = [&](std::int64_t k) {
        const std::int64_t n = k * multiple;
        return n % 8 == 0 ? major : minor;
    };
    const double spacing = step * o.s;
    const auto firstK = static_cast<std::int64_t>(std::floor((0 - static_cast<double>(o.x)) / spacing)) - 1;
    const auto lastK = static_cast<std::int64_t>(std::ceil((width - static_cast<double>(o.x)) / spacing)) + 1;
    for (std::int64_t k = firstK; k <= lastK; ++k) {
        const std::int64_t x = COrthoCamera::Column(o, static_cast<double>(k) * step);
        if (x < 0 || x >= width)
            continue;
        const QRgb c = colorOf(k);
        for (int y = 0; y < height; ++y)
            bits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)] = c;
    }
    // Upwards on screen is the positive world axis.
    const auto topK = static_cast<std::int64_t>(std::ceil(static_cast<double>(o.y) / spacing)) + 1;
    const auto bottomK = static_cast<std::int64_t>(std::floor((static_cast<double>(o.y) - height) / spacing)) - 1;
    for (std::int64_t k = bottomK; k <= topK; ++k) {
        const std::int64_t y = COrthoCamera::Row(o, static_cast<double>(k) * step);
        if (y < 0 || y >= height)
            continue;
        const QRgb c = colorOf(k);
        QRgb* row = bits + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            // Where lines cross, the darker one shows.
            if (row[x] != major)
                row[x] = c;
    }
}

} // namespace

void DrawViewLine(QImage& image, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, QRgb color)
{
    if (image.isNull())
        return;
    Canvas canvas(image);
    canvas.Line(x0, y0, x1, y1, color);
}

void DragBackdrop::Start(std::span<const int> moving)
{
    Clear();
    m_moving.assign(65536, 0); // polygons name vertices by 16-bit index
    for (const int v : moving)
        if (v >= 0 && v < 65536) {
            m_moving[static_cast<std::size_t>(v)] = 1;
            m_active = true;
        }
}

void DragBackdrop::Clear()
{
    m_active = false;
    m_collected = false;
    m_moving = {};
    m_movingPolygons.polygons = {};
    m_image = QImage();
}

void RenderScene(QImage& image, const ViewState& state, std::span<const scene::ObjectVertex> vertices, bool loaded,
                 const ISceneSelection* selection, std::span<const scene::ObjectRecord> objects, DragBackdrop* backdrop)
{
    if (!loaded || image.isNull()) {
        image.fill(RgbFromColorref(BACKGROUND_COLOR));
        return;
    }
    Canvas canvas(image);
    const Origin o = state.Origin(image.width(), image.height());
    if (state.wireframe && backdrop && backdrop->m_active) {
        DragBackdrop& b = *backdrop;
        const std::uint8_t* moving = b.m_moving.data();
        auto usesMoving = [moving](const scene::PolygonRecord& p) {
            return (moving[p.vertex[0]] | moving[p.vertex[1]] | moving[p.vertex[2]]) != 0;
        };
        if (!b.m_collected) {
            for (const scene::ObjectRecord& object : objects)
                for (const scene::PolygonRecord& p : object.polygons)
                    if (usesMoving(p))
                        b.m_movingPolygons.polygons.push_back(p);
            b.m_collected = true;
        }
        if (b.m_image.size() != image.size() || b.m_state != state) {
            b.m_image = QImage(image.size(), QImage::Format_RGB32);
            b.m_image.fill(RgbFromColorref(BACKGROUND_COLOR));
            if (state.grid)
                DrawGrid(b.m_image, o, state);
            Canvas back(b.m_image);
            DrawWireframe(back, o, state, vertices, objects,
                          [&usesMoving](const scene::PolygonRecord& p) { return !usesMoving(p); });
            b.m_state = state;
        }
        std::memcpy(image.bits(), b.m_image.constBits(), static_cast<std::size_t>(image.sizeInBytes()));
        DrawWireframe(canvas, o, state, vertices, std::span(&b.m_movingPolygons, 1),
                      [](const scene::PolygonRecord&) { return true; });
    } else {
        image.fill(RgbFromColorref(BACKGROUND_COLOR));
        if (state.grid)
            DrawGrid(image, o, state);
        if (state.wireframe)
            DrawWireframe(canvas, o, state, vertices, objects, [](const scene::PolygonRecord&) { return true; });
    }
    if (selection)
        DrawSelection(canvas, o, state, vertices, *selection);
    switch (state.projection) {
    case Projection::Front: DrawVertices<Projection::Front>(canvas, o, state, vertices); break;
    case Projection::Side: DrawVertices<Projection::Side>(canvas, o, state, vertices); break;
    default: DrawVertices<Projection::Top>(canvas, o, state, vertices); break;
    }
}

} // namespace qm4edit
