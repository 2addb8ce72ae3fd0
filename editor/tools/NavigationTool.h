#pragma once
// Moving the orthographic view's camera with the wheel and the middle button: each notch of
// the wheel is one zoom step about the pointer, and the picture follows the pointer live
// while the middle button is held.

#include <cstdint>

#include <QPoint>

#include "editor/tools/Tool.h"

namespace qm4edit {

class CQM4EditView;

class CNavigationTool final : public CTool {
public:
    explicit CNavigationTool(CQM4EditView& view) : m_view(view) {}

    bool MousePress(QMouseEvent& event) override;
    bool MouseMove(QMouseEvent& event) override;
    bool MouseRelease(QMouseEvent& event) override;
    bool Wheel(QWheelEvent& event) override;

    // One zoom step about a point of the view; at a limit nothing changes and nothing is
    // repainted.
    void ZoomInAt(const QPoint& point);
    void ZoomOutAt(const QPoint& point);

private:
    void AfterZoom(const QPoint& point);

    CQM4EditView& m_view;
    bool m_bMiddlePanning = false;
    QPoint m_ptMiddleStart;
    std::int64_t m_nMiddleStartX = 0; // the origin's pan offset in pixels when it began
    std::int64_t m_nMiddleStartY = 0;
    int m_nWheelDelta = 0; // eighths of a degree not yet turned into a step
};

} // namespace qm4edit
