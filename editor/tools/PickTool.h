#pragma once
// A short left click picks the vertex under it: the view reports it, and the frame selects
// it in the tree. The tool only watches the left button: it passes the press and release on
// to the pan that comes after it in the chain, which leaves a click unpanned.

#include <QPoint>

#include "editor/tools/Tool.h"

namespace qm4edit {

class CQM4EditView;

class CPickTool final : public CTool {
public:
    explicit CPickTool(CQM4EditView& view) : m_view(view) {}

    bool MousePress(QMouseEvent& event) override;
    bool MouseRelease(QMouseEvent& event) override;

private:
    CQM4EditView& m_view;
    bool m_bPressed = false;
    QPoint m_ptPress;
};

} // namespace qm4edit
