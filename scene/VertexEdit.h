#pragma once
// Undoable vertex edits: the core of every undo command that moves vertices (Edit Vertex,
// a CSV or model import, a drag, a nudge).
//
// A record holds the vertices it moves with their positions before and after, and the bounds
// bytes its recompute overwrote. Revert puts those bytes back as they were, never recomputing
// its way back, because a file's stored boxes need not equal a recompute; so editing, undoing
// and saving writes the file that was opened, byte for byte. Apply again (redo) recomputes,
// which gives the first Apply's bytes, since the document stands exactly where it stood then.
// Memory follows what changed: the moved vertices, the tree nodes and boxes whose bytes the
// recompute altered, and the scene bounds nodes above them.

#include <cstddef>
#include <span>
#include <vector>

#include "scene/QM4EditDoc.h"

namespace scene {

class CVertexEdit {
public:
    CVertexEdit() = default;
    // The positions to set. A vertex named twice ends at its last position; indices outside
    // the vertex list, and positions a vertex already holds bit for bit, are dropped at the
    // first Apply.
    explicit CVertexEdit(std::vector<VertexChange> changes);

    // Stores the new positions and recomputes the boxes, leaving the bytes UpdateGeometry
    // would (see CQM4EditDoc::UpdateGeometryFor), recording the bytes it overwrites the first
    // time. An edit that moves no vertex changes nothing, stale boxes included. Sets the
    // modified flag when a position changed; updates the views once. Does nothing while
    // applied.
    void Apply(CQM4EditDoc& doc);
    // Puts back the positions and bounds bytes as they were before Apply. Sets the modified
    // flag when a position changed; updates the views once. Does nothing unless applied.
    void Revert(CQM4EditDoc& doc);

    bool IsApplied() const { return m_applied; }
    // Known after the first Apply: whether any position changed. A record without effect
    // need not be kept (an undo command holding it can make itself obsolete).
    bool HasEffect() const { return !m_indices.empty(); }
    // The vertices that really move (after the first Apply), ascending.
    std::span<const int> MovedVertices() const { return m_indices; }
    // Memory the record holds, for bounding an undo history.
    std::size_t ByteSize() const;

private:
    friend class CSceneEdit;
    // Apply and Revert, telling the views only when asked (a scene edit tells them once).
    void Apply(CQM4EditDoc& doc, bool notify);
    void Revert(CQM4EditDoc& doc, bool notify);
    void Capture(const CQM4EditDoc& doc);

    struct Positions {
        ObjectVertex before;
        ObjectVertex after;
    };
    std::vector<VertexChange> m_requested; // until the first Apply
    std::vector<int> m_indices;
    std::vector<Positions> m_positions; // one per index
    ObjectBoundsLog m_objectLog;
    SceneBoundsLog m_sceneLog;
    // What the document knew of its boxes before Apply; Revert puts that back with the bytes.
    CQM4EditDoc::BoundsState m_boundsBefore = CQM4EditDoc::BoundsState::Unknown;
    bool m_captured = false;
    bool m_applied = false;
};

// A live drag of some vertices: every frame moves them without recomputing boxes (cheap
// enough for each mouse move); Finish turns the whole drag into one CVertexEdit.
class CVertexDrag {
public:
    // Remembers where the vertices stand. Indices outside the list and repeats are dropped.
    CVertexDrag(CQM4EditDoc& doc, std::vector<int> vertices);
    ~CVertexDrag();
    CVertexDrag(const CVertexDrag&) = delete;
    CVertexDrag& operator=(const CVertexDrag&) = delete;

    // Each vertex moves to its start position plus the offset; views are updated once.
    void MoveBy(float dx, float dy, float dz);
    // Each vertex moves to the position of the same rank; views are updated once.
    void MoveTo(std::span<const ObjectVertex> positions);
    // Back where the drag started, bit for bit; views are updated once.
    void Cancel();
    // Puts the vertices back where the drag started (views not updated) and returns the
    // record that moves them to where the drag left them, not yet applied: push it on the
    // undo stack, whose first redo applies it.
    CVertexEdit Finish();

    std::span<const int> Vertices() const { return m_indices; }
    // Where each of Vertices() stood when the drag began.
    std::span<const ObjectVertex> StartPositions() const { return m_start; }

private:
    void Store(std::span<const VertexChange> positions);

    CQM4EditDoc& m_doc;
    std::vector<int> m_indices;
    std::vector<ObjectVertex> m_start;
};

} // namespace scene
