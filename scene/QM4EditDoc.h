#pragma once
// The scene document: sole owner of one scene file in memory.
//
// It reads and writes the file, offers the read and edit operations the views, dialogs and
// data exchange use, and tells its observers when the tree must be rebuilt or the views
// updated. It never shows anything itself: load and save hand back the exact text and icon
// the user must see.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "common/AtomicFile.h"
#include "common/ByteReader.h"
#include "common/ByteWriter.h"
#include "common/Prompt.h"
#include "scene/NameList.h"
#include "scene/ObjectInfo.h"
#include "scene/RecordLists.h"
#include "scene/SceneBounds.h"
#include "scene/SceneMessages.h"
#include "scene/SceneRecords.h"
#include "scene/VertexObjectIndex.h"

namespace scene {

// What the GUI implements to follow the document. Every call has a do-nothing default.
class ISceneObserver {
public:
    virtual ~ISceneObserver() = default;
    // Remove every item of the tree.
    virtual void ClearTree() {}
    // Called for every object in index order after ClearTree while a scene is loaded.
    virtual void AddObjectToTree(int /*objectIndex*/, const ObjectRecord& /*record*/) {}
    // Positions or boxes changed, or a new scene was read: repaint.
    virtual void UpdateAllViews() {}
    // The modified flag changed (for the window title and the Save commands).
    virtual void ModifiedChanged(bool /*modified*/) {}
    // Texture names, polygons' texture indices or texture vertices changed (an UpdateAllViews
    // follows): for what caches them, such as meshes, thumbnails and texture lists.
    virtual void TexturingChanged() {}
};

enum class LoadStatus {
    Loaded, // the scene was read completely
    Rejected, // the file was read but holds no valid scene; the scene is empty. The open
    // still counts as done (the document takes the file's name).
    NotOpened, // the file could not be read at all; the open fails and the document keeps
    // its previous name. The scene is unchanged unless reading had begun.
};

struct LoadResult {
    LoadStatus status = LoadStatus::Loaded;
    std::string message; // empty when there is nothing to show
    common::MessageIcon icon = common::MessageIcon::None;

    bool Ok() const { return status == LoadStatus::Loaded; }
    void Report(common::IPrompt& prompt) const
    {
        if (!message.empty())
            prompt.ShowMessage(message, icon);
    }
};

struct SaveResult {
    bool ok = true;
    std::string message;
    common::MessageIcon icon = common::MessageIcon::None;

    void Report(common::IPrompt& prompt) const
    {
        if (!message.empty())
            prompt.ShowMessage(message, icon);
    }
};

inline constexpr char QM4_MAGIC[31] = "Quorum Motion Kit IV Data File"; // 30 characters and a zero
inline constexpr std::uint32_t QM4_VERSION = 5;

class CQM4EditDoc {
public:
    CQM4EditDoc();
    CQM4EditDoc(const CQM4EditDoc&) = delete;
    CQM4EditDoc& operator=(const CQM4EditDoc&) = delete;

    // Observers are not owned; remove one before it is destroyed.
    void AddObserver(ISceneObserver* observer);
    void RemoveObserver(ISceneObserver* observer);

    // ---- whole file ----

    // A new, empty document: the scene is emptied and the modified flag cleared.
    bool OnNewDocument();
    // Reads the file at path. On success the modified flag is clear.
    LoadResult OnOpenDocument(const std::filesystem::path& path);
    // Writes the scene to path atomically. On success the modified flag is cleared; on
    // failure the file at path is as it was, and the flag stays.
    SaveResult OnSaveDocument(const std::filesystem::path& path, common::IFileSystem& fs = common::RealFileSystem());

    // Reading from memory (the whole file's bytes). Empties the scene first; a failure
    // leaves it empty. Rebuilds the tree and updates the views either way.
    LoadResult Serialize(std::span<const std::uint8_t> file);
    // Writing: the whole file's bytes.
    void Serialize(common::ByteWriter& ar) const;
    std::vector<std::uint8_t> SaveToBytes() const;
    // The size of the file SaveToBytes makes.
    std::size_t SerializedSize() const;

    // ---- state ----

    void ClearScene();
    bool IsLoaded() const { return m_bLoaded; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);

    // ---- read and edit operations ----

    // Out of range: (0, 0, 0).
    ObjectVertex GetVertex(int index) const;
    int GetVertexCount() const { return m_objectVertices.GetCount(); }
    // Stores a position and sets the modified flag; nothing is redrawn. An index out of
    // range stores nothing and returns false.
    bool SetVertex(int index, float x, float y, float z);
    // SetVertex, then UpdateGeometry.
    bool SetVertexAndUpdate(int index, float x, float y, float z);
    // Recomputes every object's box and bounds tree, then the scene bounds, then updates
    // the views. The modified flag is left alone.
    void UpdateGeometry();
    // UpdateGeometry after these vertices moved, with the same result, quicker: while the
    // stored boxes are known to be what a recompute gave before the move, only the boxes and
    // tree nodes of the objects whose polygons use a moved vertex, and the scene bounds above
    // them, are recomputed. Otherwise (a file saved with stale boxes, or positions stored
    // since without a recompute) everything is. Views are updated once; the modified flag
    // is left alone. Indices out of range are ignored.
    void UpdateGeometryFor(std::span<const int> movedVertices);
    // Builds ahead what the first recompute after an edit would otherwise build on the spot
    // (which objects use each vertex, the exact box of every tree node), and finds out once
    // whether the stored boxes are what a recompute gives, so that the first drag commits as
    // quickly as later ones. Optional: on a shortage of memory it leaves that work to the
    // recompute, and then the first edit recomputes everything.
    void PrepareForEdits() noexcept;
    // Stores positions without recomputing anything and without touching the modified flag,
    // then updates the views once: the live part of a drag, which a CVertexEdit then commits.
    // Indices out of range are ignored.
    void PreviewVertices(std::span<const VertexChange> positions);
    // Empties the tree, then, while loaded, hands every object to it in index order.
    void RefreshTree();

    int GetObjectCount() const { return m_objectInfo.GetObjectCount(); }
    int GetPolygonCount(int objectIndex) const;
    // Out of range: an empty record.
    const ObjectRecord& GetObjectRecord(int objectIndex) const;
    // Out of range: an all-zero record.
    PolygonRecord GetPolygon(int objectIndex, int polygonIndex) const;

    static int GetTextureVertexKind(std::uint32_t typeWord);
    // Kind 1 reads the prelit list, 2 the lit list, anything else the unlit list; only the
    // low 16 bits of the index count; a missing record gives zeros.
    TextureVertex GetTextureVertex(int kind, std::uint32_t index) const;
    // Entry of the texture names up to its first zero byte; empty if there is none.
    std::string GetTextureName(std::uint32_t index) const;

    // ---- sections, for tools and tests ----

    const CVertexList& ObjectVertices() const { return m_objectVertices; }
    const CUnlitTexVertexList& UnlitTexVertices() const { return m_unlitTexVertices; }
    const CPrelitTexVertexList& PrelitTexVertices() const { return m_prelitTexVertices; }
    const CLitTexVertexList& LitTexVertices() const { return m_litTexVertices; }
    const CLightSourceList& LightSources() const { return m_lightSources; }
    const CObjectInfoList& ObjectInfo() const { return m_objectInfo; }
    CObjectInfoList& ObjectInfo() { return m_objectInfo; }
    const CSceneBounds& SceneBounds() const { return m_sceneBounds; }
    CSceneBounds& SceneBounds() { return m_sceneBounds; }
    const CNameList& TextureNames() const { return m_textureNames; }
    const CNameList& ExtraNames() const { return m_extraNames; }
    const std::vector<std::uint8_t>& TrailingData() const { return m_trailingData; }
    // Built on first use after a load; the polygons never change while a scene is loaded.
    const CVertexObjectIndex& VertexObjectIndex() const;

private:
    friend class CVertexEdit;
    friend class CVertexDrag;
    friend class CSceneEdit;

    // Whether the stored boxes equal a recompute of the current positions.
    enum class BoundsState : std::uint8_t { Unknown, Current, Stale };

    void NotifyClearTree();
    void NotifyUpdateAllViews();
    void NotifyTexturingChanged();
    // The recompute of UpdateGeometryFor, logging what it overwrites when asked: only what
    // the moved vertices reach while the boxes are current, else everything. Leaves the
    // boxes current.
    void RecomputeMoved(std::span<const int> movedVertices, ObjectBoundsLog* objectLog, SceneBoundsLog* sceneLog);
    void RecomputeAll(ObjectBoundsLog* objectLog, SceneBoundsLog* sceneLog);
    std::span<ObjectVertex> MutableVertices() { return m_objectVertices.Records(); }

    bool m_bLoaded = false;
    CVertexList m_objectVertices;
    CUnlitTexVertexList m_unlitTexVertices;
    CPrelitTexVertexList m_prelitTexVertices;
    CLitTexVertexList m_litTexVertices;
    CLightSourceList m_lightSources;
    CObjectInfoList m_objectInfo;
    CSceneBounds m_sceneBounds;
    CNameList m_textureNames{Section::TextureNames};
    CNameList m_extraNames{Section::ExtraNames};
    std::vector<std::uint8_t> m_trailingData;

    bool m_bModified = false;
    BoundsState m_boundsState = BoundsState::Unknown;
    // Drags under way: their frames hold positions the boxes were never meant to match.
    int m_nLiveDrags = 0;
    mutable CVertexObjectIndex m_vertexObjects;
    std::vector<ISceneObserver*> m_observers;
};

} // namespace scene
