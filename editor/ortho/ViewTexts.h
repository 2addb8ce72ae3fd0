#pragma once
// The orthographic view's texts for the status bar, from the camera and the document's
// numbers alone, so that the view, its tools and the frame word them alike.

#include <QString>

#include "editor/ortho/OrthoCamera.h"
#include "scene/SceneRecords.h"

namespace qm4edit {

// "%g": at most six significant digits, whatever the user's locale says about decimal points.
QString NumberText(double value);

// "Top (X-Z)", "Front (X-Y)" or "Side (Z-Y)".
QString ProjectionText(Projection projection);
// "2 px/unit".
QString ZoomText(const COrthoCamera& camera);
// The world point under pixel (x, y) of a view width x height: "X -50, Z 25".
QString PointerText(const COrthoCamera& camera, int x, int y, int width, int height);
// "Grid 16" or "Grid 16 (off)".
QString GridText(bool on, float step);
// "Vertex N: (x, y, z), used by K corners".
QString PickMessage(int vertexIndex, const scene::ObjectVertex& v, int cornerCount);
// "Snap to Vertex N: (x, y, z)".
QString SnapMessage(int vertexIndex, const scene::ObjectVertex& v);

} // namespace qm4edit
