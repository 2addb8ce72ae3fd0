#include "editor/perspective/PerspectiveView.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QWheelEvent>

#include "editor/perspective/PerspectiveStrings.h"
#include "editor/ViewSelection.h"
#include "editor/tools/OrbitTools.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

namespace {

constexpr float kBackground[3] = {0.78f, 0.80f, 0.84f};
constexpr float kWireColor[4] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr float kRingSize = 9.0f; // pixels across the selected vertex's ring
// Above this share of the mesh, sending everything is cheaper than many small updates.
constexpr std::size_t kWholeUploadDivisor = 8;
// The software renderer starts drawing only what has been flushed to it. Sent in slices of
// this many polygons, one slice is drawn by its threads while the next is being set up,
// and each slice's work stays in the cache: a quarter less time per frame, half on a busy
// machine.
constexpr std::uint32_t kPolygonsPerSlice = 4096;
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
    m_bSceneDirty = true;
    m_bNeedsFit = true;
    m_bReportedMissing = false;
    update();
}

void CPerspectiveView::OnUpdate()
{
    m_bUpdatePending = true;
    update();
}

void CPerspectiveView::UpdateVertices(std::span<const int> changed)
{
    if (m_bSceneDirty || !m_mesh.SameVertexCount(m_doc)) {
        m_bSceneDirty = true;
        update();
        return;
    }
    std::vector<std::uint32_t> touched;
    m_mesh.UpdateVertices(m_doc, changed, touched);
    if (!touched.empty() && m_bMeshUploaded) {
        makeCurrent();
        UploadTouched(touched);
        doneCurrent();
    }
    update();
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
    m_bGLReady = false;
    m_failure.clear();
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &CPerspectiveView::ReleaseGL, Qt::UniqueConnection);
    if (context()->format().version() < qMakePair(3, 3) || !initializeOpenGLFunctions()) {
        m_failure = QString(PERSPECTIVE_UNAVAILABLE).arg(QString(GL_NO_CONTEXT));
        emit StatusMessage(m_failure);
        return;
    }
    m_pMeshProgram = new QOpenGLShaderProgram;
    m_pOverlayProgram = new QOpenGLShaderProgram;
    const bool built = m_pMeshProgram->addShaderFromSourceFile(QOpenGLShader::Vertex, ":/shaders/mesh.vert") &&
        m_pMeshProgram->addShaderFromSourceFile(QOpenGLShader::Fragment, ":/shaders/mesh.frag") &&
        m_pMeshProgram->link() &&
        m_pOverlayProgram->addShaderFromSourceFile(QOpenGLShader::Vertex, ":/shaders/overlay.vert") &&
        m_pOverlayProgram->addShaderFromSourceFile(QOpenGLShader::Fragment, ":/shaders/overlay.frag") &&
        m_pOverlayProgram->link();
    if (!built) {
        m_failure = QString(PERSPECTIVE_UNAVAILABLE).arg(QString(GL_NO_SHADERS));
        emit StatusMessage(m_failure);
        return;
    }
    glGenVertexArrays(1, &m_vao);
    glGenBuffers(1, &m_vbo);
    glGenVertexArrays(1, &m_overlayVao);
    glGenBuffers(1, &m_overlayVbo);

    const texture::RgbaImage& board = CTextureCache::Checkerboard();
    glGenTextures(1, &m_checkerId);
    glBindTexture(GL_TEXTURE_2D, m_checkerId);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, board.width, board.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 board.rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    m_bGLReady = true;
    m_bMeshUploaded = false;
    // A new context holds nothing of the scene: send it all again, textures included.
    m_bSceneDirty = true;
}

void CPerspectiveView::ReleaseGL()
{
    if (!m_vao && !m_pMeshProgram)
        return;
    if (!context())
        return;
    makeCurrent();
    if (m_vao) {
        glDeleteVertexArrays(1, &m_vao);
        glDeleteBuffers(1, &m_vbo);
        glDeleteVertexArrays(1, &m_overlayVao);
        glDeleteBuffers(1, &m_overlayVbo);
        if (!m_textureIds.empty())
            glDeleteTextures(static_cast<GLsizei>(m_textureIds.size()), m_textureIds.data());
        glDeleteTextures(1, &m_checkerId);
    }
    m_vao = m_vbo = m_overlayVao = m_overlayVbo = m_checkerId = 0;
    m_textureIds.clear();
    delete m_pMeshProgram;
    delete m_pOverlayProgram;
    m_pMeshProgram = m_pOverlayProgram = nullptr;
    m_bGLReady = m_bMeshUploaded = false;
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
                UploadTouched(touched);
            }
        }
    }
    m_bUpdatePending = false;
    if (!m_bSceneDirty)
        return;
    m_bSceneDirty = false;
    m_mesh.Build(m_doc);
    m_bounds = m_mesh.Bounds();
    UploadMesh();
    UploadTextures();
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

void CPerspectiveView::UploadMesh()
{
    const auto& vertices = m_mesh.Vertices();
    glBindVertexArray(m_vao);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(MeshVertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                          reinterpret_cast<const void*>(offsetof(MeshVertex, u)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 3, GL_BYTE, GL_TRUE, sizeof(MeshVertex),
                          reinterpret_cast<const void*>(offsetof(MeshVertex, normal)));
    glBindVertexArray(0);
    m_bMeshUploaded = true;
}

void CPerspectiveView::UploadTouched(const std::vector<std::uint32_t>& touched)
{
    if (!m_bMeshUploaded || touched.empty())
        return;
    const auto& vertices = m_mesh.Vertices();
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    if (touched.size() * 3 > vertices.size() / kWholeUploadDivisor) {
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(vertices.size() * sizeof(MeshVertex)),
                        vertices.data());
    } else {
        for (std::uint32_t p : touched)
            glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(std::size_t(p) * 3 * sizeof(MeshVertex)),
                            3 * sizeof(MeshVertex), &vertices[std::size_t(p) * 3]);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void CPerspectiveView::UploadTextures()
{
    if (!m_textureIds.empty())
        glDeleteTextures(static_cast<GLsizei>(m_textureIds.size()), m_textureIds.data());
    m_textureIds.assign(m_mesh.Batches().size(), 0);
    for (std::size_t b = 0; b < m_textureIds.size(); ++b) {
        const std::string name = m_doc.GetTextureName(static_cast<std::uint32_t>(m_mesh.Batches()[b].texture));
        const texture::RgbaImage& image = m_textures.Get(name);
        if (m_textures.IsMissing(name))
            continue; // drawn with the checkerboard
        unsigned id = 0;
        glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        // Row 0 of the image is its top row, and it goes first: v = 0 is the top.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     image.rgba.data());
        // One level, the same filter both ways: the software renderer then skips working
        // out a level of detail for every pixel, which halves the cost of a textured frame.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        m_textureIds[b] = id;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
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

void CPerspectiveView::DrawOverlay(const QMatrix4x4& mvp)
{
    int kind = 0;
    const std::vector<scene::ObjectVertex> points = SelectionLines(kind);
    if (points.empty())
        return;
    glBindVertexArray(m_overlayVao);
    glBindBuffer(GL_ARRAY_BUFFER, m_overlayVbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(points.size() * sizeof(scene::ObjectVertex)), points.data(),
                 GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(scene::ObjectVertex), nullptr);
    m_pOverlayProgram->bind();
    m_pOverlayProgram->setUniformValue("uMvp", mvp);
    m_pOverlayProgram->setUniformValue(
        "uColor",
        QColor(int(m_hiliteColor & 0xFF), int((m_hiliteColor >> 8) & 0xFF), int((m_hiliteColor >> 16) & 0xFF)));
    // The selection shows through whatever stands in front of it, as in the flat views.
    glDisable(GL_DEPTH_TEST);
    if (kind == 3) {
        glEnable(GL_PROGRAM_POINT_SIZE);
        m_pOverlayProgram->setUniformValue("uPointSize", kRingSize);
        m_pOverlayProgram->setUniformValue("uRing", true);
        glDrawArrays(GL_POINTS, 0, 1);
        glDisable(GL_PROGRAM_POINT_SIZE);
    } else {
        m_pOverlayProgram->setUniformValue("uPointSize", 1.0f);
        m_pOverlayProgram->setUniformValue("uRing", false);
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(points.size()));
    }
    glEnable(GL_DEPTH_TEST);
    glBindVertexArray(0);
}

QImage CPerspectiveView::grabFramebuffer()
{
    if (!isValid())
        return {};
    makeCurrent();
    paintGL();
    return QOpenGLWindow::grabFramebuffer();
}

void CPerspectiveView::DrawSliced(std::uint32_t first, std::uint32_t count)
{
    constexpr std::uint32_t slice = kPolygonsPerSlice * 3;
    for (std::uint32_t done = 0; done < count; done += slice) {
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(first + done),
                     static_cast<GLsizei>(std::min(slice, count - done)));
        glFlush();
    }
}

void CPerspectiveView::paintGL()
{
    glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!m_bGLReady)
        return;
    SyncGeometry();
    if (!m_doc.IsLoaded())
        return;

    const QMatrix4x4 view = m_camera.View();
    const QMatrix4x4 proj = m_camera.Projection(Aspect(), m_bounds);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);

    // Polygons, pushed back a little so the wireframe lies on them. Of two polygons in the
    // same place the first drawn stays: the renderer then skips shading the second one's
    // pixels, and overlapping layers cost little more than one.
    glDepthFunc(GL_LESS);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    m_pMeshProgram->bind();
    m_pMeshProgram->setUniformValue("uView", view);
    m_pMeshProgram->setUniformValue("uProj", proj);
    m_pMeshProgram->setUniformValue("uFlipV", m_bFlipV);
    m_pMeshProgram->setUniformValue("uTexture", 0);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(m_vao);
    const auto& batches = m_mesh.Batches();
    for (std::size_t b = 0; b < batches.size(); ++b) {
        glBindTexture(GL_TEXTURE_2D, m_textureIds[b] ? m_textureIds[b] : m_checkerId);
        DrawSliced(batches[b].first, batches[b].count);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDepthFunc(GL_LEQUAL);

    const QMatrix4x4 mvp = proj * view;
    if (m_bWireframe && !m_mesh.Vertices().empty()) {
        m_pOverlayProgram->bind();
        m_pOverlayProgram->setUniformValue("uMvp", mvp);
        m_pOverlayProgram->setUniformValue("uColor", QColor::fromRgbF(kWireColor[0], kWireColor[1], kWireColor[2]));
        m_pOverlayProgram->setUniformValue("uRing", false);
        m_pOverlayProgram->setUniformValue("uPointSize", 1.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        DrawSliced(0, static_cast<std::uint32_t>(m_mesh.Vertices().size()));
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    glBindVertexArray(0);
    DrawOverlay(mvp);
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace qm4edit
