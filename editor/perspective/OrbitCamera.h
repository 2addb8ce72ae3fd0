#pragma once
// The perspective view's camera: it looks at a target point from a distance, turned about
// the vertical axis (yaw) and raised above the horizon (pitch), so y stays up on screen.

#include <QMatrix4x4>
#include <QVector3D>

namespace qm4edit {

struct MeshBounds;

class COrbitCamera {
public:
    static constexpr float FOV_Y = 45.0f; // degrees
    static constexpr float START_PITCH = 20.0f;
    static constexpr float MAX_PITCH = 89.0f;

    QVector3D target{0, 0, 0};
    float yaw = 0; // degrees; 0 looks along -z like the Front view
    float pitch = START_PITCH; // degrees above the horizon
    float distance = 10;

    QVector3D Eye() const;
    QVector3D Forward() const; // unit vector from the eye to the target
    QMatrix4x4 View() const;
    // near and far planes chosen so the sphere of the scene is inside them.
    QMatrix4x4 Projection(float aspect, const MeshBounds& scene) const;

    // Looks at the middle of the box from the current direction, as close as it can while
    // the whole box stays in view.
    void Fit(const MeshBounds& box, float aspect);
    // Turns by a pointer movement in pixels.
    void Orbit(float dx, float dy);
    // Moves the target so the point under the pointer follows it.
    void Pan(float dx, float dy, int viewHeight);
    // Moves towards (steps > 0) or away from the point under the pixel (px, py), which stays
    // where it is on screen.
    void ZoomAt(float steps, float px, float py, int width, int height);
    // The ray from the eye through the point (px, py) of a view width x height pixels: the
    // eye, and a direction (not of unit length) that reaches the target's plane at 1.
    void RayThrough(float px, float py, int width, int height, QVector3D& origin, QVector3D& direction) const;
};

} // namespace qm4edit
