#pragma once
// What the perspective view keeps on the graphics card and how it draws it: the two shader
// programs, the mesh's buffer, one texture per batch (and a checkerboard for missing ones),
// and the overlay's buffer. Every call needs the view's context current.

#include <cstdint>
#include <vector>

#include <QMatrix4x4>
#include <QOpenGLFunctions_3_3_Core>

#include "scene/SceneRecords.h"

class QOpenGLShaderProgram;

namespace scene {
class CQM4EditDoc;
}

namespace qm4edit {

class CPerspectiveMesh;
class CTextureCache;

class CPerspectiveRenderer : protected QOpenGLFunctions_3_3_Core {
public:
    // What the frame's drawing reads besides the mesh.
    struct Look {
        bool flipV = false;
        bool wireframe = false;
    };

    CPerspectiveRenderer() = default;
    CPerspectiveRenderer(const CPerspectiveRenderer&) = delete;
    CPerspectiveRenderer& operator=(const CPerspectiveRenderer&) = delete;

    // Sets up the current context; the user's words for what failed, or empty.
    QString Create(bool contextUsable);
    // Gives back everything made on the current context.
    void Release();
    bool IsReady() const { return m_bReady; }
    bool HasObjects() const { return m_vao || m_pMeshProgram; }
    bool MeshUploaded() const { return m_bMeshUploaded; }

    void Clear(const float (&rgb)[3]);
    void UploadMesh(const CPerspectiveMesh& mesh);
    // Sends the corners of these polygons again.
    void UploadTouched(const CPerspectiveMesh& mesh, const std::vector<std::uint32_t>& touched);
    void UploadTextures(const CPerspectiveMesh& mesh, const scene::CQM4EditDoc& doc, CTextureCache& textures);
    // The polygons, and the wireframe over them when asked.
    void DrawMesh(const CPerspectiveMesh& mesh, const QMatrix4x4& view, const QMatrix4x4& proj, const Look& look);
    // The picked faces' corners, three per face, kept until the next upload.
    void UploadFaceTint(const std::vector<scene::ObjectVertex>& corners);
    // The picked faces washed with the colour where they show, after DrawMesh.
    void DrawFaceTint(const QMatrix4x4& mvp, std::uint32_t colorref);
    // The selection over everything: a ring around one point (kind 3), else lines by pairs.
    void DrawSelection(const std::vector<scene::ObjectVertex>& points, int kind, const QMatrix4x4& mvp,
                       std::uint32_t colorref);
    void UnbindTexture();

private:
    // Draws these mesh vertices as triangles, flushing them to the renderer in slices.
    void DrawSliced(std::uint32_t first, std::uint32_t count);

    bool m_bReady = false;
    bool m_bMeshUploaded = false;
    QOpenGLShaderProgram* m_pMeshProgram = nullptr;
    QOpenGLShaderProgram* m_pOverlayProgram = nullptr;
    unsigned m_vao = 0, m_vbo = 0;
    unsigned m_overlayVao = 0, m_overlayVbo = 0;
    unsigned m_tintVao = 0, m_tintVbo = 0;
    std::uint32_t m_tintCorners = 0;
    std::vector<unsigned> m_textureIds; // by batch
    unsigned m_checkerId = 0;
};

} // namespace qm4edit
