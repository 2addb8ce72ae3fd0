#include "editor/tools/OrbitTools.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include "editor/perspective/PerspectiveView.h"

namespace qm4edit {

bool COrbitTool::MousePress(QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton && event.button() != Qt::MiddleButton)
        return false;
    m_dragButton = event.button();
    m_lastPos = event.position().toPoint();
    return true;
}

bool COrbitTool::MouseMove(QMouseEvent& event)
{
    if (m_dragButton == Qt::NoButton)
        return false;
    const QPoint pos = event.position().toPoint();
    const QPoint d = pos - m_lastPos;
    m_lastPos = pos;
    if (m_dragButton == Qt::LeftButton)
        m_view.Camera().Orbit(float(d.x()), float(d.y()));
    else
        m_view.Camera().Pan(float(d.x()), float(d.y()), m_view.height());
    m_view.Redraw();
    return true;
}

bool COrbitTool::MouseRelease(QMouseEvent& event)
{
    if (event.button() != m_dragButton)
        return false;
    m_dragButton = Qt::NoButton;
    return true;
}

bool CPerspectiveZoomTool::Wheel(QWheelEvent& event)
{
    const float steps = float(event.angleDelta().y()) / 120.0f;
    if (steps == 0.0f)
        return false;
    const QPointF p = event.position();
    m_view.Camera().ZoomAt(steps, float(p.x()), float(p.y()), m_view.width(), m_view.height());
    m_view.Redraw();
    return true;
}

} // namespace qm4edit
