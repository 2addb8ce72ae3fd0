#include "editor/perspective/PerspectiveRenderer.h"

#include <algorithm>
#include <cstddef>

#include <QColor>
#include <QOpenGLShaderProgram>

#include "editor/perspective/PerspectiveMesh.h"
#include "editor/perspective/PerspectiveStrings.h"
#include "editor/perspective/TextureCache.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

namespace {

constexpr float kWireColor[4] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr float kRingSize = 9.0f; // pixels across the selected vertex's ring
// How much of the highlight colour covers a picked face: its texture still shows through.
constexpr float kTintAlpha = 0.45f;
// Above this share of the mesh, sending everything is cheaper than many small updates.
constexpr std::size_t kWholeUploadDivisor = 8;
// The software renderer starts drawing only what has been flushed to it. Sent in slices of
// this many polygons, one slice is drawn by its threads while the next is being set up,
// and each slice's work stays in the cache: a quarter less time per frame, half on a busy
// machine.
constexpr std::uint32_t kPolygonsPerSlice = 4096;

} // namespace

QString CPerspectiveRenderer::Create(bool contextUsable)
{
    m_bReady = false;
    if (!contextUsable || !initializeOpenGLFunctions())
        return QString(PERSPECTIVE_UNAVAILABLE).arg(QString(GL_NO_CONTEXT));
    m_pMeshProgram = new QOpenGLShaderProgram;
    m_pOverlayProgram = new QOpenGLShaderProgram;
    const bool built = m_pMeshProgram->addShaderFromSourceFile(QOpenGLShader::Vertex, ":/shaders/mesh.vert") &&
        m_pMeshProgram->addShaderFromSourceFile(QOpenGLShader::Fragment, ":/shaders/mesh.frag") &&
        m_pMeshProgram->link() &&
        m_pOverlayProgram->addShaderFromSourceFile(QOpenGLShader::Vertex, ":/shaders/overlay.vert") &&
        m_pOverlayProgram->addShaderFromSourceFile(QOpenGLShader::Fragment, ":/shaders/overlay.frag") &&
        m_pOverlayProgram->link();
    if (!built)
        return QString(PERSPECTIVE_UNAVAILABLE).arg(QString(GL_NO_SHADERS));
    glGenVertexArrays(1, &m_vao);
    glGenBuffers(1, &m_vbo);
    glGenVertexArrays(1, &m_overlayVao);
    glGenBuffers(1, &m_overlayVbo);
    glGenVertexArrays(1, &m_tintVao);
    glGenBuffers(1, &m_tintVbo);
    m_tintCorners = 0;

    const texture::RgbaImage& board = CTextureCache::Checkerboard();
    glGenTextures(1, &m_checkerId);
    glBindTexture(GL_TEXTURE_2D, m_checkerId);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, board.width, board.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 board.rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    m_bReady = true;
    m_bMeshUploaded = false;
    return {};
}

void CPerspectiveRenderer::Release()
{
    if (m_vao) {
        glDeleteVertexArrays(1, &m_vao);
        glDeleteBuffers(1, &m_vbo);
        glDeleteVertexArrays(1, &m_overlayVao);
        glDeleteBuffers(1, &m_overlayVbo);
        glDeleteVertexArrays(1, &m_tintVao);
        glDeleteBuffers(1, &m_tintVbo);
        if (!m_textureIds.empty())
            glDeleteTextures(static_cast<GLsizei>(m_textureIds.size()), m_textureIds.data());
        glDeleteTextures(1, &m_checkerId);
    }
    m_vao = m_vbo = m_overlayVao = m_overlayVbo = m_tintVao = m_tintVbo = m_checkerId = 0;
    m_tintCorners = 0;
    m_textureIds.clear();
    delete m_pMeshProgram;
    delete m_pOverlayProgram;
    m_pMeshProgram = m_pOverlayProgram = nullptr;
    m_bReady = m_bMeshUploaded = false;
}

void CPerspectiveRenderer::Clear(const float (&rgb)[3])
{
    glClearColor(rgb[0], rgb[1], rgb[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CPerspectiveRenderer::UploadMesh(const CPerspectiveMesh& mesh)
{
    const auto& vertices = mesh.Vertices();
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

void CPerspectiveRenderer::UploadTouched(const CPerspectiveMesh& mesh, const std::vector<std::uint32_t>& touched)
{
    if (!m_bMeshUploaded || touched.empty())
        return;
    const auto& vertices = mesh.Vertices();
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

void CPerspectiveRenderer::UploadTextures(const CPerspectiveMesh& mesh, const scene::CQM4EditDoc& doc,
                                          CTextureCache& textures)
{
    if (!m_textureIds.empty())
        glDeleteTextures(static_cast<GLsizei>(m_textureIds.size()), m_textureIds.data());
    m_textureIds.assign(mesh.Batches().size(), 0);
    for (std::size_t b = 0; b < m_textureIds.size(); ++b) {
        const std::string name = doc.GetTextureName(static_cast<std::uint32_t>(mesh.Batches()[b].texture));
        const texture::RgbaImage& image = textures.Get(name);
        if (textures.IsMissing(name))
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

void CPerspectiveRenderer::DrawSliced(std::uint32_t first, std::uint32_t count)
{
    constexpr std::uint32_t slice = kPolygonsPerSlice * 3;
    for (std::uint32_t done = 0; done < count; done += slice) {
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(first + done),
                     static_cast<GLsizei>(std::min(slice, count - done)));
        glFlush();
    }
}

void CPerspectiveRenderer::DrawMesh(const CPerspectiveMesh& mesh, const QMatrix4x4& view, const QMatrix4x4& proj,
                                    const Look& look)
{
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
    m_pMeshProgram->setUniformValue("uFlipV", look.flipV);
    m_pMeshProgram->setUniformValue("uTexture", 0);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(m_vao);
    const auto& batches = mesh.Batches();
    for (std::size_t b = 0; b < batches.size(); ++b) {
        glBindTexture(GL_TEXTURE_2D, m_textureIds[b] ? m_textureIds[b] : m_checkerId);
        DrawSliced(batches[b].first, batches[b].count);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDepthFunc(GL_LEQUAL);

    if (look.wireframe && !mesh.Vertices().empty()) {
        m_pOverlayProgram->bind();
        m_pOverlayProgram->setUniformValue("uMvp", proj * view);
        m_pOverlayProgram->setUniformValue("uColor", QColor::fromRgbF(kWireColor[0], kWireColor[1], kWireColor[2]));
        m_pOverlayProgram->setUniformValue("uRing", false);
        m_pOverlayProgram->setUniformValue("uPointSize", 1.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        DrawSliced(0, static_cast<std::uint32_t>(mesh.Vertices().size()));
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    glBindVertexArray(0);
}

void CPerspectiveRenderer::UploadFaceTint(const std::vector<scene::ObjectVertex>& corners)
{
    glBindVertexArray(m_tintVao);
    glBindBuffer(GL_ARRAY_BUFFER, m_tintVbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(scene::ObjectVertex)), corners.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(scene::ObjectVertex), nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    m_tintCorners = static_cast<std::uint32_t>(corners.size());
}

void CPerspectiveRenderer::DrawFaceTint(const QMatrix4x4& mvp, std::uint32_t colorref)
{
    if (m_tintCorners == 0)
        return;
    m_pOverlayProgram->bind();
    m_pOverlayProgram->setUniformValue("uMvp", mvp);
    QColor tint(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF));
    tint.setAlphaF(kTintAlpha);
    m_pOverlayProgram->setUniformValue("uColor", tint);
    m_pOverlayProgram->setUniformValue("uRing", false);
    m_pOverlayProgram->setUniformValue("uPointSize", 1.0f);
    // The faces were drawn pushed back a little: the tint lies on them where they show and
    // stays hidden behind whatever stands in front.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindVertexArray(m_tintVao);
    DrawSliced(0, m_tintCorners);
    glBindVertexArray(0);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void CPerspectiveRenderer::DrawSelection(const std::vector<scene::ObjectVertex>& points, int kind,
                                         const QMatrix4x4& mvp, std::uint32_t colorref)
{
    glBindVertexArray(m_overlayVao);
    glBindBuffer(GL_ARRAY_BUFFER, m_overlayVbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(points.size() * sizeof(scene::ObjectVertex)), points.data(),
                 GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(scene::ObjectVertex), nullptr);
    m_pOverlayProgram->bind();
    m_pOverlayProgram->setUniformValue("uMvp", mvp);
    m_pOverlayProgram->setUniformValue(
        "uColor", QColor(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF)));
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

void CPerspectiveRenderer::UnbindTexture()
{
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace qm4edit
