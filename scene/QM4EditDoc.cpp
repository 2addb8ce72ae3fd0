#include "scene/QM4EditDoc.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "common/UserError.h"

namespace scene {

using common::MessageIcon;

CQM4EditDoc::CQM4EditDoc() = default;

void CQM4EditDoc::AddObserver(ISceneObserver* observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void CQM4EditDoc::RemoveObserver(ISceneObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void CQM4EditDoc::NotifyClearTree()
{
    for (ISceneObserver* o : m_observers)
        o->ClearTree();
}

void CQM4EditDoc::NotifyUpdateAllViews()
{
    for (ISceneObserver* o : m_observers)
        o->UpdateAllViews();
}

void CQM4EditDoc::NotifyTexturingChanged()
{
    for (ISceneObserver* o : m_observers)
        o->TexturingChanged();
}

void CQM4EditDoc::SetModifiedFlag(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    for (ISceneObserver* o : m_observers)
        o->ModifiedChanged(modified);
}

// ---- whole file ----

bool CQM4EditDoc::OnNewDocument()
{
    ClearScene();
    SetModifiedFlag(false);
    NotifyUpdateAllViews();
    return true;
}

LoadResult CQM4EditDoc::OnOpenDocument(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    const std::string name = common::PathToUtf8(path);
    switch (common::ReadWholeFile(path, bytes)) {
    case common::ReadStatus::Ok: return Serialize(bytes);
    case common::ReadStatus::CannotOpen: return {LoadStatus::NotOpened, CannotOpenMessage(name), MessageIcon::Stop};
    case common::ReadStatus::TooLarge: return {LoadStatus::NotOpened, TooLargeMessage(name), MessageIcon::Stop};
    case common::ReadStatus::ReadFailed: break;
    }
    return {LoadStatus::NotOpened, CannotReadMessage(name), MessageIcon::Stop};
}

LoadResult CQM4EditDoc::Serialize(std::span<const std::uint8_t> file)
{
    ClearScene();
    SetModifiedFlag(false);

    LoadResult result;
    auto fail = [&](LoadStatus status, std::string text) {
        ClearScene();
        result = {status, std::move(text), MessageIcon::Stop};
    };

    common::ByteReader ar(file);
    if (ar.Remaining() < sizeof QM4_MAGIC ||
        std::memcmp(ar.Bytes(sizeof QM4_MAGIC).data(), QM4_MAGIC, sizeof QM4_MAGIC) != 0) {
        fail(LoadStatus::Rejected, MSG_BAD_FORMAT);
    } else if (ar.Remaining() < 4) {
        fail(LoadStatus::NotOpened, MSG_SHORT_VERSION);
    } else if (ar.U32() != QM4_VERSION) {
        fail(LoadStatus::Rejected, MSG_BAD_VERSION);
    } else {
        try {
            m_objectVertices.Serialize(ar);
            m_unlitTexVertices.Serialize(ar);
            m_prelitTexVertices.Serialize(ar);
            m_litTexVertices.Serialize(ar);
            m_lightSources.Serialize(ar);
            m_objectInfo.Serialize(ar);
            m_sceneBounds.Serialize(ar);
            m_textureNames.Serialize(ar);
            m_extraNames.Serialize(ar);
            auto rest = ar.Rest();
            m_trailingData.assign(rest.begin(), rest.end());
            m_bLoaded = true;
        } catch (const common::UserError& e) {
            fail(LoadStatus::Rejected, e.Text());
        } catch (const std::bad_alloc&) {
            fail(LoadStatus::Rejected, MSG_OUT_OF_MEMORY);
        }
    }

    RefreshTree();
    NotifyUpdateAllViews();
    return result;
}

void CQM4EditDoc::Serialize(common::ByteWriter& ar) const
{
    ar.Bytes(QM4_MAGIC, sizeof QM4_MAGIC);
    ar.U32(QM4_VERSION);
    m_objectVertices.Serialize(ar);
    m_unlitTexVertices.Serialize(ar);
    m_prelitTexVertices.Serialize(ar);
    m_litTexVertices.Serialize(ar);
    m_lightSources.Serialize(ar);
    m_objectInfo.Serialize(ar);
    m_sceneBounds.Serialize(ar);
    m_textureNames.Serialize(ar);
    m_extraNames.Serialize(ar);
    ar.Bytes(m_trailingData.data(), m_trailingData.size());
}

std::size_t CQM4EditDoc::SerializedSize() const
{
    return sizeof QM4_MAGIC + 4 + m_objectVertices.SerializedSize() + m_unlitTexVertices.SerializedSize() +
        m_prelitTexVertices.SerializedSize() + m_litTexVertices.SerializedSize() + m_lightSources.SerializedSize() +
        m_objectInfo.SerializedSize() + m_sceneBounds.SerializedSize() + m_textureNames.SerializedSize() +
        m_extraNames.SerializedSize() + m_trailingData.size();
}

std::vector<std::uint8_t> CQM4EditDoc::SaveToBytes() const
{
    common::ByteWriter ar;
    ar.Reserve(SerializedSize());
    Serialize(ar);
    return ar.Take();
}

SaveResult CQM4EditDoc::OnSaveDocument(const std::filesystem::path& path, common::IFileSystem& fs)
{
    bool ok = false;
    try {
        const std::vector<std::uint8_t> bytes = SaveToBytes();
        ok = common::WriteFileAtomically(path, bytes, fs);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok)
        return {false, MSG_SAVE_FAILED, MessageIcon::Stop};
    SetModifiedFlag(false);
    return {};
}

// ---- state ----

void CQM4EditDoc::ClearScene()
{
    m_bLoaded = false;
    m_objectVertices.Clear();
    m_unlitTexVertices.Clear();
    m_prelitTexVertices.Clear();
    m_litTexVertices.Clear();
    m_lightSources.Clear();
    m_objectInfo.Clear();
    m_sceneBounds.Clear();
    m_textureNames.Clear();
    m_extraNames.Clear();
    m_trailingData.clear();
    m_trailingData.shrink_to_fit();
    m_vertexObjects.Clear();
    m_boundsState = BoundsState::Unknown;
    RefreshTree();
}

void CQM4EditDoc::RefreshTree()
{
    NotifyClearTree();
    if (!m_bLoaded)
        return;
    for (ISceneObserver* o : m_observers)
        m_objectInfo.AddObjectsToTree([o](int i, const ObjectRecord& r) { o->AddObjectToTree(i, r); });
}

// ---- read and edit operations ----

ObjectVertex CQM4EditDoc::GetVertex(int index) const
{
    if (index < 0)
        return ObjectVertex{0.0f, 0.0f, 0.0f};
    return m_objectVertices.GetVertex(static_cast<std::size_t>(index));
}

bool CQM4EditDoc::SetVertex(int index, float x, float y, float z)
{
    if (index < 0 || !m_objectVertices.SetVertex(static_cast<std::size_t>(index), x, y, z))
        return false;
    m_boundsState = BoundsState::Unknown;
    SetModifiedFlag(true);
    return true;
}

bool CQM4EditDoc::SetVertexAndUpdate(int index, float x, float y, float z)
{
    if (!SetVertex(index, x, y, z))
        return false;
    UpdateGeometry();
    return true;
}

void CQM4EditDoc::UpdateGeometry()
{
    RecomputeAll(nullptr, nullptr);
    NotifyUpdateAllViews();
}

void CQM4EditDoc::RecomputeAll(ObjectBoundsLog* objectLog, SceneBoundsLog* sceneLog)
{
    m_objectInfo.RecomputeObjectBounds(m_objectVertices.Records(), objectLog);
    m_sceneBounds.RecomputeBounds(m_objectInfo, sceneLog);
    m_boundsState = BoundsState::Current;
}

const CVertexObjectIndex& CQM4EditDoc::VertexObjectIndex() const
{
    if (!m_vertexObjects.IsBuilt())
        m_vertexObjects.Build(m_objectInfo, m_objectVertices.Records().size());
    return m_vertexObjects;
}

void CQM4EditDoc::PrepareForEdits() noexcept
{
    try {
        VertexObjectIndex();
        m_objectInfo.PrepareExactBoxes(m_objectVertices.Records());
        // Asked once: a file saved with stale boxes has its first edit recompute everything,
        // after which only what an edit reaches needs it.
        if (m_boundsState == BoundsState::Unknown && m_nLiveDrags == 0)
            m_boundsState = m_objectInfo.BoundsMatchRecompute(m_objectVertices.Records()) &&
                    m_sceneBounds.MatchesRecompute(m_objectInfo)
                ? BoundsState::Current
                : BoundsState::Stale;
    } catch (const std::bad_alloc&) {}
}

void CQM4EditDoc::RecomputeMoved(std::span<const int> movedVertices, ObjectBoundsLog* objectLog,
                                 SceneBoundsLog* sceneLog)
{
    if (m_boundsState != BoundsState::Current) {
        RecomputeAll(objectLog, sceneLog);
        return;
    }
    const CVertexObjectIndex& index = VertexObjectIndex();
    std::vector<std::uint8_t> moved(index.IndexedVertexCount(), 0);
    std::vector<std::uint8_t> changed(m_objectInfo.GetObjectCount(), 0);
    for (const int v : movedVertices) {
        if (v < 0 || static_cast<std::size_t>(v) >= moved.size())
            continue; // no polygon can name it
        moved[static_cast<std::size_t>(v)] = 1;
        for (const std::uint32_t o : index.ObjectsUsing(static_cast<std::size_t>(v)))
            changed[o] = 1;
    }
    std::vector<std::uint32_t> objects;
    for (std::size_t o = 0; o < changed.size(); ++o)
        if (changed[o])
            objects.push_back(static_cast<std::uint32_t>(o));
    if (objects.empty())
        return;
    m_objectInfo.RecomputeObjectBounds(m_objectVertices.Records(), objects, moved, objectLog);
    m_sceneBounds.RecomputeBounds(m_objectInfo, changed, sceneLog);
}

void CQM4EditDoc::UpdateGeometryFor(std::span<const int> movedVertices)
{
    RecomputeMoved(movedVertices, nullptr, nullptr);
    NotifyUpdateAllViews();
}

void CQM4EditDoc::PreviewVertices(std::span<const VertexChange> positions)
{
    for (const VertexChange& c : positions)
        if (c.index >= 0 && m_objectVertices.SetVertex(static_cast<std::size_t>(c.index), c.x, c.y, c.z))
            m_boundsState = BoundsState::Unknown;
    NotifyUpdateAllViews();
}

int CQM4EditDoc::GetPolygonCount(int objectIndex) const
{
    return objectIndex < 0 ? 0 : m_objectInfo.GetPolygonCount(static_cast<std::size_t>(objectIndex));
}

const ObjectRecord& CQM4EditDoc::GetObjectRecord(int objectIndex) const
{
    // The section answers any index out of range with an empty record.
    return m_objectInfo.GetObjectRecord(objectIndex < 0 ? SIZE_MAX : static_cast<std::size_t>(objectIndex));
}

PolygonRecord CQM4EditDoc::GetPolygon(int objectIndex, int polygonIndex) const
{
    if (objectIndex < 0 || polygonIndex < 0)
        return PolygonRecord{};
    return m_objectInfo.GetPolygon(static_cast<std::size_t>(objectIndex), static_cast<std::size_t>(polygonIndex));
}

int CQM4EditDoc::GetTextureVertexKind(std::uint32_t typeWord)
{
    switch (typeWord & 0xF) {
    case 9: return TEXVERTEX_PRELIT;
    case 10: return TEXVERTEX_LIT;
    default: return TEXVERTEX_UNLIT;
    }
}

TextureVertex CQM4EditDoc::GetTextureVertex(int kind, std::uint32_t index) const
{
    switch (kind) {
    case TEXVERTEX_PRELIT: {
        const PrelitTexVertex r = m_prelitTexVertices.GetTexVertex(index);
        return {r.u, r.v};
    }
    case TEXVERTEX_LIT: {
        const LitTexVertex r = m_litTexVertices.GetTexVertex(index);
        return {r.u, r.v};
    }
    default: {
        const UnlitTexVertex r = m_unlitTexVertices.GetTexVertex(index);
        return {r.u, r.v};
    }
    }
}

std::string CQM4EditDoc::GetTextureName(std::uint32_t index) const
{
    return m_textureNames.GetName(index);
}

} // namespace scene
