#include "editor/ortho/ViewTexts.h"

#include <algorithm>

#include "editor/app/EditorStrings.h"

namespace qm4edit {

QString NumberText(double value)
{
    return QString::number(value, 'g', 6);
}

QString ProjectionText(Projection projection)
{
    switch (projection) {
    case Projection::Front: return QString(STATUS_PROJECTION_FRONT);
    case Projection::Side: return QString(STATUS_PROJECTION_SIDE);
    default: return QString(STATUS_PROJECTION_TOP);
    }
}

QString ZoomText(const COrthoCamera& camera)
{
    return QString(STATUS_ZOOM_FACTOR).arg(NumberText(camera.Scale()));
}

QString PointerText(const COrthoCamera& camera, int x, int y, int width, int height)
{
    double h, v;
    camera.ToWorld(x, y, width, height, h, v);
    static constexpr const char* kAxes[3][2] = {{"X", "Z"}, {"X", "Y"}, {"Z", "Y"}};
    const auto& axes = kAxes[std::clamp(static_cast<int>(camera.projection), 0, 2)];
    return QString(STATUS_POINTER).arg(axes[0], NumberText(h), axes[1], NumberText(v));
}

QString GridText(bool on, float step)
{
    return QString(on ? STATUS_GRID_ON : STATUS_GRID_OFF).arg(NumberText(step));
}

QString PickMessage(int vertexIndex, const scene::ObjectVertex& v, int cornerCount)
{
    return QString(STATUS_PICKED_VERTEX)
        .arg(vertexIndex)
        .arg(NumberText(v.x), NumberText(v.y), NumberText(v.z))
        .arg(cornerCount);
}

QString SnapMessage(int vertexIndex, const scene::ObjectVertex& v)
{
    return QString(STATUS_SNAP_VERTEX).arg(vertexIndex).arg(NumberText(v.x), NumberText(v.y), NumberText(v.z));
}

} // namespace qm4edit
