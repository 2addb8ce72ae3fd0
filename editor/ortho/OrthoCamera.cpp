#include "editor/ortho/OrthoCamera.h"

#include <algorithm>
#include <cmath>

namespace qm4edit {

namespace {

// Panning far enough to overflow would otherwise wrap the picture around.
double ClampPan(double pan)
{
    return std::clamp<double>(pan, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

} // namespace

void FitBox::Add(Projection projection, const scene::ObjectVertex& v)
{
    float fh, fw;
    COrthoCamera::Axes(projection, v, fh, fw);
    const double h = fh, w = fw;
    if (!std::isfinite(h) || !std::isfinite(w) || std::fabs(h) > COrthoCamera::FIT_LIMIT ||
        std::fabs(w) > COrthoCamera::FIT_LIMIT)
        return;
    hmin = std::min(hmin, h);
    hmax = std::max(hmax, h);
    vmin = std::min(vmin, w);
    vmax = std::max(vmax, w);
}

scene::ObjectVertex COrthoCamera::WithAxes(Projection projection, scene::ObjectVertex v, float h, float w)
{
    switch (projection) {
    case Projection::Front:
        v.x = h;
        v.y = w;
        break;
    case Projection::Side:
        v.z = h;
        v.y = w;
        break;
    default:
        v.x = h;
        v.z = w;
        break;
    }
    return v;
}

bool COrthoCamera::ToPixel(const scene::ObjectVertex& v, int width, int height, std::int64_t& px,
                           std::int64_t& py) const
{
    float h, w;
    Axes(projection, v, h, w);
    return Place(Origin(width, height), h, w, px, py);
}

void COrthoCamera::ToWorld(int px, int py, int width, int height, double& h, double& v) const
{
    const ViewOrigin o = Origin(width, height);
    h = static_cast<double>(px - o.x) / o.s;
    v = -static_cast<double>(py - o.y) / o.s; // the vertical axis grows upwards
}

scene::ObjectVertex COrthoCamera::ScreenDelta(double dx, double dy) const
{
    const double s = Scale();
    const auto h = static_cast<float>(dx / s);
    const auto w = static_cast<float>(-dy / s);
    switch (projection) {
    case Projection::Front: return {h, w, 0.0f};
    case Projection::Side: return {0.0f, w, h};
    default: return {h, 0.0f, w};
    }
}

bool COrthoCamera::ZoomIn()
{
    if (zoom < MAX_ZOOM) {
        zoom *= 2.0f;
        return true;
    }
    zoom = MAX_ZOOM;
    return false;
}

bool COrthoCamera::ZoomOut()
{
    if (zoom > MIN_ZOOM) {
        zoom /= 2.0f;
        return true;
    }
    zoom = MIN_ZOOM;
    return false;
}

bool COrthoCamera::ZoomInAt(int px, int py, int width, int height)
{
    if (zoom < MAX_ZOOM) {
        ZoomAbout(px, py, width, height, zoom * 2.0f);
        return true;
    }
    zoom = MAX_ZOOM;
    return false;
}

bool COrthoCamera::ZoomOutAt(int px, int py, int width, int height)
{
    if (zoom > MIN_ZOOM) {
        ZoomAbout(px, py, width, height, zoom / 2.0f);
        return true;
    }
    zoom = MIN_ZOOM;
    return false;
}

void COrthoCamera::ZoomAbout(int px, int py, int width, int height, float newZoom)
{
    double h, v;
    ToWorld(px, py, width, height, h, v);
    const double s = static_cast<double>(newZoom) / 8.0;
    // The new origin puts the point exactly on the pixel. The pan, in world units, is then a
    // whole number of pixels over a power of two: exact, so the drawing's truncation of pan
    // times zoom gives back that whole number.
    const double kx = px - width / 2 - std::trunc(s * h);
    const double ky = py + std::trunc(s * v) - height / 2;
    zoom = newZoom;
    SetOriginOffset(kx, ky);
}

void COrthoCamera::Reset()
{
    panY = 0;
    panX = 0;
    projection = Projection::Top;
    zoom = DEFAULT_ZOOM;
}

void COrthoCamera::SetOriginOffset(double x, double y)
{
    const double s = Scale();
    panX = ClampPan(x / s);
    panY = ClampPan(y / s);
}

void COrthoCamera::PanBy(int dx, int dy)
{
    panX = ClampPan(panX + dx);
    panY = ClampPan(panY + dy);
}

bool COrthoCamera::Fit(const FitBox& box, int width, int height)
{
    if (box.Empty())
        return false;
    // Room for the extents, less the margins and a pixel each way for truncation.
    const double roomW = std::max(0, width - 2 * FIT_MARGIN - 2);
    const double roomH = std::max(0, height - 2 * FIT_MARGIN - 2);
    float chosen = MIN_ZOOM;
    for (float z = MAX_ZOOM; z >= MIN_ZOOM; z /= 2.0f) {
        const double s = static_cast<double>(z) / 8.0;
        if ((box.hmax - box.hmin) * s <= roomW && (box.vmax - box.vmin) * s <= roomH) {
            chosen = z;
            break;
        }
    }
    zoom = chosen;
    const double s = Scale();
    // The box's centre on the view's centre, to the pixel.
    const double hc = (box.hmin + box.hmax) / 2.0, vc = (box.vmin + box.vmax) / 2.0;
    SetOriginOffset(-std::round(s * hc), std::round(s * vc));
    return true;
}

} // namespace qm4edit
