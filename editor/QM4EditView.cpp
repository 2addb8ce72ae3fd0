#include "QM4EditView.h"

#include <algorithm>
#include <limits>

#include <QMouseEvent>
#include <QPainter>

#include "EditorStrings.h"
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
int SaturatingAdd(int a, int b)
{
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

CQM4EditView::CQM4EditView(const scene::CQM4EditDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    m_state.mainColor = ReadColor(KEY_MAIN_COLOR, DEFAULT_MAIN_COLOR);
    m_state.extraColor1 = ReadColor(KEY_EXTRA_COLOR1, DEFAULT_EXTRA_COLOR1);
    m_state.extraColor2 = ReadColor(KEY_EXTRA_COLOR2, DEFAULT_EXTRA_COLOR2);
    m_state.hiliteColor = ReadColor(KEY_HILITE_COLOR, DEFAULT_HILITE_COLOR);
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
    } else {
        m_state.zoom = MAX_ZOOM;
    }
}

void CQM4EditView::ZoomOut()
{
    if (m_state.zoom > MIN_ZOOM) {
        m_state.zoom /= 2.0f;
        Redraw();
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
}

void CQM4EditView::SetProjection(Projection projection)
{
    m_state.projection = projection;
    Redraw();
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
    RenderScene(image, m_state, m_doc.ObjectVertices().Records(), m_doc.IsLoaded(), m_pSelection);
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
    if (event->button() != Qt::LeftButton)
        return;
    event->accept();
    m_ptDragStart = event->position().toPoint();
    m_bDragging = true;
}

void CQM4EditView::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
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
    m_state.panX = SaturatingAdd(m_state.panX, point.x() - m_ptDragStart.x());
    m_state.panY = SaturatingAdd(m_state.panY, point.y() - m_ptDragStart.y());
    m_bDragging = false;
    Redraw();
}

} // namespace qm4edit
