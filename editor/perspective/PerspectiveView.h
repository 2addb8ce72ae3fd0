#pragma once
// The perspective view: the scene's polygons filled with their textures, lit by a light at
// the eye, with the tree's selection in the highlight colour and an optional wireframe. The
// left button orbits, the middle button pans, the wheel zooms towards the pointer (tools
// in a chain, as in the orthographic view); Home fits the scene and F the selection. A
// click picks the face under it; the picked faces are tinted.
//
// The geometry is sent to the graphics card once per scene; edits send only the corners
// of the vertices that moved.
//
// It is a window of its own, shown in the frame through a window container: the renderer
// then draws straight into the window, where a widget would draw into a framebuffer that
// is copied onto the window again every frame, a full-screen cost on a software renderer.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include <QImage>
#include <QOpenGLWindow>
#include <QPoint>
#include <QStringList>

#include "editor/perspective/OrbitCamera.h"
#include "editor/perspective/PerspectiveMesh.h"
#include "editor/perspective/PerspectiveRenderer.h"
#include "editor/perspective/TextureCache.h"
#include "editor/textures/FaceSelection.h"
#include "editor/tools/Tool.h"
#include "scene/FaceRayIndex.h"

namespace scene {
class CQM4EditDoc;
}

namespace qm4edit {

class ISceneSelection;

class CPerspectiveView final : public QOpenGLWindow {
    Q_OBJECT

public:
    explicit CPerspectiveView(const scene::CQM4EditDoc& doc);
    ~CPerspectiveView() override;

    // OpenGL 3.3 core with a depth buffer.
    static QSurfaceFormat SurfaceFormat();
    // Empty when an OpenGL 3.3 context can be made here; otherwise why not, in the user's
    // words. Found out once per run.
    static QString OpenGLUnavailableReason();
    // Makes OpenGLUnavailableReason give reason (an empty one lifts it); for the path
    // taken on machines without OpenGL.
    static void ForceOpenGLUnavailable(const QString& reason);

    // Asked for the tree's selection while painting. Not owned; null draws none.
    void SetSelection(const ISceneSelection* selection) { m_pSelection = selection; }
    // The faces to tint, read while painting. Not owned; null tints none.
    void SetFaceSelection(const CFaceSelection* faces);
    // The faces changed: tinted anew at the next paint.
    void FaceSelectionChanged();
    // The polygon under a point of the view, nearest first; none over empty space.
    std::optional<scene::FaceHit> FaceAt(const QPointF& point);
    // A click of the face pick tool: reports the face under point (or none) with how.
    void PickFaceAt(const QPointF& point, FacePick how);
    bool HasPickedFaces() const { return m_pFaces && !m_pFaces->IsEmpty(); }
    // Escape: asks for the picked faces to be let go.
    void ClearPickedFaces() { emit FaceSelectionClearRequested(); }
    // A new scene was read from (or the document emptied in) this folder: geometry and
    // textures are built again and the camera looks at it from the front.
    void SetScene(const std::filesystem::path& folder);
    // The document changed: moved vertices are found and only they are sent again.
    void OnUpdate();
    // Texture names, polygons' textures or texture coordinates changed: the mesh and its
    // textures are built again at the next paint; the camera stays where it is.
    void OnTexturingChanged();
    // Sends the corners standing on these vertices again.
    void UpdateVertices(std::span<const int> changed);
    void Redraw() { update(); }
    // Draws a frame now and returns it.
    QImage grabFramebuffer();

    void SetHiliteColor(std::uint32_t colorref);
    void SetFlipTextureV(bool flip);
    bool FlipTextureV() const { return m_bFlipV; }
    bool Wireframe() const { return m_bWireframe; }
    void ZoomIn();
    void ZoomOut();

    COrbitCamera& Camera() { return m_camera; }
    const CPerspectiveMesh& Mesh() const { return m_mesh; }
    QStringList MissingTextures() const;
    // Why the view cannot draw although a context was promised; empty while all is well.
    QString Failure() const { return m_failure; }

public slots:
    void setWireframe(bool on);
    void fitScene();
    void fitSelection();

signals:
    // A line for the status bar: missing textures, or why the view cannot draw.
    void StatusMessage(const QString& text);
    // A click picked a face (object -1: empty space); how is a FacePick.
    void FacePicked(int object, int polygon, int how);
    void FaceSelectionClearRequested();

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ReleaseGL();
    void SyncGeometry();
    std::vector<scene::ObjectVertex> SelectionLines(int& kind) const;
    void SyncFaceTint();
    float Aspect() const;

    const scene::CQM4EditDoc& m_doc;
    const ISceneSelection* m_pSelection = nullptr;
    const CFaceSelection* m_pFaces = nullptr;
    scene::CFaceRayIndex m_faceIndex; // built at the first pick of a scene
    bool m_bTintDirty = true; // send the tinted faces again at the next paint
    std::uint64_t m_tintGeneration = 0;
    CPerspectiveMesh m_mesh;
    CTextureCache m_textures;
    COrbitCamera m_camera;
    MeshBounds m_bounds;

    bool m_bSceneDirty = true; // rebuild the mesh and textures at the next paint
    bool m_bUpdatePending = false; // look for moved vertices at the next paint
    bool m_bNeedsFit = true;
    bool m_bReportedMissing = false;
    bool m_bFlipV = false;
    bool m_bWireframe = false;
    std::uint32_t m_hiliteColor = 0x0000FF;
    QString m_failure;

    // Pick faces with a click, orbit and pan with the buttons, zoom with the wheel
    // (editor/tools/FacePickTool.h, OrbitTools.h).
    CToolChain m_tools;

    CPerspectiveRenderer m_renderer; // what lives on the graphics card
};

} // namespace qm4edit
