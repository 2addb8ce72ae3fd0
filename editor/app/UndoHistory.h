#pragma once
// The editor's undo history: every change to the scene is one CSceneEdit with the words the
// Edit menu shows for it ("Edit Vertex", "CSV Import"). The history remembers which step
// matches the file on disk, so undoing back to it clears the modified flag, and it keeps its
// memory under a byte budget by forgetting the oldest steps first.

#include <cstddef>
#include <deque>
#include <string>

#include "scene/SceneEdit.h"

namespace qm4edit {

class CUndoHistory {
public:
    // A few hundred megabytes: many thousands of ordinary edits, a handful of whole-scene imports.
    static constexpr std::size_t kDefaultBudget = std::size_t{256} << 20;

    explicit CUndoHistory(std::size_t budget = kDefaultBudget) : m_budget(budget) {}

    // Takes an edit that is already applied; steps that were undone are gone for good. An edit
    // that changed nothing is not kept. Returns whether it was kept.
    bool Push(std::string what, scene::CSceneEdit edit);
    bool Undo(scene::CQM4EditDoc& doc);
    bool Redo(scene::CQM4EditDoc& doc);
    // Forgets every step; documentMatchesFile says whether the scene as it stands is the saved one.
    void Clear(bool documentMatchesFile = true);

    bool CanUndo() const { return m_index > 0; }
    bool CanRedo() const { return m_index < m_steps.size(); }
    // Empty when there is nothing to undo or redo.
    std::string UndoText() const { return CanUndo() ? m_steps[m_index - 1].what : std::string(); }
    std::string RedoText() const { return CanRedo() ? m_steps[m_index].what : std::string(); }

    // The document as it stands matches the file last saved (or opened).
    bool IsClean() const { return m_clean == static_cast<long>(m_index); }
    void SetClean() { m_clean = static_cast<long>(m_index); }

    std::size_t StepCount() const { return m_steps.size(); }
    std::size_t ByteSize() const { return m_bytes; }

private:
    struct Step {
        std::string what;
        scene::CSceneEdit edit;
        std::size_t bytes = 0;
    };
    std::deque<Step> m_steps;
    std::size_t m_index = 0; // steps applied
    long m_clean = 0; // -1: the saved state is no longer reachable
    std::size_t m_bytes = 0;
    std::size_t m_budget;
};

} // namespace qm4edit
