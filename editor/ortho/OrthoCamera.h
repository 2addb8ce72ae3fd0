#pragma once
// Where the orthographic view looks from: the projection, the zoom value and the pan offset,
// with the arithmetic between world coordinates and client pixels that the drawing, the
// picking and every mouse tool share. A plain value without a widget.
//
// The picture's rules, all of them here: the zoom factor s is zoom / 8 pixels per world unit;
// the origin (world 0 on both axes) lands at (W / 2 + trunc(panX * s), H / 2 + trunc(panY * s))
// of a W x H view, the halving an integer division; a world point lands trunc(s * h) pixels
// right of it and trunc(s * v) pixels above it, the negation after truncation. trunc cuts
// towards zero, as a cast does.

#include <cstdint>
#include <limits>

#include "editor/EditorTypes.h"
#include "scene/SceneRecords.h"

namespace qm4edit {

// The client pixel where the origin lands, and the zoom factor.
struct ViewOrigin {
    double s;
    std::int64_t x;
    std::int64_t y;
};

// The extent of a set of points on one projection's two axes.
struct FitBox {
    double hmin = std::numeric_limits<double>::max();
    double hmax = std::numeric_limits<double>::lowest();
    double vmin = std::numeric_limits<double>::max();
    double vmax = std::numeric_limits<double>::lowest();

    // Takes the point in unless a coordinate is not finite or lies beyond FIT_LIMIT: such a
    // vertex is taken for damage and would shrink everything else to a dot.
    void Add(Projection projection, const scene::ObjectVertex& v);
    bool Empty() const { return hmin > hmax || vmin > vmax; }
};

struct COrthoCamera {
    static constexpr float MIN_ZOOM = 0.25f;
    static constexpr float MAX_ZOOM = 1024.0f;
    static constexpr float DEFAULT_ZOOM = 8.0f;
    // Pixels kept free around what a fit frames.
    static constexpr int FIT_MARGIN = 8;
    static constexpr double FIT_LIMIT = 1e7;
    // Far beyond any screen, yet small enough that offsets added to it stay exact in 64 bits.
    static constexpr double FAR_AWAY = 1099511627776.0; // 2^40

    Projection projection = Projection::Top;
    float zoom = DEFAULT_ZOOM; // pixels per world unit times 8
    // World units. Dragging keeps them whole; zooming about a point and fitting may leave
    // fractions, so that a point can be placed to the pixel at any zoom.
    double panX = 0;
    double panY = 0;

    bool operator==(const COrthoCamera&) const = default;

    double Scale() const { return static_cast<double>(zoom) / 8.0; }

    // The horizontal and vertical world coordinates a projection shows.
    template <Projection P>
    static void Axes(const scene::ObjectVertex& v, float& h, float& w)
    {
        if constexpr (P == Projection::Top) {
            h = v.x;
            w = v.z;
        } else if constexpr (P == Projection::Front) {
            h = v.x;
            w = v.y;
        } else {
            h = v.z;
            w = v.y;
        }
    }
    static void Axes(Projection projection, const scene::ObjectVertex& v, float& h, float& w)
    {
        switch (projection) {
        case Projection::Front: Axes<Projection::Front>(v, h, w); break;
        case Projection::Side: Axes<Projection::Side>(v, h, w); break;
        default: Axes<Projection::Top>(v, h, w); break;
        }
    }
    // v with its coordinates on the projection's two axes replaced; the hidden one stays.
    static scene::ObjectVertex WithAxes(Projection projection, scene::ObjectVertex v, float h, float w);

    ViewOrigin Origin(int width, int height) const
    {
        const double s = Scale();
        // The casts truncate towards zero; the halving is integer division.
        return {s, width / 2 + static_cast<std::int64_t>(panX * s), height / 2 + static_cast<std::int64_t>(panY * s)};
    }
    // Where the world point (h, w) on the projection's axes lands. False when it is so far
    // away (or not a number) that it cannot be on any screen.
    static bool Place(const ViewOrigin& o, float h, float w, std::int64_t& px, std::int64_t& py)
    {
        const double dh = o.s * static_cast<double>(h);
        const double dv = o.s * static_cast<double>(w);
        if (!(dh > -FAR_AWAY && dh < FAR_AWAY && dv > -FAR_AWAY && dv < FAR_AWAY))
            return false;
        px = o.x + static_cast<std::int64_t>(dh);
        py = o.y - static_cast<std::int64_t>(dv); // screen y grows downwards
        return true;
    }
    // The column of horizontal world coordinate h and the row of vertical one v, for a
    // caller that knows them to be near enough (grid lines).
    static std::int64_t Column(const ViewOrigin& o, double h) { return o.x + static_cast<std::int64_t>(o.s * h); }
    static std::int64_t Row(const ViewOrigin& o, double v) { return o.y - static_cast<std::int64_t>(o.s * v); }
    // The pixel offset of one world coordinate from the origin, clamped to FAR_AWAY: it grows
    // with the coordinate, as truncation does, so the corners of a box bound what it holds.
    static std::int64_t ClampedOffset(double s, float c)
    {
        const double d = s * static_cast<double>(c);
        return static_cast<std::int64_t>(d < -FAR_AWAY ? -FAR_AWAY : (d > FAR_AWAY ? FAR_AWAY : d));
    }
    // Where a vertex lands in a width x height view (maybe outside it).
    bool ToPixel(const scene::ObjectVertex& v, int width, int height, std::int64_t& px, std::int64_t& py) const;
    // The world point on the projection's axes under client pixel (px, py).
    void ToWorld(int px, int py, int width, int height, double& h, double& v) const;
    // The world offset (x, y, z) of a move by (dx, dy) pixels; the hidden axis stays 0.
    scene::ObjectVertex ScreenDelta(double dx, double dy) const;

    // One zoom step about the view's centre. False at a limit, where the zoom value is set
    // to that limit and nothing else changes.
    bool ZoomIn();
    bool ZoomOut();
    // One zoom step about client pixel (px, py): the world point under it stays under it.
    bool ZoomInAt(int px, int py, int width, int height);
    bool ZoomOutAt(int px, int py, int width, int height);
    // Zoom value 8, no pan, the top projection.
    void Reset();

    // Puts the origin the whole pixels (x, y) away from the view's centre, so that the
    // truncation of pan times zoom gives them back exactly.
    void SetOriginOffset(double x, double y);
    // The pan of a finished drag: the pixels moved, added as world units.
    void PanBy(int dx, int dy);
    // The largest zoom step at which the box fits a width x height view within FIT_MARGIN,
    // and its centre on the view's centre to the pixel. False (and no change) when empty.
    bool Fit(const FitBox& box, int width, int height);

private:
    void ZoomAbout(int px, int py, int width, int height, float newZoom);
};

} // namespace qm4edit
