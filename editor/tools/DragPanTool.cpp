#include "editor/tools/DragPanTool.h"

#include <QMouseEvent>

#include "editor/ortho/QM4EditView.h"

namespace qm4edit {

bool CDragPanTool::MousePress(QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton)
        return false;
    m_ptDragStart = event.position().toPoint();
    m_bDragging = true;
    return true;
}

bool CDragPanTool::MouseRelease(QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton)
        return false;
    const QPoint point = event.position().toPoint();
    // Qt hands the release to the view that saw the press even when the pointer has left
    // it; such a release does not end the drag, which stays pending until a release here.
    if (!m_view.rect().contains(point) || !m_bDragging)
        return true;
    m_bDragging = false;
    if (IsClick(m_ptDragStart, point))
        return true;
    m_view.Camera().PanBy(point.x() - m_ptDragStart.x(), point.y() - m_ptDragStart.y());
    m_view.CameraChanged();
    return true;
}

} // namespace qm4edit
