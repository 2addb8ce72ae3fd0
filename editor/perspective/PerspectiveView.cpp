#include "editor/perspective/PerspectiveView.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QWheelEvent>

#include "editor/perspective/PerspectiveStrings.h"
#include "editor/platform/GLChildWindows.h"
#include "editor/ViewSelection.h"
#include "editor/tools/FacePickTool.h"
#include "editor/tools/OrbitTools.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

namespace {

constexpr float kBackground[3] = {0.78f, 0.80f, 0.84f};
// Zoom In and Zoom Out halve and double the distance, as the orthographic zoom does.
constexpr float kZoomSteps = 4.265f; // 0.85 ^ 4.265 = 0.5

std::optional<QString>& ForcedReason()
{
    static std::optional<QString> reason;
    return reason;
}

QString ProbeOpenGL()
{
    // These platforms may hand out a context, but composing an OpenGL widget into their
    // windows brings the program down.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return QString(GL_NO_WINDOWS).arg(platform);
    if (!GLChildWindowsShown())
        return QString(GL_CHILD_NOT_SHOWN);
    QOpenGLContext context;
    context.setFormat(CPerspectiveView::SurfaceFormat());
    if (!context.create())
        return QString(GL_NO_CONTEXT);
    const QSurfaceFormat got = context.format();
    if (got.version() < qMakePair(3, 3))
        return QString(GL_TOO_OLD).arg(got.majorVersion()).arg(got.minorVersion());
    QOffscreenSurface surface;
    surface.setFormat(got);
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return QString(GL_NOT_CURRENT);
    context.doneCurrent();
    return {};
}

} // namespace

CPerspectiveView::CPerspectiveView(const scene::CQM4EditDoc& doc) : m_doc(doc)
{
    setFormat(SurfaceFormat());
    m_tools.Add<CFacePickTool>(*this);
    m_tools.Add<COrbitTool>(*this);
    m_tools.Add<CPerspectiveZoomTool>(*this);
}

CPerspectiveView::~CPerspectiveView()
{
    ReleaseGL();
}

QSurfaceFormat CPerspectiveView::SurfaceFormat()
{
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(24);
    return f;
}

QString CPerspectiveView::OpenGLUnavailableReason()
{
    if (ForcedReason())
        return *ForcedReason();
    static const QString probed = ProbeOpenGL();
    return probed;
}

void CPerspectiveView::ForceOpenGLUnavailable(const QString& reason)
{
    if (reason.isEmpty())
        ForcedReason().reset();
    else
        ForcedReason() = reason;
}

// ---------------------------------------------------------------------------------------
// What to show

void CPerspectiveView::SetScene(const std::filesystem::path& folder)
{
    m_textures.SetSceneFolder(folder);
    m_faceIndex.Clear();
    m_bTintDirty = true;
    m_bSceneDirty = true;
    m_bNeedsFit = true;
    m_bReportedMissing = false;
    update();
}

void CPerspectiveView::OnUpdate()
{
    m_bUpdatePending = true;
    m_bTintDirty = true;
    update();
}

void CPerspectiveView::OnTexturingChanged()
{
    m_bSceneDirty = true;
    update();
}

void CPerspectiveView::UpdateVertices(std::span<const int> changed)
{
    if (m_bSceneDirty || !m_mesh.SameVertexCount(m_doc)) {
        m_bSceneDirty = true;
        update();
        return;
    }
    m_bTintDirty = true;
    std::vector<std::uint32_t> touched;
    m_mesh.UpdateVertices(m_doc, changed, touched);
    if (!touched.empty() && m_renderer.MeshUploaded()) {
        makeCurrent();
        m_renderer.UploadTouched(m_mesh, touched);
        doneCurrent();
    }
    update();
}

void CPerspectiveView::SetFaceSelection(const CFaceSelection* faces)
{
    m_pFaces = faces;
    FaceSelectionChanged();
}

void CPerspectiveView::FaceSelectionChanged()
{
    m_bTintDirty = true;
    update();
}

std::optional<scene::FaceHit> CPerspectiveView::FaceAt(const QPointF& point)
{
    if (!m_doc.IsLoaded())
        return std::nullopt;
    // The positions may have moved since the last pick; only then are the boxes refit.
    m_faceIndex.Refresh(m_doc);
    QVector3D origin, direction;
    m_camera.RayThrough(float(point.x()), float(point.y()), width(), height(), origin, direction);
    const float o[3] = {origin.x(), origin.y(), origin.z()};
    const float d[3] = {direction.x(), direction.y(), direction.z()};
    return m_faceIndex.Pick(o, d);
}

void CPerspectiveView::PickFaceAt(const QPointF& point, FacePick how)
{
    const std::optional<scene::FaceHit> hit = FaceAt(point);
    emit FacePicked(hit ? hit->object : -1, hit ? hit->polygon : -1, static_cast<int>(how));
}

void CPerspectiveView::SetHiliteColor(std::uint32_t colorref)
{
    m_hiliteColor = colorref;
    update();
}

void CPerspectiveView::SetFlipTextureV(bool flip)
{
    m_bFlipV = flip;
    update();
}

void CPerspectiveView::setWireframe(bool on)
{
    m_bWireframe = on;
    update();
}

QStringList CPerspectiveView::MissingTextures() const
{
    QStringList names;
    for (const std::string& n : m_textures.MissingNames())
        if (!n.empty())
            names << QString::fromStdString(n);
    return names;
}

// ---------------------------------------------------------------------------------------
// Camera

float CPerspectiveView::Aspect() const
{
    return height() > 0 ? float(width()) / float(height()) : 1.0f;
}

void CPerspectiveView::fitScene()
{
    if (m_bSceneDirty) {
        m_bNeedsFit = true; // fitted once the scene is built
    } else {
        m_camera.Fit(m_bounds, Aspect());
    }
    update();
}

void CPerspectiveView::fitSelection()
{
    int kind = 0;
    const std::vector<scene::ObjectVertex> points = SelectionLines(kind);
    MeshBounds b = BoundsOfPoints(points);
    if (b.empty)
        return;
    if (kind == 3) { // a single vertex: frame a little of its surroundings
        const float r = std::max(m_bounds.radius * 0.05f, 1.0e-3f);
        for (int a = 0; a < 3; ++a) {
            b.lo[a] = b.center[a] - r;
            b.hi[a] = b.center[a] + r;
        }
        b.radius = r * 1.7320508f;
    }
    m_camera.Fit(b, Aspect());
    update();
}

void CPerspectiveView::ZoomIn()
{
    m_camera.ZoomAt(kZoomSteps, width() * 0.5f, height() * 0.5f, width(), height());
    update();
}

void CPerspectiveView::ZoomOut()
{
    m_camera.ZoomAt(-kZoomSteps, width() * 0.5f, height() * 0.5f, width(), height());
    update();
}

void CPerspectiveView::mousePressEvent(QMouseEvent* event)
{
    if (m_tools.MousePress(*event))
        event->accept();
    else
        QOpenGLWindow::mousePressEvent(event);
}

void CPerspectiveView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_tools.MouseMove(*event))
        event->accept();
    else
        QOpenGLWindow::mouseMoveEvent(event);
}

void CPerspectiveView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_tools.MouseRelease(*event))
        event->accept();
    else
        QOpenGLWindow::mouseReleaseEvent(event);
}

void CPerspectiveView::wheelEvent(QWheelEvent* event)
{
    if (m_tools.Wheel(*event))
        event->accept();
    else
        QOpenGLWindow::wheelEvent(event);
}

void CPerspectiveView::keyPressEvent(QKeyEvent* event)
{
    if (m_tools.KeyPress(*event)) {
        event->accept();
        return;
    }
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Home) {
            fitScene();
            return;
        }
        if (event->key() == Qt::Key_F) {
            fitSelection();
            return;
        }
    }
    QOpenGLWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// OpenGL

void CPerspectiveView::initializeGL()
{
    ReleaseGL();
    m_failure.clear();
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &CPerspectiveView::ReleaseGL, Qt::UniqueConnection);
    m_failure = m_renderer.Create(context()->format().version() >= qMakePair(3, 3));
    if (!m_failure.isEmpty()) {
        emit StatusMessage(m_failure);
        return;
    }
    // A new context holds nothing of the scene: send it all again, textures and tint included.
    m_bSceneDirty = true;
    m_bTintDirty = true;
}

void CPerspectiveView::ReleaseGL()
{
    if (!m_renderer.HasObjects())
        return;
    if (!context())
        return;
    makeCurrent();
    m_renderer.Release();
    doneCurrent();
}

void CPerspectiveView::SyncGeometry()
{
    if (m_bUpdatePending && !m_bSceneDirty) {
        if (!m_mesh.SameVertexCount(m_doc)) {
            m_bSceneDirty = true;
        } else {
            const std::vector<int> changed = m_mesh.ChangedVertices(m_doc);
            if (!changed.empty()) {
                std::vector<std::uint32_t> touched;
                m_mesh.UpdateVertices(m_doc, changed, touched);
                m_renderer.UploadTouched(m_mesh, touched);
            }
        }
    }
    m_bUpdatePending = false;
    if (!m_bSceneDirty)
        return;
    m_bSceneDirty = false;
    m_mesh.Build(m_doc);
    m_bounds = m_mesh.Bounds();
    m_renderer.UploadMesh(m_mesh);
    m_renderer.UploadTextures(m_mesh, m_doc, m_textures);
    if (m_bNeedsFit) {
        m_bNeedsFit = false;
        m_camera = COrbitCamera();
        m_camera.Fit(m_bounds, Aspect());
    }
    if (!m_bReportedMissing) {
        m_bReportedMissing = true;
        const QStringList missing = MissingTextures();
        if (!missing.isEmpty())
            emit StatusMessage(QString(PERSPECTIVE_MISSING_TEXTURES).arg(missing.join(", ")));
    }
}

std::vector<scene::ObjectVertex> CPerspectiveView::SelectionLines(int& kind) const
{
    std::vector<scene::ObjectVertex> points;
    kind = m_pSelection ? static_cast<int>(m_pSelection->GetSelectedKind()) : 0;
    const int vertexCount = m_doc.GetVertexCount();
    auto inRange = [vertexCount](int i) { return i >= 0 && i < vertexCount; };
    if (kind == 3) {
        const int v = m_pSelection->GetSelectedData();
        if (inRange(v))
            points.push_back(m_doc.GetVertex(v));
    } else if (kind == 1 || kind == 2) {
        const int n = m_pSelection->GetSelectedPolygonCount();
        points.reserve(static_cast<std::size_t>(std::max(n, 0)) * 6);
        for (int k = 0; k < n; ++k) {
            int a = -1, b = -1, c = -1;
            m_pSelection->GetSelectedPolygonVertices(k, a, b, c);
            if (!inRange(a) || !inRange(b) || !inRange(c))
                continue;
            const scene::ObjectVertex A = m_doc.GetVertex(a), B = m_doc.GetVertex(b), C = m_doc.GetVertex(c);
            points.insert(points.end(), {A, B, B, C, C, A});
        }
    }
    return points;
}

void CPerspectiveView::SyncFaceTint()
{
    const std::uint64_t generation = m_pFaces ? m_pFaces->Generation() : 0;
    if (!m_bTintDirty && generation == m_tintGeneration)
        return;
    m_bTintDirty = false;
    m_tintGeneration = generation;
    std::vector<scene::ObjectVertex> corners;
    if (m_pFaces) {
        corners.reserve(m_pFaces->Count() * 3);
        const int vertexCount = m_doc.GetVertexCount();
        for (const FaceRef& f : m_pFaces->Faces()) {
            if (f.object < 0 || f.object >= m_doc.GetObjectCount() || f.polygon < 0 ||
                f.polygon >= m_doc.GetPolygonCount(f.object))
                continue;
            const scene::PolygonRecord& p = m_doc.GetObjectRecord(f.object).polygons[std::size_t(f.polygon)];
            if (p.vertex[0] >= vertexCount || p.vertex[1] >= vertexCount || p.vertex[2] >= vertexCount)
                continue;
            for (int k = 0; k < 3; ++k)
                corners.push_back(m_doc.GetVertex(p.vertex[k]));
        }
    }
    m_renderer.UploadFaceTint(corners);
}

QImage CPerspectiveView::grabFramebuffer()
{
    if (!isValid())
        return {};
    makeCurrent();
    paintGL();
    return QOpenGLWindow::grabFramebuffer();
}

void CPerspectiveView::paintGL()
{
    m_renderer.Clear(kBackground);
    if (!m_renderer.IsReady())
        return;
    SyncGeometry();
    if (!m_doc.IsLoaded())
        return;
    const QMatrix4x4 view = m_camera.View();
    const QMatrix4x4 proj = m_camera.Projection(Aspect(), m_bounds);
    m_renderer.DrawMesh(m_mesh, view, proj, {.flipV = m_bFlipV, .wireframe = m_bWireframe});
    SyncFaceTint();
    m_renderer.DrawFaceTint(proj * view, m_hiliteColor);
    int kind = 0;
    const std::vector<scene::ObjectVertex> points = SelectionLines(kind);
    if (!points.empty())
        m_renderer.DrawSelection(points, kind, proj * view, m_hiliteColor);
    m_renderer.UnbindTexture();
}

} // namespace qm4edit
