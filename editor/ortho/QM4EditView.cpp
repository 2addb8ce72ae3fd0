#include "editor/ortho/QM4EditView.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "editor/app/EditorStrings.h"
#include "editor/ortho/PickIndex.h"
#include "editor/ViewSelection.h"
#include "gui/Settings.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

namespace {

std::uint32_t ReadColor(const char* key, std::uint32_t defaultValue)
{
    return static_cast<std::uint32_t>(gui::ReadProfileInt(APP_TITLE, key, static_cast<int>(defaultValue)));
}

void WriteColor(const char* key, std::uint32_t value)
{
    gui::WriteProfileInt(APP_TITLE, key, static_cast<int>(value));
}

// Panning far enough to overflow would otherwise wrap the picture around.
double ClampPan(double pan)
{
    return std::clamp<double>(pan, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

double SaturatingAdd(double a, int b)
{
    return ClampPan(a + b);
}

QString Number(double value)
{
    // "%g", whatever the user's locale says about decimal points.
    return QString::number(value, 'g', 6);
}

// A vertex's coordinates on the projection's two axes, if a fit should take it into account.
bool FitAxes(int projection, const scene::ObjectVertex& v, double& h, double& w)
{
    float fh, fw;
    ProjectionAxes(projection, v, fh, fw);
    h = fh;
    w = fw;
    return std::isfinite(h) && std::isfinite(w) && std::fabs(h) <= CQM4EditView::FIT_LIMIT &&
        std::fabs(w) <= CQM4EditView::FIT_LIMIT;
}

} // namespace

CQM4EditView::CQM4EditView(const scene::CQM4EditDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    m_state.mainColor = ReadColor(KEY_MAIN_COLOR, DEFAULT_MAIN_COLOR);
    m_state.extraColor1 = ReadColor(KEY_EXTRA_COLOR1, DEFAULT_EXTRA_COLOR1);
    m_state.extraColor2 = ReadColor(KEY_EXTRA_COLOR2, DEFAULT_EXTRA_COLOR2);
    m_state.hiliteColor = ReadColor(KEY_HILITE_COLOR, DEFAULT_HILITE_COLOR);
    m_state.wireColor = ReadColor(KEY_WIRE_COLOR, DEFAULT_WIRE_COLOR);
    m_state.wireframe = gui::ReadProfileInt(APP_TITLE, KEY_WIREFRAME, 0) != 0;
    m_state.grid = gui::ReadProfileInt(APP_TITLE, KEY_GRID, 0) != 0;
    m_state.gridStep = std::ldexp(1.0f, DEFAULT_GRID_EXPONENT);
    bool ok = false;
    const double step = gui::ReadProfileString(APP_TITLE, KEY_GRID_STEP, QString()).toDouble(&ok);
    if (ok)
        SetGridStep(step);
    setMouseTracking(true); // the status bar follows the pointer
    // Every pixel is painted from the image; nothing for Qt to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

CQM4EditView::~CQM4EditView()
{
    WriteColor(KEY_MAIN_COLOR, m_state.mainColor);
    WriteColor(KEY_EXTRA_COLOR1, m_state.extraColor1);
    WriteColor(KEY_EXTRA_COLOR2, m_state.extraColor2);
    WriteColor(KEY_HILITE_COLOR, m_state.hiliteColor);
    WriteColor(KEY_WIRE_COLOR, m_state.wireColor);
    gui::WriteProfileInt(APP_TITLE, KEY_WIREFRAME, m_state.wireframe ? 1 : 0);
    gui::WriteProfileInt(APP_TITLE, KEY_GRID, m_state.grid ? 1 : 0);
    gui::WriteProfileString(APP_TITLE, KEY_GRID_STEP, Number(m_state.gridStep));
}

void CQM4EditView::OnUpdate()
{
    for (auto& index : m_pickIndex)
        index.reset();
    // A new scene may hold fewer vertices than the selection names.
    const int count = static_cast<int>(m_doc.ObjectVertices().Records().size());
    if (!m_doc.IsLoaded())
        m_selected.clear();
    std::erase_if(m_selected, [count](int v) { return v >= count; });
    Redraw();
}

void CQM4EditView::Redraw()
{
    ++m_nRedrawCount;
    update();
}

void CQM4EditView::ZoomIn()
{
    if (m_state.zoom < MAX_ZOOM) {
        m_state.zoom *= 2.0f;
        Redraw();
        emit ViewStatusChanged();
    } else {
        m_state.zoom = MAX_ZOOM;
    }
}

void CQM4EditView::ZoomOut()
{
    if (m_state.zoom > MIN_ZOOM) {
        m_state.zoom /= 2.0f;
        Redraw();
        emit ViewStatusChanged();
    } else {
        m_state.zoom = MIN_ZOOM;
    }
}

void CQM4EditView::ResetView()
{
    m_state.panY = 0;
    m_state.panX = 0;
    m_state.projection = Projection::Top;
    m_state.zoom = DEFAULT_ZOOM;
    Redraw();
    emit ViewStatusChanged();
}

void CQM4EditView::SetProjection(Projection projection)
{
    m_state.projection = projection;
    Redraw();
    emit ViewStatusChanged();
}

void CQM4EditView::SetMainColor(std::uint32_t c)
{
    m_state.mainColor = c;
    Redraw();
}

void CQM4EditView::SetExtraColor1(std::uint32_t c)
{
    m_state.extraColor1 = c;
    Redraw();
}

void CQM4EditView::SetExtraColor2(std::uint32_t c)
{
    m_state.extraColor2 = c;
    Redraw();
}

void CQM4EditView::SetHiliteColor(std::uint32_t c)
{
    m_state.hiliteColor = c;
    Redraw();
}

void CQM4EditView::RenderTo(QImage& image) const
{
    const QSize size = this->size();
    if (image.size() != size || image.format() != QImage::Format_RGB32)
        image = QImage(size, QImage::Format_RGB32);
    RenderScene(image, m_state, m_doc.ObjectVertices().Records(), m_doc.IsLoaded(), m_pSelection,
                m_doc.ObjectInfo().Objects(), &m_backdrop);
    DrawToolMarks(image);
}

// ---------------------------------------------------------------------------------------
// Zoom about a point, fitting, wireframe

void CQM4EditView::ZoomInAt(const QPoint& point)
{
    if (m_state.zoom < MAX_ZOOM)
        ZoomAt(point, m_state.zoom * 2.0f);
    else
        m_state.zoom = MAX_ZOOM;
}

void CQM4EditView::ZoomOutAt(const QPoint& point)
{
    if (m_state.zoom > MIN_ZOOM)
        ZoomAt(point, m_state.zoom / 2.0f);
    else
        m_state.zoom = MIN_ZOOM;
}

void CQM4EditView::ZoomAt(const QPoint& point, float zoom)
{
    const ViewOrigin o = MakeViewOrigin(m_state, width(), height());
    // The world point under the pointer, on both axes (the vertical one grows upwards).
    const double h = static_cast<double>(point.x() - o.x) / o.s;
    const double v = -static_cast<double>(point.y() - o.y) / o.s;
    const double s = static_cast<double>(zoom) / 8.0;
    // Choose the new origin so that the point lands exactly on the pointer's pixel. The
    // pan, in world units, is a whole number of pixels over a power of two: exact, so the
    // drawing's truncation of pan times zoom gives back that whole number.
    const double kx = point.x() - width() / 2 - std::trunc(s * h);
    const double ky = point.y() + std::trunc(s * v) - height() / 2;
    m_state.zoom = zoom;
    SetPan(kx / s, ky / s);
    if (m_bMiddlePanning) {
        // A live pan goes on from here at the new zoom.
        m_ptMiddleStart = point;
        const ViewOrigin n = MakeViewOrigin(m_state, 0, 0);
        m_nMiddleStartX = n.x;
        m_nMiddleStartY = n.y;
    }
}

void CQM4EditView::SetPan(double panX, double panY)
{
    m_state.panX = ClampPan(panX);
    m_state.panY = ClampPan(panY);
    Redraw();
    emit ViewStatusChanged();
}

bool CQM4EditView::FitBox(double hmin, double hmax, double vmin, double vmax)
{
    if (hmin > hmax || vmin > vmax)
        return false;
    // Room for the extents, less the margins and a pixel each way for truncation.
    const double roomW = std::max(0, width() - 2 * FIT_MARGIN - 2);
    const double roomH = std::max(0, height() - 2 * FIT_MARGIN - 2);
    float zoom = MIN_ZOOM;
    for (float z = MAX_ZOOM; z >= MIN_ZOOM; z /= 2.0f) {
        const double s = static_cast<double>(z) / 8.0;
        if ((hmax - hmin) * s <= roomW && (vmax - vmin) * s <= roomH) {
            zoom = z;
            break;
        }
    }
    m_state.zoom = zoom;
    const double s = static_cast<double>(zoom) / 8.0;
    // The box's centre on the view's centre, to the pixel.
    const double hc = (hmin + hmax) / 2.0, vc = (vmin + vmax) / 2.0;
    SetPan(-std::round(s * hc) / s, std::round(s * vc) / s);
    return true;
}

void CQM4EditView::FitScene()
{
    double hmin = std::numeric_limits<double>::max(), hmax = std::numeric_limits<double>::lowest();
    double vmin = hmin, vmax = hmax;
    if (m_doc.IsLoaded()) {
        for (const scene::ObjectVertex& vertex : m_doc.ObjectVertices().Records()) {
            double h, v;
            if (!FitAxes(static_cast<int>(m_state.projection), vertex, h, v))
                continue;
            hmin = std::min(hmin, h);
            hmax = std::max(hmax, h);
            vmin = std::min(vmin, v);
            vmax = std::max(vmax, v);
        }
    }
    if (!FitBox(hmin, hmax, vmin, vmax))
        ResetView();
}

void CQM4EditView::FitSelection()
{
    if (!m_doc.IsLoaded() || !m_pSelection)
        return;
    double hmin = std::numeric_limits<double>::max(), hmax = std::numeric_limits<double>::lowest();
    double vmin = hmin, vmax = hmax;
    const int count = m_doc.GetVertexCount();
    auto take = [&](int index) {
        // Indices come from the file; one that names no vertex adds nothing.
        if (index < 0 || index >= count)
            return;
        double h, v;
        if (!FitAxes(static_cast<int>(m_state.projection), m_doc.GetVertex(index), h, v))
            return;
        hmin = std::min(hmin, h);
        hmax = std::max(hmax, h);
        vmin = std::min(vmin, v);
        vmax = std::max(vmax, v);
    };
    switch (m_pSelection->GetSelectedKind()) {
    case TreeItemKind::Vertex: take(m_pSelection->GetSelectedData()); break;
    case TreeItemKind::Object:
    case TreeItemKind::Polygon: {
        const int n = m_pSelection->GetSelectedPolygonCount();
        for (int k = 0; k < n; ++k) {
            int a, b, c;
            m_pSelection->GetSelectedPolygonVertices(k, a, b, c);
            take(a);
            take(b);
            take(c);
        }
        break;
    }
    default: break;
    }
    FitBox(hmin, hmax, vmin, vmax);
}

void CQM4EditView::SetWireframe(bool on)
{
    m_state.wireframe = on;
    Redraw();
}

void CQM4EditView::SetWireColor(std::uint32_t c)
{
    m_state.wireColor = c;
    Redraw();
}

void CQM4EditView::SetGrid(bool on)
{
    m_state.grid = on;
    Redraw();
    emit ViewStatusChanged();
}

void CQM4EditView::SetGridStep(double step)
{
    // QString::toDouble reads "inf" and "nan" too.
    if (!(step > 0) || !std::isfinite(step))
        return;
    const int exponent =
        std::clamp(static_cast<int>(std::lround(std::log2(step))), MIN_GRID_EXPONENT, MAX_GRID_EXPONENT);
    const float snapped = std::ldexp(1.0f, exponent);
    if (snapped == m_state.gridStep)
        return;
    m_state.gridStep = snapped;
    if (m_state.grid)
        Redraw();
    emit ViewStatusChanged();
}

void CQM4EditView::HalveGridStep()
{
    if (CanHalveGridStep())
        SetGridStep(m_state.gridStep / 2.0);
}

void CQM4EditView::DoubleGridStep()
{
    if (CanDoubleGridStep())
        SetGridStep(m_state.gridStep * 2.0);
}

QString CQM4EditView::GridText() const
{
    return QString(m_state.grid ? STATUS_GRID_ON : STATUS_GRID_OFF).arg(Number(m_state.gridStep));
}

double CQM4EditView::ToGrid(double value) const
{
    const double step = m_state.gridStep;
    return std::round(value / step) * step;
}

// ---------------------------------------------------------------------------------------
// Picking and the status panes

int CQM4EditView::PickVertex(const QPoint& point) const
{
    if (!m_doc.IsLoaded())
        return -1;
    const auto vertices = m_doc.ObjectVertices().Records();
    const int projection = std::clamp(static_cast<int>(m_state.projection), 0, 2);
    std::unique_ptr<CPickIndex>& index = m_pickIndex[static_cast<std::size_t>(projection)];
    if (!index || index->VertexCount() != vertices.size())
        index = std::make_unique<CPickIndex>(vertices, projection);
    ViewState state = m_state;
    state.projection = static_cast<Projection>(projection);
    return index->Nearest(state, width(), height(), point.x(), point.y(), PICK_RADIUS);
}

QString CQM4EditView::PickMessage(int vertexIndex, const scene::ObjectVertex& v, int cornerCount)
{
    return QString(STATUS_PICKED_VERTEX).arg(vertexIndex).arg(Number(v.x), Number(v.y), Number(v.z)).arg(cornerCount);
}

QString CQM4EditView::SnapMessage(int vertexIndex, const scene::ObjectVertex& v)
{
    return QString(STATUS_SNAP_VERTEX).arg(vertexIndex).arg(Number(v.x), Number(v.y), Number(v.z));
}

QString CQM4EditView::ProjectionText() const
{
    switch (m_state.projection) {
    case Projection::Front: return QString(STATUS_PROJECTION_FRONT);
    case Projection::Side: return QString(STATUS_PROJECTION_SIDE);
    default: return QString(STATUS_PROJECTION_TOP);
    }
}

QString CQM4EditView::ZoomText() const
{
    return QString(STATUS_ZOOM_FACTOR).arg(Number(static_cast<double>(m_state.zoom) / 8.0));
}

QString CQM4EditView::PointerText() const
{
    if (!m_bPointerInside || !m_doc.IsLoaded())
        return {};
    const ViewOrigin o = MakeViewOrigin(m_state, width(), height());
    const double h = static_cast<double>(m_ptPointer.x() - o.x) / o.s;
    const double v = -static_cast<double>(m_ptPointer.y() - o.y) / o.s;
    static constexpr const char* kAxes[3][2] = {{"X", "Z"}, {"X", "Y"}, {"Z", "Y"}};
    const auto& axes = kAxes[std::clamp(static_cast<int>(m_state.projection), 0, 2)];
    return QString(STATUS_POINTER).arg(axes[0], Number(h), axes[1], Number(v));
}

void CQM4EditView::paintEvent(QPaintEvent*)
{
    RenderTo(m_image);
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void CQM4EditView::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        m_bMiddlePanning = true;
        m_ptMiddleStart = event->position().toPoint();
        // Counted from the origin's whole-pixel offset, the picture follows the pointer
        // exactly at every zoom.
        const ViewOrigin o = MakeViewOrigin(m_state, 0, 0);
        m_nMiddleStartX = o.x;
        m_nMiddleStartY = o.y;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    event->accept();
    if (ToolPress(event->position().toPoint(), event->modifiers()))
        return;
    m_ptDragStart = event->position().toPoint();
    m_bDragging = true;
}

void CQM4EditView::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        m_bMiddlePanning = false;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    event->accept();
    const QPoint point = event->position().toPoint();
    if (m_drag || m_bBanding) {
        ToolRelease(point, event->modifiers());
        return;
    }
    // Qt hands the release to the view that saw the press even when the pointer has left
    // it; such a release does not end the drag, which stays pending until a release here.
    if (!rect().contains(point))
        return;
    if (!m_bDragging)
        return;
    const QPoint moved = point - m_ptDragStart;
    if (moved.x() * moved.x() + moved.y() * moved.y() <= CLICK_SLOP * CLICK_SLOP) {
        // A click, not a drag: it picks the vertex under it and moves nothing.
        m_bDragging = false;
        const int vertex = PickVertex(point);
        if (vertex >= 0)
            emit VertexPicked(vertex);
        return;
    }
    m_state.panX = SaturatingAdd(m_state.panX, point.x() - m_ptDragStart.x());
    m_state.panY = SaturatingAdd(m_state.panY, point.y() - m_ptDragStart.y());
    m_bDragging = false;
    Redraw();
    emit ViewStatusChanged();
}

void CQM4EditView::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    m_ptPointer = event->position().toPoint();
    m_bPointerInside = rect().contains(m_ptPointer);
    if (m_bMiddlePanning) {
        const QPoint d = m_ptPointer - m_ptMiddleStart;
        const double s = static_cast<double>(m_state.zoom) / 8.0;
        SetPan(static_cast<double>(m_nMiddleStartX + d.x()) / s, static_cast<double>(m_nMiddleStartY + d.y()) / s);
        return;
    }
    if (m_drag || m_bBanding)
        ToolMove(m_ptPointer, event->modifiers());
    emit ViewStatusChanged();
}

void CQM4EditView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_bPointerInside = false;
    emit ViewStatusChanged();
}

void CQM4EditView::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (!m_doc.IsLoaded())
        return;
    // Fine-grained wheels send parts of a notch; a step is taken per whole notch.
    m_nWheelDelta += event->angleDelta().y();
    const QPoint point = event->position().toPoint();
    while (m_nWheelDelta >= 120) {
        m_nWheelDelta -= 120;
        ZoomInAt(point);
    }
    while (m_nWheelDelta <= -120) {
        m_nWheelDelta += 120;
        ZoomOutAt(point);
    }
}

} // namespace qm4edit

namespace qm4edit {

namespace {

// v with its coordinates on the projection's two axes replaced; the hidden one stays.
scene::ObjectVertex WithAxes(Projection projection, scene::ObjectVertex v, float h, float w)
{
    switch (projection) {
    case Projection::Front:
        v.x = h;
        v.y = w;
        break;
    case Projection::Side:
        v.z = h;
        v.y = w;
        break;
    default:
        v.x = h;
        v.z = w;
        break;
    }
    return v;
}

// Every position moved by the same world offset on the projection's two axes.
std::vector<scene::ObjectVertex> Offset(Projection projection, std::span<const scene::ObjectVertex> from, double dh,
                                        double dw)
{
    std::vector<scene::ObjectVertex> out;
    out.reserve(from.size());
    for (const scene::ObjectVertex& p : from) {
        float h, w;
        ProjectionAxes(static_cast<int>(projection), p, h, w);
        out.push_back(WithAxes(projection, p, static_cast<float>(h + dh), static_cast<float>(w + dw)));
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------
// The vertex tool

void CQM4EditView::SetEditTarget(scene::CQM4EditDoc* doc, EditCommit commit)
{
    CancelVertexDrag();
    m_pEditDoc = doc;
    m_commit = std::move(commit);
}

void CQM4EditView::SetVertexTool(bool on)
{
    if (m_bVertexTool == on)
        return;
    CancelVertexDrag();
    m_bVertexTool = on;
    setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
    Redraw();
}

void CQM4EditView::SetSelectedVertices(std::vector<int> vertices)
{
    std::sort(vertices.begin(), vertices.end());
    vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
    m_selected = std::move(vertices);
    Redraw();
}

void CQM4EditView::CancelVertexDrag()
{
    if (m_drag) {
        m_drag->Cancel();
        m_drag.reset();
        m_backdrop.Clear();
        SetSnapVertex(-1);
        m_snapIndex.reset();
    }
    if (m_bBanding) {
        m_bBanding = false;
        Redraw();
    }
}

scene::ObjectVertex CQM4EditView::ScreenDelta(double dx, double dy) const
{
    const double s = static_cast<double>(m_state.zoom) / 8.0;
    const auto h = static_cast<float>(dx / s);
    const auto w = static_cast<float>(-dy / s); // screen y grows downwards
    switch (m_state.projection) {
    case Projection::Front: return {h, w, 0.0f};
    case Projection::Side: return {0.0f, w, h};
    default: return {h, 0.0f, w};
    }
}

bool CQM4EditView::ToolPress(const QPoint& point, Qt::KeyboardModifiers modifiers)
{
    if (!m_bVertexTool || !m_pEditDoc || !m_doc.IsLoaded())
        return false;
    CancelVertexDrag();
    m_ptToolStart = point;
    const int vertex = PickVertex(point);
    if (vertex < 0) {
        m_bBanding = true;
        m_band = QRect(point, point);
        m_bandModifiers = modifiers;
        return true;
    }
    // Pressing a vertex outside the selection makes it the selection; inside, all of them move.
    if (!std::binary_search(m_selected.begin(), m_selected.end(), vertex))
        m_selected = {vertex};
    m_drag.emplace(*m_pEditDoc, m_selected);
    m_backdrop.Start(m_drag->Vertices());
    m_nGrabbed = vertex;
    m_grabStart = m_doc.GetVertex(vertex);
    m_ptToolLast = point;
    Redraw();
    return true;
}

void CQM4EditView::ToolMove(const QPoint& point, Qt::KeyboardModifiers modifiers)
{
    m_ptToolLast = point;
    if (m_bBanding) {
        m_band = QRect(m_ptToolStart, point).normalized();
        Redraw();
        return;
    }
    const int dx = point.x() - m_ptToolStart.x(), dy = point.y() - m_ptToolStart.y();
    const scene::ObjectVertex d = ScreenDelta(dx, dy);
    int target = -1;
    if (modifiers & Qt::ControlModifier) {
        const scene::ObjectVertex raw{m_grabStart.x + d.x, m_grabStart.y + d.y, m_grabStart.z + d.z};
        std::int64_t px = 0, py = 0;
        if (ProjectToPixel(m_state, width(), height(), raw, px, py) && std::llabs(px) < (1 << 30) &&
            std::llabs(py) < (1 << 30))
            target = FindSnapTarget(QPoint(static_cast<int>(px), static_cast<int>(py)));
    }
    SetSnapVertex(target);
    if (target < 0 && !m_state.grid) {
        m_drag->MoveBy(d.x, d.y, d.z);
        return;
    }
    // The grabbed vertex lands exactly on the target or grid point; the others keep their
    // places relative to it.
    const int projection = static_cast<int>(m_state.projection);
    float gh, gw;
    ProjectionAxes(projection, m_grabStart, gh, gw);
    double h, w;
    if (target >= 0) {
        float th, tw;
        ProjectionAxes(projection, m_doc.GetVertex(target), th, tw);
        h = th;
        w = tw;
    } else {
        const double s = static_cast<double>(m_state.zoom) / 8.0;
        h = ToGrid(gh + dx / s);
        w = ToGrid(gw - dy / s);
    }
    m_drag->MoveTo(Offset(m_state.projection, m_drag->StartPositions(), h - gh, w - gw));
}

int CQM4EditView::FindSnapTarget(const QPoint& pixel) const
{
    const int projection = std::clamp(static_cast<int>(m_state.projection), 0, 2);
    if (!m_snapIndex || m_snapIndex->Projection() != projection) {
        // The dragged vertices stand nowhere as far as the index knows.
        std::vector<scene::ObjectVertex> still(m_doc.ObjectVertices().Records().begin(),
                                               m_doc.ObjectVertices().Records().end());
        const float nowhere = std::numeric_limits<float>::quiet_NaN();
        if (m_drag)
            for (const int v : m_drag->Vertices())
                still[static_cast<std::size_t>(v)] = {nowhere, nowhere, nowhere};
        m_snapIndex = std::make_unique<CPickIndex>(still, projection);
    }
    return m_snapIndex->Nearest(m_state, width(), height(), pixel.x(), pixel.y(), SNAP_RADIUS);
}

void CQM4EditView::SetSnapVertex(int vertex)
{
    if (vertex == m_nSnapVertex)
        return;
    m_nSnapVertex = vertex;
    emit StatusMessage(vertex >= 0 ? SnapMessage(vertex, m_doc.GetVertex(vertex)) : QString());
}

void CQM4EditView::ToolRelease(const QPoint& point, Qt::KeyboardModifiers modifiers)
{
    const QPoint moved = point - m_ptToolStart;
    const bool click = moved.x() * moved.x() + moved.y() * moved.y() <= CLICK_SLOP * CLICK_SLOP;
    if (m_bBanding) {
        m_bBanding = false;
        if (click) {
            // A click on empty space clears the selection unless it means to add or toggle.
            if (!(m_bandModifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
                m_selected.clear();
            Redraw();
            return;
        }
        SelectInBand(QRect(m_ptToolStart, point).normalized(), m_bandModifiers);
        return;
    }
    if (click) {
        // Picks like a click without the tool, and leaves the vertex where it was.
        CancelVertexDrag();
        const int vertex = PickVertex(m_ptToolStart);
        if (vertex >= 0)
            emit VertexPicked(vertex);
        return;
    }
    ToolMove(point, modifiers);
    scene::CVertexEdit edit = m_drag->Finish();
    const bool several = m_drag->Vertices().size() > 1;
    m_drag.reset();
    m_backdrop.Clear();
    m_snapIndex.reset();
    // The status bar goes on naming the vertex snapped onto.
    m_nSnapVertex = -1;
    if (m_commit)
        m_commit(several ? MOVE_VERTICES_STEP : MOVE_VERTEX_STEP, std::move(edit));
}

void CQM4EditView::SelectInBand(const QRect& band, Qt::KeyboardModifiers modifiers)
{
    std::vector<int> inside;
    const auto vertices = m_doc.ObjectVertices().Records();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        std::int64_t px = 0, py = 0;
        if (ProjectToPixel(m_state, width(), height(), vertices[i], px, py) && px >= band.left() &&
            px <= band.right() && py >= band.top() && py <= band.bottom())
            inside.push_back(static_cast<int>(i));
    }
    std::vector<int> result;
    if (modifiers & Qt::ControlModifier)
        std::set_symmetric_difference(m_selected.begin(), m_selected.end(), inside.begin(), inside.end(),
                                      std::back_inserter(result));
    else if (modifiers & Qt::ShiftModifier)
        std::set_union(m_selected.begin(), m_selected.end(), inside.begin(), inside.end(), std::back_inserter(result));
    else
        result = std::move(inside);
    m_selected = std::move(result);
    Redraw();
}

void CQM4EditView::Nudge(int dh, int dv, float step)
{
    if (!m_pEditDoc || m_selected.empty() || m_drag)
        return;
    std::vector<scene::ObjectVertex> from;
    from.reserve(m_selected.size());
    for (int v : m_selected)
        from.push_back(m_doc.GetVertex(v));
    std::vector<scene::ObjectVertex> to;
    if (m_state.grid) {
        // The vertex last grabbed (else the first selected) lands on the grid point nearest
        // one step on; the others keep their places relative to it.
        const auto it = std::lower_bound(m_selected.begin(), m_selected.end(), m_nGrabbed);
        const std::size_t ref =
            it != m_selected.end() && *it == m_nGrabbed ? static_cast<std::size_t>(it - m_selected.begin()) : 0;
        float h, w;
        ProjectionAxes(static_cast<int>(m_state.projection), from[ref], h, w);
        const double nh = ToGrid(h + static_cast<double>(dh) * step), nw = ToGrid(w + static_cast<double>(dv) * step);
        to = Offset(m_state.projection, from, nh - h, nw - w);
    } else {
        // One step in world units on screen's axes: right is +h, up is +w.
        const double s = static_cast<double>(m_state.zoom) / 8.0;
        const scene::ObjectVertex d = ScreenDelta(dh * step * s, -dv * step * s);
        for (const scene::ObjectVertex& p : from)
            to.push_back({p.x + d.x, p.y + d.y, p.z + d.z});
    }
    std::vector<scene::VertexChange> changes;
    changes.reserve(m_selected.size());
    for (std::size_t i = 0; i < m_selected.size(); ++i)
        changes.push_back({m_selected[i], to[i].x, to[i].y, to[i].z});
    if (m_commit)
        m_commit(NUDGE_STEP, scene::CVertexEdit(std::move(changes)));
}

void CQM4EditView::keyPressEvent(QKeyEvent* event)
{
    if (m_drag || m_bBanding) {
        if (event->key() == Qt::Key_Escape) {
            CancelVertexDrag();
            event->accept();
            return;
        }
    }
    if (m_drag && event->key() == Qt::Key_Control) {
        // Pressing or letting go of Ctrl mid-drag snaps or frees the vertex at once.
        ToolMove(m_ptToolLast, event->modifiers() | Qt::ControlModifier);
        event->accept();
        return;
    }
    if (m_bVertexTool && !m_selected.empty()) {
        const float step = (event->modifiers() & Qt::ShiftModifier) ? m_state.gridStep * 10.0f : m_state.gridStep;
        switch (event->key()) {
        case Qt::Key_Left:
            Nudge(-1, 0, step);
            event->accept();
            return;
        case Qt::Key_Right:
            Nudge(1, 0, step);
            event->accept();
            return;
        case Qt::Key_Up:
            Nudge(0, 1, step);
            event->accept();
            return;
        case Qt::Key_Down:
            Nudge(0, -1, step);
            event->accept();
            return;
        default: break;
        }
    }
    QWidget::keyPressEvent(event);
}

void CQM4EditView::keyReleaseEvent(QKeyEvent* event)
{
    if (m_drag && event->key() == Qt::Key_Control && !event->isAutoRepeat()) {
        ToolMove(m_ptToolLast, event->modifiers() & ~Qt::ControlModifier);
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void CQM4EditView::DrawToolMarks(QImage& image) const
{
    if (!m_doc.IsLoaded() || image.isNull() || (m_selected.empty() && !m_bBanding))
        return;
    QPainter painter(&image);
    const QColor hilite = QColor::fromRgb(RgbFromColorref(m_state.hiliteColor));
    const auto vertices = m_doc.ObjectVertices().Records();
    for (int v : m_selected) {
        std::int64_t px = 0, py = 0;
        if (v < 0 || static_cast<std::size_t>(v) >= vertices.size() ||
            !ProjectToPixel(m_state, image.width(), image.height(), vertices[static_cast<std::size_t>(v)], px, py))
            continue;
        if (px < -4 || py < -4 || px > image.width() + 4 || py > image.height() + 4)
            continue;
        painter.fillRect(QRect(static_cast<int>(px) - 2, static_cast<int>(py) - 2, 5, 5), hilite);
    }
    if (m_bBanding) {
        painter.setPen(QPen(hilite, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_band);
    }
}

} // namespace qm4edit
