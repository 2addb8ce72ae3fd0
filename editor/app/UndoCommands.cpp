#include "editor/app/UndoCommands.h"

#include <QAction>

#include "editor/app/Commands.h"
#include "editor/app/EditorStrings.h"
#include "editor/app/MainFrame.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/tools/VertexTool.h"

namespace qm4edit {

void CUndoCommands::ApplyEdit(const char* what, scene::CSceneEdit edit)
{
    edit.Apply(m_doc);
    m_history.Push(what, std::move(edit));
    AfterHistoryStep();
}

void CUndoCommands::OnEditUndo()
{
    m_frame.GetSceneView()->VertexTool().Cancel();
    if (m_history.Undo(m_doc))
        AfterHistoryStep();
}

void CUndoCommands::OnEditRedo()
{
    m_frame.GetSceneView()->VertexTool().Cancel();
    if (m_history.Redo(m_doc))
        AfterHistoryStep();
}

void CUndoCommands::AfterHistoryStep()
{
    // Undoing back to what was saved leaves nothing to save.
    m_doc.SetModifiedFlag(!m_history.IsClean());
    m_frame.UpdateActions();
}

void CUndoCommands::UpdateUndoTexts()
{
    const std::string undo = m_history.UndoText();
    const std::string redo = m_history.RedoText();
    const QString undoText =
        undo.empty() ? QString(UNDO_TEXT) : QString(UNDO_TEXT_STEP).arg(QString::fromStdString(undo));
    const QString redoText =
        redo.empty() ? QString(REDO_TEXT) : QString(REDO_TEXT_STEP).arg(QString::fromStdString(redo));
    if (QAction* a = m_frame.Action(ID_EDIT_UNDO); a && a->text() != undoText)
        a->setText(undoText);
    if (QAction* a = m_frame.Action(ID_EDIT_REDO); a && a->text() != redoText)
        a->setText(redoText);
}

} // namespace qm4edit
