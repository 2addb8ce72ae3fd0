#pragma once
// The perspective view's camera tools. The left button orbits about the target and the
// middle button pans, one drag at a time: a press of either takes over from the other. The
// wheel moves towards the point under the pointer.

#include <QPoint>

#include "editor/tools/Tool.h"

namespace qm4edit {

class CPerspectiveView;

class COrbitTool final : public CTool {
public:
    explicit COrbitTool(CPerspectiveView& view) : m_view(view) {}

    bool MousePress(QMouseEvent& event) override;
    bool MouseMove(QMouseEvent& event) override;
    bool MouseRelease(QMouseEvent& event) override;
    void Cancel() override { m_dragButton = Qt::NoButton; }

private:
    CPerspectiveView& m_view;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_lastPos;
};

class CPerspectiveZoomTool final : public CTool {
public:
    explicit CPerspectiveZoomTool(CPerspectiveView& view) : m_view(view) {}

    bool Wheel(QWheelEvent& event) override;

private:
    CPerspectiveView& m_view;
};

} // namespace qm4edit
