#include "editor/ortho/QM4EditView.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "editor/ViewSelection.h"
#include "editor/app/EditorStrings.h"
#include "editor/ortho/PickIndex.h"
#include "editor/tools/DragPanTool.h"
#include "editor/tools/NavigationTool.h"
#include "editor/tools/PickTool.h"
#include "editor/tools/VertexTool.h"
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
    // The chain, in the order the tools see each event. Navigation comes first, so that the
    // middle button's pan holds even in the middle of a vertex drag; the vertex tool, while
    // on, takes the left button before the pick and the pan that share it otherwise.
    m_pNavigation = &m_tools.Add<CNavigationTool>(*this);
    m_pVertexTool = &m_tools.Add<CVertexTool>(*this);
    m_tools.Add<CPickTool>(*this);
    m_pDragPan = &m_tools.Add<CDragPanTool>(*this);
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
    gui::WriteProfileString(APP_TITLE, KEY_GRID_STEP, NumberText(m_state.gridStep));
}

void CQM4EditView::OnUpdate()
{
    for (auto& index : m_pickIndex)
        index.reset();
    m_pVertexTool->DocumentChanged();
    Redraw();
}

void CQM4EditView::Redraw()
{
    ++m_nRedrawCount;
    update();
}

void CQM4EditView::CameraChanged()
{
    Redraw();
    emit ViewStatusChanged();
}

void CQM4EditView::ZoomIn()
{
    if (m_state.ZoomIn())
        CameraChanged();
}

void CQM4EditView::ZoomOut()
{
    if (m_state.ZoomOut())
        CameraChanged();
}

void CQM4EditView::ResetView()
{
    m_state.Reset();
    CameraChanged();
}

void CQM4EditView::SetProjection(Projection projection)
{
    m_state.projection = projection;
    CameraChanged();
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
                m_doc.ObjectInfo().Objects(), m_pVertexTool->Backdrop());
    m_tools.DrawOverlay(image);
}

// ---------------------------------------------------------------------------------------
// Zoom about a point, fitting, wireframe

void CQM4EditView::ZoomInAt(const QPoint& point)
{
    m_pNavigation->ZoomInAt(point);
}

void CQM4EditView::ZoomOutAt(const QPoint& point)
{
    m_pNavigation->ZoomOutAt(point);
}

bool CQM4EditView::Fit(const FitBox& box)
{
    if (!m_state.Fit(box, width(), height()))
        return false;
    CameraChanged();
    return true;
}

void CQM4EditView::FitScene()
{
    FitBox box;
    if (m_doc.IsLoaded())
        for (const scene::ObjectVertex& vertex : m_doc.ObjectVertices().Records())
            box.Add(m_state.projection, vertex);
    if (!Fit(box))
        ResetView();
}

void CQM4EditView::FitSelection()
{
    if (!m_doc.IsLoaded() || !m_pSelection)
        return;
    FitBox box;
    const int count = m_doc.GetVertexCount();
    auto take = [&](int index) {
        // Indices come from the file; one that names no vertex adds nothing.
        if (index >= 0 && index < count)
            box.Add(m_state.projection, m_doc.GetVertex(index));
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
    Fit(box);
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
// The grid

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

double CQM4EditView::ToGrid(double value) const
{
    const double step = m_state.gridStep;
    return std::round(value / step) * step;
}

// ---------------------------------------------------------------------------------------
// Picking and the pointer's status pane

int CQM4EditView::PickVertex(const QPoint& point) const
{
    if (!m_doc.IsLoaded())
        return -1;
    const auto vertices = m_doc.ObjectVertices().Records();
    const int projection = std::clamp(static_cast<int>(m_state.projection), 0, 2);
    std::unique_ptr<CPickIndex>& index = m_pickIndex[static_cast<std::size_t>(projection)];
    if (!index || index->VertexCount() != vertices.size())
        index = std::make_unique<CPickIndex>(vertices, projection);
    COrthoCamera camera = m_state;
    camera.projection = static_cast<Projection>(projection);
    return index->Nearest(camera, width(), height(), point.x(), point.y(), PICK_RADIUS);
}

QString CQM4EditView::PointerText() const
{
    if (!m_bPointerInside || !m_doc.IsLoaded())
        return {};
    return qm4edit::PointerText(m_state, m_ptPointer.x(), m_ptPointer.y(), width(), height());
}

// ---------------------------------------------------------------------------------------
// The left button's pan, kept by its tool

bool CQM4EditView::IsDragging() const
{
    return m_pDragPan->IsDragging();
}

// ---------------------------------------------------------------------------------------
// Painting and routing

void CQM4EditView::paintEvent(QPaintEvent*)
{
    RenderTo(m_image);
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void CQM4EditView::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (m_tools.MousePress(*event))
        event->accept();
}

void CQM4EditView::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (m_tools.MouseRelease(*event))
        event->accept();
}

void CQM4EditView::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    m_ptPointer = event->position().toPoint();
    m_bPointerInside = rect().contains(m_ptPointer);
    if (m_tools.MouseMove(*event))
        return;
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
    if (m_tools.Wheel(*event))
        event->accept();
    else
        QWidget::wheelEvent(event);
}

void CQM4EditView::keyPressEvent(QKeyEvent* event)
{
    if (m_tools.KeyPress(*event))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void CQM4EditView::keyReleaseEvent(QKeyEvent* event)
{
    if (m_tools.KeyRelease(*event))
        event->accept();
    else
        QWidget::keyReleaseEvent(event);
}

} // namespace qm4edit
