#include "QM4EditView.h"

#include <algorithm>
#include <limits>

#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "EditorStrings.h"
#include "PickIndex.h"
#include "ViewSelection.h"
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
}

void CQM4EditView::OnUpdate()
{
    for (auto& index : m_pickIndex)
        index.reset();
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
                m_doc.ObjectInfo().Objects());
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
    return QString(STATUS_PICKED_VERTEX)
        .arg(vertexIndex)
        .arg(Number(v.x), Number(v.y), Number(v.z))
        .arg(cornerCount);
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
