#pragma once
// The viewport's picture, drawn straight into an image buffer. Kept apart from the widget so
// the drawing can be checked pixel by pixel and timed without a window.

#include <cstdint>
#include <span>

#include <QImage>

#include "EditorTypes.h"
#include "scene/SceneRecords.h"

namespace qm4edit {

class ISceneSelection;

// Colours are 0x00BBGGRR. A vertex colour of exactly 0x00FFFFFF is not drawn at all.
inline constexpr std::uint32_t COLOR_NOT_DRAWN = 0x00FFFFFF;
inline constexpr std::uint32_t DEFAULT_MAIN_COLOR = 0x00000000;
inline constexpr std::uint32_t DEFAULT_EXTRA_COLOR1 = 0x00808080;
inline constexpr std::uint32_t DEFAULT_EXTRA_COLOR2 = 0x00FFFFFF;
inline constexpr std::uint32_t DEFAULT_HILITE_COLOR = 0x000000FF;
// What the view shows where nothing is drawn, as an erased window would.
inline constexpr std::uint32_t BACKGROUND_COLOR = 0x00FFFFFF;

struct ViewState {
    Projection projection = Projection::Top;
    float zoom = 8.0f;  // pixels per world unit times 8
    int panX = 0;       // world units
    int panY = 0;
    std::uint32_t mainColor = DEFAULT_MAIN_COLOR;
    std::uint32_t extraColor1 = DEFAULT_EXTRA_COLOR1;
    std::uint32_t extraColor2 = DEFAULT_EXTRA_COLOR2;
    std::uint32_t hiliteColor = DEFAULT_HILITE_COLOR;
};

// 0x00BBGGRR -> an opaque QRgb.
inline QRgb RgbFromColorref(std::uint32_t c)
{
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// Where a world point lands, in image pixels (may lie outside the image). False when the
// point is so far away (or not a number) that it cannot be on any screen.
bool ProjectToPixel(const ViewState& state, int width, int height, const scene::ObjectVertex& v, std::int64_t& px,
                    std::int64_t& py);

// Erases image to the background and, when loaded, draws the selection's outlines and then
// every vertex. image must be Format_RGB32. selection may be null (nothing selected).
void RenderScene(QImage& image, const ViewState& state, std::span<const scene::ObjectVertex> vertices, bool loaded,
                 const ISceneSelection* selection);

} // namespace qm4edit
