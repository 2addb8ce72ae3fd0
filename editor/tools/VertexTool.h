#pragma once
// The vertex tool. While on, a left drag on a vertex moves it (and the other selected ones)
// on the projection's two axes, landing on the grid while it shows and, with Ctrl, on
// another vertex near the pointer; a left drag on empty space selects the vertices inside
// its band (Shift adds, Ctrl toggles); the arrow keys nudge the selection by the grid step
// (ten with Shift); Escape puts a drag back. A finished move goes to the view's edit target
// as one undoable step. While off, it lets every event pass.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QPoint>
#include <QRect>

#include "editor/ortho/ViewRenderer.h"
#include "editor/tools/Tool.h"
#include "scene/VertexEdit.h"

namespace qm4edit {

class CPickIndex;
class CQM4EditView;

class CVertexTool final : public CTool {
public:
    // How near (in pixels) another vertex must be for Ctrl to snap a dragged vertex onto it.
    static constexpr int SNAP_RADIUS = 8;
    using EditCommit = std::function<void(const char* what, scene::CVertexEdit edit)>;

    explicit CVertexTool(CQM4EditView& view);
    ~CVertexTool() override;

    bool MousePress(QMouseEvent& event) override;
    bool MouseMove(QMouseEvent& event) override;
    bool MouseRelease(QMouseEvent& event) override;
    bool KeyPress(QKeyEvent& event) override;
    bool KeyRelease(QKeyEvent& event) override;
    // Puts a drag in progress back where it began and drops a band.
    void Cancel() override;
    // The selection's marks and the band.
    void DrawOverlay(QPaintDevice& device) const override;

    void SetEditTarget(scene::CQM4EditDoc* doc, EditCommit commit);
    void SetActive(bool on);
    bool IsActive() const { return m_bActive; }
    // Ascending vertex indices.
    const std::vector<int>& Selected() const { return m_selected; }
    void SetSelected(std::vector<int> vertices);
    bool IsMoving() const { return m_drag.has_value(); }
    int SnapVertex() const { return m_nSnapVertex; }
    // What the frames of a drag share; the view's renderer draws with it.
    DragBackdrop* Backdrop() const { return &m_backdrop; }
    // The document changed: the selection loses the vertices it no longer has.
    void DocumentChanged();

private:
    void Move(const QPoint& point, Qt::KeyboardModifiers modifiers);
    void Release(const QPoint& point, Qt::KeyboardModifiers modifiers);
    // The other vertex within SNAP_RADIUS pixels of pixel, or -1; vertices being dragged are
    // never a target.
    int FindSnapTarget(const QPoint& pixel) const;
    void SetSnapVertex(int vertex);
    void SelectInBand(const QRect& band, Qt::KeyboardModifiers modifiers);
    void Nudge(int dh, int dv, float step);

    CQM4EditView& m_view;
    scene::CQM4EditDoc* m_pEditDoc = nullptr;
    EditCommit m_commit;
    bool m_bActive = false;
    std::vector<int> m_selected;
    std::optional<scene::CVertexDrag> m_drag;
    mutable DragBackdrop m_backdrop; // while m_drag: what its frames share
    QPoint m_ptToolStart;
    bool m_bBanding = false;
    QRect m_band;
    Qt::KeyboardModifiers m_bandModifiers;
    int m_nGrabbed = -1; // the vertex the drag holds
    scene::ObjectVertex m_grabStart{};
    int m_nSnapVertex = -1;
    // Built at the first Ctrl-snap of a drag from the vertices that stay put.
    mutable std::unique_ptr<CPickIndex> m_snapIndex;
    QPoint m_ptToolLast;
};

} // namespace qm4edit
