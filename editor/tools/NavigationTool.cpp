#include "editor/tools/NavigationTool.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include "editor/ortho/QM4EditView.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

bool CNavigationTool::MousePress(QMouseEvent& event)
{
    if (event.button() != Qt::MiddleButton)
        return false;
    m_bMiddlePanning = true;
    m_ptMiddleStart = event.position().toPoint();
    // Counted from the origin's whole-pixel offset, the picture follows the pointer exactly
    // at every zoom.
    const ViewOrigin o = m_view.State().Origin(0, 0);
    m_nMiddleStartX = o.x;
    m_nMiddleStartY = o.y;
    return true;
}

bool CNavigationTool::MouseMove(QMouseEvent& event)
{
    if (!m_bMiddlePanning)
        return false;
    const QPoint d = event.position().toPoint() - m_ptMiddleStart;
    m_view.Camera().SetOriginOffset(static_cast<double>(m_nMiddleStartX + d.x()),
                                    static_cast<double>(m_nMiddleStartY + d.y()));
    m_view.CameraChanged();
    return true;
}

bool CNavigationTool::MouseRelease(QMouseEvent& event)
{
    if (event.button() != Qt::MiddleButton)
        return false;
    m_bMiddlePanning = false;
    return true;
}

bool CNavigationTool::Wheel(QWheelEvent& event)
{
    if (!m_view.Document().IsLoaded())
        return true;
    // Fine-grained wheels send parts of a notch; a step is taken per whole notch.
    m_nWheelDelta += event.angleDelta().y();
    const QPoint point = event.position().toPoint();
    while (m_nWheelDelta >= 120) {
        m_nWheelDelta -= 120;
        ZoomInAt(point);
    }
    while (m_nWheelDelta <= -120) {
        m_nWheelDelta += 120;
        ZoomOutAt(point);
    }
    return true;
}

void CNavigationTool::ZoomInAt(const QPoint& point)
{
    if (m_view.Camera().ZoomInAt(point.x(), point.y(), m_view.width(), m_view.height()))
        AfterZoom(point);
}

void CNavigationTool::ZoomOutAt(const QPoint& point)
{
    if (m_view.Camera().ZoomOutAt(point.x(), point.y(), m_view.width(), m_view.height()))
        AfterZoom(point);
}

void CNavigationTool::AfterZoom(const QPoint& point)
{
    m_view.CameraChanged();
    if (m_bMiddlePanning) {
        // A live pan goes on from here at the new zoom.
        m_ptMiddleStart = point;
        const ViewOrigin n = m_view.State().Origin(0, 0);
        m_nMiddleStartX = n.x;
        m_nMiddleStartY = n.y;
    }
}

} // namespace qm4edit
