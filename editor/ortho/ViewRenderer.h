#pragma once
// The viewport's picture, drawn straight into an image buffer. Kept apart from the widget so
// the drawing can be checked pixel by pixel and timed without a window.

#include <cstdint>
#include <span>
#include <vector>

#include <QImage>

#include "editor/ortho/OrthoCamera.h"
#include "scene/SceneRecords.h"

namespace qm4edit {

class ISceneSelection;

// Colours are 0x00BBGGRR. A vertex colour of exactly 0x00FFFFFF is not drawn at all.
inline constexpr std::uint32_t COLOR_NOT_DRAWN = 0x00FFFFFF;
inline constexpr std::uint32_t DEFAULT_MAIN_COLOR = 0x00000000;
inline constexpr std::uint32_t DEFAULT_EXTRA_COLOR1 = 0x00808080;
inline constexpr std::uint32_t DEFAULT_EXTRA_COLOR2 = 0x00FFFFFF;
inline constexpr std::uint32_t DEFAULT_HILITE_COLOR = 0x000000FF;
inline constexpr std::uint32_t DEFAULT_WIRE_COLOR = 0x00C0C0C0;
// What the view shows where nothing is drawn, as an erased window would.
inline constexpr std::uint32_t BACKGROUND_COLOR = 0x00FFFFFF;
inline constexpr std::uint32_t GRID_COLOR = 0x00EEE6E0;
// Every eighth line, and the world's axes, a little darker.
inline constexpr std::uint32_t GRID_MAJOR_COLOR = 0x00D8CCC4;
// Grid lines closer than this many pixels are drawn at a multiple of the step instead.
inline constexpr double GRID_MIN_SPACING = 6.0;

// What a picture is drawn from: where the camera looks, and the colours and switches.
struct ViewState : COrthoCamera {
    std::uint32_t mainColor = DEFAULT_MAIN_COLOR;
    std::uint32_t extraColor1 = DEFAULT_EXTRA_COLOR1;
    std::uint32_t extraColor2 = DEFAULT_EXTRA_COLOR2;
    std::uint32_t hiliteColor = DEFAULT_HILITE_COLOR;
    // Every polygon outlined beneath the selection; white draws nothing, like the extra colours.
    bool wireframe = false;
    std::uint32_t wireColor = DEFAULT_WIRE_COLOR;
    // Lines at every multiple of gridStep world units on both axes, beneath everything else.
    bool grid = false;
    float gridStep = 1.0f;

    bool operator==(const ViewState&) const = default;
};

// What every frame of a vertex drag shares with the wireframe on, drawn once: the background,
// the grid and the outline of every polygon that uses none of the moving vertices. A frame
// copies it and outlines only the polygons that do. Outlines share one colour and lie beneath
// everything else, so the picture is the one a full render gives.
class DragBackdrop {
public:
    // Marks the moving vertices. The polygons that use them are collected, and the picture
    // drawn, by the first render with the wireframe on, so a drag without it costs nothing.
    void Start(std::span<const int> moving);
    void Clear();
    bool Active() const { return m_active; }

private:
    friend void RenderScene(QImage&, const ViewState&, std::span<const scene::ObjectVertex>, bool,
                            const ISceneSelection*, std::span<const scene::ObjectRecord>, DragBackdrop*);
    bool m_active = false;
    std::vector<std::uint8_t> m_moving; // per vertex a polygon can name
    scene::ObjectRecord m_movingPolygons; // every polygon with a moving corner, in one list
    bool m_collected = false;
    QImage m_image; // null until drawn
    ViewState m_state;
};

// 0x00BBGGRR -> an opaque QRgb.
inline QRgb RgbFromColorref(std::uint32_t c)
{
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// Where a world point lands, in image pixels (may lie outside the image). False when the
// point is so far away (or not a number) that it cannot be on any screen.
inline bool ProjectToPixel(const COrthoCamera& camera, int width, int height, const scene::ObjectVertex& v,
                           std::int64_t& px, std::int64_t& py)
{
    return camera.ToPixel(v, width, height, px, py);
}

inline ViewOrigin MakeViewOrigin(const COrthoCamera& camera, int width, int height)
{
    return camera.Origin(width, height);
}

// The horizontal and vertical world coordinates a projection shows.
inline void ProjectionAxes(int projection, const scene::ObjectVertex& v, float& h, float& w)
{
    COrthoCamera::Axes(static_cast<Projection>(projection), v, h, w);
}

// Erases image to the background and, when loaded, draws the grid (when on), (with the wireframe on) every
// polygon of objects, then the selection's outlines, then every vertex. image must be
// Format_RGB32. selection may be null (nothing selected). An active backdrop, during a drag,
// spares redrawing what the drag does not move.
void RenderScene(QImage& image, const ViewState& state, std::span<const scene::ObjectVertex> vertices, bool loaded,
                 const ISceneSelection* selection, std::span<const scene::ObjectRecord> objects = {},
                 DragBackdrop* backdrop = nullptr);

// A one-pixel line between two image pixels, both ends included, cut to the image: the
// same pixels the view's outlines use.
void DrawViewLine(QImage& image, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, QRgb color);

} // namespace qm4edit
