#pragma once
// The right pane: an orthographic view of every vertex of the scene, with the tree's
// selection outlined beneath them. Pans by dragging with the left button (applied when the
// button is released); projection, zoom, reset and colours come from the main frame.

#include <cstdint>

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "ViewRenderer.h"

namespace scene {
class CQM4EditDoc;
}

namespace qm4edit {

class ISceneSelection;

class CQM4EditView final : public QWidget {
    Q_OBJECT

public:
    static constexpr float MIN_ZOOM = 0.25f;
    static constexpr float MAX_ZOOM = 1024.0f;
    static constexpr float DEFAULT_ZOOM = 8.0f;

    // Reads the four colours from section "Settings" of the program's settings.
    explicit CQM4EditView(const scene::CQM4EditDoc& doc, QWidget* parent = nullptr);
    // Writes the four colours back, changed or not.
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

    // Invalidates the whole view; it is painted again at the next paint.
    void Redraw();
    // The document changed.
    void OnUpdate() { Redraw(); }

    float GetZoom() const { return m_state.zoom; }
    int GetPanX() const { return m_state.panX; }
    int GetPanY() const { return m_state.panY; }
    bool IsDragging() const { return m_bDragging; }
    const ViewState& State() const { return m_state; }
    // How many times the view asked to be repainted; lets tests tell "no repaint" apart.
    int RedrawCount() const { return m_nRedrawCount; }

    // The picture at the view's current size, as it is painted.
    void RenderTo(QImage& image) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const scene::CQM4EditDoc& m_doc;
    const ISceneSelection* m_pSelection = nullptr;
    QPoint m_ptDragStart;
    bool m_bDragging = false;
    ViewState m_state;
    int m_nRedrawCount = 0;
    QImage m_image; // reused between paints
};

} // namespace qm4edit
