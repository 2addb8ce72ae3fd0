#include "editor/perspective/OrbitCamera.h"

#include <algorithm>
#include <cmath>

#include "editor/perspective/PerspectiveMesh.h"

namespace qm4edit {

namespace {

constexpr float kDegrees = 3.14159265358979f / 180.0f;
constexpr float kOrbitDegreesPerPixel = 0.4f;
constexpr float kZoomPerStep = 0.85f;
constexpr float kMinDistance = 1.0e-4f;

} // namespace

QVector3D COrbitCamera::Eye() const
{
    const float y = yaw * kDegrees, p = pitch * kDegrees;
    return target + distance * QVector3D(std::sin(y) * std::cos(p), std::sin(p), std::cos(y) * std::cos(p));
}

QVector3D COrbitCamera::Forward() const
{
    return (target - Eye()).normalized();
}

QMatrix4x4 COrbitCamera::View() const
{
    QMatrix4x4 m;
    m.lookAt(Eye(), target, QVector3D(0, 1, 0));
    return m;
}

QMatrix4x4 COrbitCamera::Projection(float aspect, const MeshBounds& scene) const
{
    const QVector3D center(scene.center[0], scene.center[1], scene.center[2]);
    const float toCenter = (center - Eye()).length();
    float farPlane = std::max(toCenter + scene.radius, distance) * 1.01f + kMinDistance;
    float nearPlane = std::max(farPlane * 1.0e-4f, (toCenter - scene.radius) * 0.99f);
    QMatrix4x4 m;
    m.perspective(FOV_Y, aspect, nearPlane, farPlane);
    return m;
}

void COrbitCamera::Fit(const MeshBounds& box, float aspect)
{
    if (box.empty)
        return;
    target = QVector3D(box.center[0], box.center[1], box.center[2]);
    const float tanY = std::tan(FOV_Y * 0.5f * kDegrees);
    const float tanX = tanY * std::max(aspect, 0.01f);
    distance = 1.0e-3f;
    const QVector3D forward = Forward();
    const QVector3D right = QVector3D::crossProduct(forward, QVector3D(0, 1, 0)).normalized();
    const QVector3D up = QVector3D::crossProduct(right, forward);
    // Each corner seen at depth distance + (its offset along the view) must lie inside
    // the field of view across and up.
    float needed = std::max(box.radius, 1.0e-3f) * 0.1f;
    for (int i = 0; i < 8; ++i) {
        const QVector3D corner((i & 1) ? box.hi[0] : box.lo[0], (i & 2) ? box.hi[1] : box.lo[1],
                               (i & 4) ? box.hi[2] : box.lo[2]);
        const QVector3D c = corner - target;
        const float depth = QVector3D::dotProduct(c, forward);
        needed = std::max(needed, std::fabs(QVector3D::dotProduct(c, right)) / tanX - depth);
        needed = std::max(needed, std::fabs(QVector3D::dotProduct(c, up)) / tanY - depth);
    }
    distance = needed * 1.08f;
}

void COrbitCamera::Orbit(float dx, float dy)
{
    yaw = std::remainder(yaw - dx * kOrbitDegreesPerPixel, 360.0f);
    pitch = std::clamp(pitch + dy * kOrbitDegreesPerPixel, -MAX_PITCH, MAX_PITCH);
}

void COrbitCamera::Pan(float dx, float dy, int viewHeight)
{
    const float perPixel = 2.0f * distance * std::tan(FOV_Y * 0.5f * kDegrees) / std::max(viewHeight, 1);
    const QVector3D forward = Forward();
    const QVector3D right = QVector3D::crossProduct(forward, QVector3D(0, 1, 0)).normalized();
    const QVector3D up = QVector3D::crossProduct(right, forward);
    target += (-dx * right + dy * up) * perPixel;
}

void COrbitCamera::ZoomAt(float steps, float px, float py, int width, int height)
{
    const float factor = std::pow(kZoomPerStep, steps);
    const float newDistance = std::max(distance * factor, kMinDistance);
    const float scale = newDistance / distance;
    // The point under the pointer on the plane through the target facing the eye.
    const float h = std::max(height, 1), w = std::max(width, 1);
    const float tanHalf = std::tan(FOV_Y * 0.5f * kDegrees);
    const float nx = (2.0f * px / w - 1.0f) * tanHalf * (w / h);
    const float ny = (1.0f - 2.0f * py / h) * tanHalf;
    const QVector3D forward = Forward();
    const QVector3D right = QVector3D::crossProduct(forward, QVector3D(0, 1, 0)).normalized();
    const QVector3D up = QVector3D::crossProduct(right, forward);
    const QVector3D underPointer = target + (nx * right + ny * up) * distance;
    target = underPointer + (target - underPointer) * scale;
    distance = newDistance;
}

void COrbitCamera::RayThrough(float px, float py, int width, int height, QVector3D& origin, QVector3D& direction) const
{
    const float h = std::max(height, 1), w = std::max(width, 1);
    const float tanHalf = std::tan(FOV_Y * 0.5f * kDegrees);
    const float nx = (2.0f * px / w - 1.0f) * tanHalf * (w / h);
    const float ny = (1.0f - 2.0f * py / h) * tanHalf;
    const QVector3D forward = Forward();
    const QVector3D right = QVector3D::crossProduct(forward, QVector3D(0, 1, 0)).normalized();
    const QVector3D up = QVector3D::crossProduct(right, forward);
    origin = Eye();
    direction = forward + nx * right + ny * up;
}

} // namespace qm4edit
