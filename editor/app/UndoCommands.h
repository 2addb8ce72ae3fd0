#pragma once
// Edit > Undo and Redo over the editor's history, and the one way an edit reaches the scene:
// applied, kept as one step named for the Edit menu, and the modified flag following whether
// the history stands where the file was last saved.

#include "editor/app/UndoHistory.h"

namespace qm4edit {

class CMainFrame;

class CUndoCommands {
public:
    // The frame's scene view gives up a drag before a step is undone, and its update pass runs
    // after every step.
    CUndoCommands(CMainFrame& frame, scene::CQM4EditDoc& doc) : m_frame(frame), m_doc(doc) {}

    // Applies the edit and keeps it as one undoable step named what ("Edit Vertex").
    void ApplyEdit(const char* what, scene::CSceneEdit edit);
    void OnEditUndo();
    void OnEditRedo();
    // The Undo and Redo items name the step they would take back or do again.
    void UpdateUndoTexts();

    CUndoHistory& History() { return m_history; }
    const CUndoHistory& History() const { return m_history; }

private:
    void AfterHistoryStep();

    CMainFrame& m_frame;
    scene::CQM4EditDoc& m_doc;
    CUndoHistory m_history;
};

} // namespace qm4edit
