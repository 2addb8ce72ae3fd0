#pragma once
// The right pane: an orthographic view of every vertex of the scene, with the tree's
// selection outlined beneath them. It paints, keeps the camera, the colours and the grid,
// and hands every mouse and key event down its chain of tools (editor/tools/): navigation
// (the wheel, the middle button's live pan), the vertex tool, click-to-pick, and the left
// button's pan that is applied when the button is released. Projection, zoom, reset and
// colours come from the main frame.

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "editor/ortho/ViewRenderer.h"
#include "editor/ortho/ViewTexts.h"
#include "editor/tools/Tool.h"
#include "scene/VertexEdit.h"

namespace qm4edit {

class ISceneSelection;
class CPickIndex;
class CNavigationTool;
class CDragPanTool;
class CVertexTool;

class CQM4EditView final : public QWidget {
    Q_OBJECT

public:
    static constexpr float MIN_ZOOM = COrthoCamera::MIN_ZOOM;
    static constexpr float MAX_ZOOM = COrthoCamera::MAX_ZOOM;
    static constexpr float DEFAULT_ZOOM = COrthoCamera::DEFAULT_ZOOM;
    static constexpr int CLICK_SLOP = qm4edit::CLICK_SLOP;
    // How near to a vertex a click must land to pick it.
    static constexpr int PICK_RADIUS = 4;
    static constexpr int FIT_MARGIN = COrthoCamera::FIT_MARGIN;
    static constexpr double FIT_LIMIT = COrthoCamera::FIT_LIMIT;

    // Reads the colours and the wireframe switch from section "Settings".
    explicit CQM4EditView(const scene::CQM4EditDoc& doc, QWidget* parent = nullptr);
    // Writes them back, changed or not.
    ~CQM4EditView() override;

    // Asked for the tree's selection while painting. Not owned; null draws no selection.
    void SetSelection(const ISceneSelection* selection) { m_pSelection = selection; }

    void ZoomIn();
    void ZoomOut();
    void ResetView();
    void SetProjection(Projection projection);
    Projection GetProjection() const { return m_state.projection; }

    void SetMainColor(std::uint32_t c);
    void SetExtraColor1(std::uint32_t c);
    void SetExtraColor2(std::uint32_t c);
    void SetHiliteColor(std::uint32_t c);
    std::uint32_t GetMainColor() const { return m_state.mainColor; }
    std::uint32_t GetExtraColor1() const { return m_state.extraColor1; }
    std::uint32_t GetExtraColor2() const { return m_state.extraColor2; }
    std::uint32_t GetHiliteColor() const { return m_state.hiliteColor; }

    // ---- navigation and reading beyond the menu's zoom steps ----
    // One zoom step about a point of the view: the world point under it stays under it.
    // At a limit nothing changes and nothing is repainted.
    void ZoomInAt(const QPoint& point);
    void ZoomOutAt(const QPoint& point);
    // The largest zoom step at which every finite vertex fits, centred; an empty scene
    // resets the view.
    void FitScene();
    // The same for the vertices of the tree's selection; with none, nothing changes.
    void FitSelection();
    void SetWireframe(bool on);
    bool IsWireframe() const { return m_state.wireframe; }
    void SetWireColor(std::uint32_t c);
    std::uint32_t GetWireColor() const { return m_state.wireColor; }

    // The vertex a click at point would pick, or -1.
    int PickVertex(const QPoint& point) const;

    // The texts of the status panes (editor/ortho/ViewTexts.h): projection, zoom factor,
    // world point under the pointer (empty while the pointer is outside the view or nothing
    // is loaded), grid.
    QString ProjectionText() const { return qm4edit::ProjectionText(m_state.projection); }
    QString ZoomText() const { return qm4edit::ZoomText(m_state); }
    QString PointerText() const;
    QString GridText() const { return qm4edit::GridText(m_state.grid, m_state.gridStep); }

    // Invalidates the whole view; it is painted again at the next paint.
    void Redraw();
    // The document changed: what the pick index knows of the vertices is stale.
    void OnUpdate();

    float GetZoom() const { return m_state.zoom; }
    int GetPanX() const { return static_cast<int>(m_state.panX); }
    int GetPanY() const { return static_cast<int>(m_state.panY); }
    // A left-button pan waits for its release.
    bool IsDragging() const;
    const ViewState& State() const { return m_state; }
    // How many times the view asked to be repainted; lets tests tell "no repaint" apart.
    int RedrawCount() const { return m_nRedrawCount; }

    // The picture at the view's current size, as it is painted.
    void RenderTo(QImage& image) const;

    // ---- the vertex tool ----
    // While on, a left drag on a vertex moves it (and the other selected ones) on the
    // projection's two axes, and a left drag on empty space selects the vertices inside its
    // band; the arrow keys nudge the selection by the grid step. While off, the left button
    // pans as before. Its switch, selection and edit target are the tool's own.
    CVertexTool& VertexTool() const { return *m_pVertexTool; }

    // ---- the grid ----
    // Steps are powers of two from 1/8 to 4096 world units.
    static constexpr int MIN_GRID_EXPONENT = -3;
    static constexpr int MAX_GRID_EXPONENT = 12;
    static constexpr int DEFAULT_GRID_EXPONENT = 0;
    // While on, the orthographic view shows the grid and moves land on its points.
    void SetGrid(bool on);
    bool IsGrid() const { return m_state.grid; }
    float GridStep() const { return m_state.gridStep; }
    // The nearest allowed power of two; a value that is no positive number is ignored.
    void SetGridStep(double step);
    // False (and no change) at the limits.
    bool CanHalveGridStep() const { return m_state.gridStep > std::ldexp(1.0f, MIN_GRID_EXPONENT); }
    bool CanDoubleGridStep() const { return m_state.gridStep < std::ldexp(1.0f, MAX_GRID_EXPONENT); }
    void HalveGridStep();
    void DoubleGridStep();
    // A world coordinate on the grid, nearest to value.
    double ToGrid(double value) const;

    // ---- for the tools ----
    const scene::CQM4EditDoc& Document() const { return m_doc; }
    COrthoCamera& Camera() { return m_state; }
    // The camera moved: repaint and update the status panes.
    void CameraChanged();
    void ReportPick(int vertexIndex) { emit VertexPicked(vertexIndex); }
    void ReportStatus(const QString& text) { emit StatusMessage(text); }

signals:
    // A click landed on vertex vertexIndex.
    void VertexPicked(int vertexIndex);
    // Projection, zoom, pan, the grid or the pointer moved: the status panes read the view again.
    void ViewStatusChanged();
    // A message for the status bar's first pane; empty clears it.
    void StatusMessage(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Frames the box, or returns false when it holds no point.
    bool Fit(const FitBox& box);

    const scene::CQM4EditDoc& m_doc;
    const ISceneSelection* m_pSelection = nullptr;
    ViewState m_state;
    int m_nRedrawCount = 0;
    QImage m_image; // reused between paints
    QPoint m_ptPointer;
    bool m_bPointerInside = false;
    // One per projection, built at the first pick and dropped when the document changes.
    mutable std::array<std::unique_ptr<CPickIndex>, 3> m_pickIndex;

    CToolChain m_tools;
    CNavigationTool* m_pNavigation = nullptr;
    CVertexTool* m_pVertexTool = nullptr;
    CDragPanTool* m_pDragPan = nullptr;
};

} // namespace qm4edit
