#include "editor/tools/PickTool.h"

#include <QMouseEvent>

#include "editor/ortho/QM4EditView.h"

namespace qm4edit {

bool CPickTool::MousePress(QMouseEvent& event)
{
    if (event.button() == Qt::LeftButton) {
        m_bPressed = true;
        m_ptPress = event.position().toPoint();
    }
    return false;
}

bool CPickTool::MouseRelease(QMouseEvent& event)
{
    const QPoint point = event.position().toPoint();
    // A release outside the view leaves the press pending, as it does the pan.
    if (event.button() != Qt::LeftButton || !m_bPressed || !m_view.rect().contains(point))
        return false;
    m_bPressed = false;
    if (IsClick(m_ptPress, point)) {
        const int vertex = m_view.PickVertex(point);
        if (vertex >= 0)
            m_view.ReportPick(vertex);
    }
    return false;
}

} // namespace qm4edit
