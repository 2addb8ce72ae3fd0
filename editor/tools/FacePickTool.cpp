#include "editor/tools/FacePickTool.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "editor/perspective/PerspectiveView.h"

namespace qm4edit {

bool CFacePickTool::MousePress(QMouseEvent& event)
{
    if (event.button() == Qt::LeftButton) {
        m_bPressed = true;
        m_ptPress = event.position().toPoint();
    }
    return false;
}

bool CFacePickTool::MouseRelease(QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton || !m_bPressed)
        return false;
    m_bPressed = false;
    const QPoint point = event.position().toPoint();
    if (!IsClick(m_ptPress, point))
        return false; // the end of an orbit
    const Qt::KeyboardModifiers mods = event.modifiers();
    const FacePick how = mods.testFlag(Qt::ControlModifier) ? FacePick::Toggle
        : mods.testFlag(Qt::ShiftModifier)                  ? FacePick::Add
                                                            : FacePick::Replace;
    m_view.PickFaceAt(event.position(), how);
    return false;
}

bool CFacePickTool::KeyPress(QKeyEvent& event)
{
    if (event.key() != Qt::Key_Escape || event.modifiers() != Qt::NoModifier || !m_view.HasPickedFaces())
        return false;
    m_view.ClearPickedFaces();
    return true;
}

} // namespace qm4edit
