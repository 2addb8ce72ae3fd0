#pragma once
// Undoable scene edits: one record per undo step, whatever it changes. Positions go through a
// CVertexEdit (with its bounds bytes); texturing adds three parts of its own, none of which
// touches a box: the u and v of texture vertices, the polygons' texture indices, and the
// texture names (section 8, the only section whose length an edit may change).
//
// Every part keeps the bytes before and after, so Revert writes back exactly what Apply
// overwrote and a file edited, undone and saved is the file that was opened.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scene/QM4EditDoc.h"
#include "scene/VertexEdit.h"

namespace scene {

// A texture vertex's u and v, in the list a polygon's type word selects (TEXVERTEX_UNLIT,
// TEXVERTEX_PRELIT or TEXVERTEX_LIT). The bytes after u and v are never touched.
struct TexVertexChange {
    int kind = TEXVERTEX_UNLIT;
    std::uint32_t index = 0;
    float u = 0.0f;
    float v = 0.0f;
};

struct PolygonRef {
    int object = 0;
    int polygon = 0;
    friend bool operator==(const PolygonRef&, const PolygonRef&) = default;
};

struct PolygonTextureChange {
    PolygonRef polygon;
    std::uint16_t texture = 0;
};

class CSceneEdit {
public:
    CSceneEdit() = default;
    // Every vertex edit is a scene edit that moves vertices only, applied if it was.
    CSceneEdit(CVertexEdit positions); // NOLINT(google-explicit-constructor)

    // Requests, taken at the first Apply like CVertexEdit's: entries out of range and values
    // a record already holds bit for bit are dropped; an entry named twice ends at its last.
    void SetTexVertices(std::vector<TexVertexChange> changes);
    void SetPolygonTextures(std::vector<PolygonTextureChange> changes);
    // The whole list of texture names after the edit; unchanged lists are dropped.
    void SetTextureNames(std::vector<std::string> names);

    // Names first, then polygons, texture vertices and positions; Revert in reverse. The
    // modified flag is set when anything changed; observers hear TexturingChanged when a
    // texturing part changed, then one UpdateAllViews. Apply does nothing while applied,
    // Revert nothing unless applied.
    void Apply(CQM4EditDoc& doc);
    void Revert(CQM4EditDoc& doc);

    bool IsApplied() const { return m_applied; }
    // Known after the first Apply.
    bool HasEffect() const;
    std::size_t ByteSize() const;

    // What the edit changes, after the first Apply: for summaries and for the views.
    const CVertexEdit& Positions() const { return m_positions; }
    std::size_t TexVertexCount() const { return m_texVertices.size(); }
    std::size_t PolygonTextureCount() const { return m_polygons.size(); }
    bool ChangesTextureNames() const { return m_namesChanged; }

private:
    void Capture(CQM4EditDoc& doc);
    // Where the u and v of a texture vertex start in its record; null when out of range.
    static std::uint8_t* UvOf(CQM4EditDoc& doc, int kind, std::uint32_t index);
    bool ChangesTexturing() const { return !m_texVertices.empty() || !m_polygons.empty() || m_namesChanged; }

    struct TexVertexStep {
        int kind;
        std::uint32_t index;
        TextureVertex before;
        TextureVertex after;
    };
    struct PolygonStep {
        PolygonRef polygon;
        std::uint16_t before;
        std::uint16_t after;
    };

    CVertexEdit m_positions;
    std::vector<TexVertexChange> m_requestedTexVertices; // until the first Apply
    std::vector<PolygonTextureChange> m_requestedPolygons;
    std::vector<std::string> m_requestedNames;
    bool m_namesRequested = false;

    std::vector<TexVertexStep> m_texVertices;
    std::vector<PolygonStep> m_polygons;
    std::vector<std::string> m_namesBefore;
    std::vector<std::string> m_namesAfter;
    bool m_namesChanged = false;
    bool m_captured = false;
    bool m_applied = false;
};

// ---- texture operations the editor offers, planned against the document as it stands ----

// Texture names are single-byte text of 1 to 255 bytes with no control character (below 32,
// or 127), unique among the scene's names compared case-insensitively (as the texture lookup
// compares them). Returns the message to show, or an empty string when the name may be used.
// except: the index of the name being renamed, which may keep its own name's spelling.
std::string CheckTextureName(std::string_view name, const CNameList& names, int except = -1);

struct TextureEditPlan {
    bool ok = false;
    std::string message; // why it is refused, when !ok
    CSceneEdit edit; // not yet applied
};

// Every listed polygon gets texture index texture (below the name count). Polygons out of
// range are skipped.
TextureEditPlan PlanAssignTexture(const CQM4EditDoc& doc, std::span<const PolygonRef> polygons, std::uint16_t texture);
TextureEditPlan PlanRenameTexture(const CQM4EditDoc& doc, std::uint32_t index, std::string_view name);
// Appends a name; refused when the list already holds the 65,536 a polygon can refer to.
TextureEditPlan PlanAddTexture(const CQM4EditDoc& doc, std::string_view name);
// Removes a name no polygon uses; every polygon's index above it goes down by one.
TextureEditPlan PlanRemoveTexture(const CQM4EditDoc& doc, std::uint32_t index);

// How many polygons use each texture name, one count per name.
std::vector<std::size_t> TextureUseCounts(const CQM4EditDoc& doc);
// Every polygon whose texture index is texture, in object and polygon order.
std::vector<PolygonRef> PolygonsUsingTexture(const CQM4EditDoc& doc, std::uint16_t texture);

} // namespace scene
