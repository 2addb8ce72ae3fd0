#pragma once
// The left button's pan: the picture moves by the drag's length in pixels, added to the pan
// offset in world units, when the button is released in the view, never while it moves. A
// release outside the view leaves the drag pending until a release inside; a click pans
// nothing (the pick tool answers it).

#include <QPoint>

#include "editor/tools/Tool.h"

namespace qm4edit {

class CQM4EditView;

class CDragPanTool final : public CTool {
public:
    explicit CDragPanTool(CQM4EditView& view) : m_view(view) {}

    bool MousePress(QMouseEvent& event) override;
    bool MouseRelease(QMouseEvent& event) override;

    bool IsDragging() const { return m_bDragging; }

private:
    CQM4EditView& m_view;
    QPoint m_ptDragStart;
    bool m_bDragging = false;
};

} // namespace qm4edit
