#include "editor/app/UndoHistory.h"

namespace qm4edit {

bool CUndoHistory::Push(std::string what, scene::CSceneEdit edit)
{
    if (!edit.HasEffect())
        return false;
    while (m_steps.size() > m_index) {
        m_bytes -= m_steps.back().bytes;
        m_steps.pop_back();
    }
    // The saved state lay among the steps just dropped: no undo or redo reaches it again.
    if (m_clean > static_cast<long>(m_index))
        m_clean = -1;
    const std::size_t bytes = edit.ByteSize() + what.size();
    m_steps.push_back({std::move(what), std::move(edit), bytes});
    m_bytes += bytes;
    ++m_index;
    // The newest step always stays, however large: it is the one the user most expects back.
    while (m_bytes > m_budget && m_steps.size() > 1) {
        m_bytes -= m_steps.front().bytes;
        m_steps.pop_front();
        --m_index;
        m_clean = m_clean > 0 ? m_clean - 1 : -1;
    }
    return true;
}

bool CUndoHistory::Undo(scene::CQM4EditDoc& doc)
{
    if (!CanUndo())
        return false;
    m_steps[--m_index].edit.Revert(doc);
    return true;
}

bool CUndoHistory::Redo(scene::CQM4EditDoc& doc)
{
    if (!CanRedo())
        return false;
    m_steps[m_index++].edit.Apply(doc);
    return true;
}

void CUndoHistory::Clear(bool documentMatchesFile)
{
    m_steps.clear();
    m_index = 0;
    m_clean = documentMatchesFile ? 0 : -1;
    m_bytes = 0;
}

} // namespace qm4edit
