#pragma once
// A short left click in the perspective view picks the face under it: plain, Shift (adds)
// or Ctrl (adds or takes away); Escape clears the picked faces. Like the orthographic
// view's pick tool it only watches the left button and passes the press and release on to
// the orbit after it, so a drag orbits as before and only a click picks.

#include <QPoint>

#include "editor/tools/Tool.h"

namespace qm4edit {

class CPerspectiveView;

class CFacePickTool final : public CTool {
public:
    explicit CFacePickTool(CPerspectiveView& view) : m_view(view) {}

    bool MousePress(QMouseEvent& event) override;
    bool MouseRelease(QMouseEvent& event) override;
    bool KeyPress(QKeyEvent& event) override;
    void Cancel() override { m_bPressed = false; }

private:
    CPerspectiveView& m_view;
    bool m_bPressed = false;
    QPoint m_ptPress;
};

} // namespace qm4edit
