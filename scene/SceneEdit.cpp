#include "scene/SceneEdit.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace scene {

namespace {

// A polygon refers to a name by 16 bits.
constexpr std::size_t MAX_TEXTURE_NAMES = 0x10000;
constexpr std::size_t MAX_TEXTURE_NAME_BYTES = 255;

bool SameBits(const TextureVertex& a, float u, float v)
{
    return std::memcmp(&a.u, &u, sizeof u) == 0 && std::memcmp(&a.v, &v, sizeof v) == 0;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
        std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

template <class List>
std::uint8_t* UvIn(List& list, std::uint32_t index)
{
    auto records = list.Records();
    return index < records.size() ? reinterpret_cast<std::uint8_t*>(&records[index]) : nullptr;
}

// Packed records: u and v are read and written byte-wise, whatever their alignment.
TextureVertex ReadUv(const std::uint8_t* uv)
{
    TextureVertex t;
    std::memcpy(&t.u, uv, 4);
    std::memcpy(&t.v, uv + 4, 4);
    return t;
}

void WriteUv(std::uint8_t* uv, const TextureVertex& t)
{
    std::memcpy(uv, &t.u, 4);
    std::memcpy(uv + 4, &t.v, 4);
}

TextureEditPlan Refused(std::string message)
{
    TextureEditPlan plan;
    plan.message = std::move(message);
    return plan;
}

TextureEditPlan Planned(CSceneEdit edit)
{
    TextureEditPlan plan;
    plan.ok = true;
    plan.edit = std::move(edit);
    return plan;
}

// Messages are UTF-8 and names single bytes (Latin-1): a byte from 0x80 up becomes the two
// bytes of its character, so that "pav\xE9" shows as the name the user sees in the lists.
std::string Quoted(std::string_view name)
{
    std::string out = "\"";
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out + "\"";
}

} // namespace

// ---- CSceneEdit ----

// A vertex edit already applied (a drag's, a nudge's) stays applied: undo reverts it.
CSceneEdit::CSceneEdit(CVertexEdit positions)
    : m_positions(std::move(positions)), m_captured(m_positions.IsApplied()), m_applied(m_positions.IsApplied())
{}

void CSceneEdit::SetTexVertices(std::vector<TexVertexChange> changes)
{
    m_requestedTexVertices = std::move(changes);
}

void CSceneEdit::SetPolygonTextures(std::vector<PolygonTextureChange> changes)
{
    m_requestedPolygons = std::move(changes);
}

void CSceneEdit::SetTextureNames(std::vector<std::string> names)
{
    m_requestedNames = std::move(names);
    m_namesRequested = true;
}

bool CSceneEdit::HasEffect() const
{
    return m_positions.HasEffect() || ChangesTexturing();
}

void CSceneEdit::Capture(CQM4EditDoc& doc)
{
    if (m_namesRequested && m_requestedNames != doc.TextureNames().Names()) {
        m_namesBefore = doc.TextureNames().Names();
        m_namesAfter = std::move(m_requestedNames);
        m_namesChanged = true;
    }
    m_requestedNames = {};

    // The last request for each polygon wins; requests are usually one per polygon already,
    // so a stable sort by place is cheap and keeps their order for ties.
    std::stable_sort(m_requestedPolygons.begin(), m_requestedPolygons.end(), [](const auto& a, const auto& b) {
        return a.polygon.object != b.polygon.object ? a.polygon.object < b.polygon.object
                                                    : a.polygon.polygon < b.polygon.polygon;
    });
    const CObjectInfoList& objects = doc.ObjectInfo();
    for (std::size_t i = 0; i < m_requestedPolygons.size(); ++i) {
        const PolygonTextureChange& c = m_requestedPolygons[i];
        if (i + 1 < m_requestedPolygons.size() && m_requestedPolygons[i + 1].polygon == c.polygon)
            continue;
        if (c.polygon.object < 0 || c.polygon.polygon < 0 ||
            c.polygon.polygon >= objects.GetPolygonCount(static_cast<std::size_t>(c.polygon.object)))
            continue;
        const std::uint16_t before =
            objects.GetPolygon(static_cast<std::size_t>(c.polygon.object), static_cast<std::size_t>(c.polygon.polygon))
                .texture;
        if (before != c.texture)
            m_polygons.push_back({c.polygon, before, c.texture});
    }
    m_requestedPolygons = {};
    m_polygons.shrink_to_fit();

    std::stable_sort(m_requestedTexVertices.begin(), m_requestedTexVertices.end(), [](const auto& a, const auto& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.index < b.index;
    });
    for (std::size_t i = 0; i < m_requestedTexVertices.size(); ++i) {
        const TexVertexChange& c = m_requestedTexVertices[i];
        if (i + 1 < m_requestedTexVertices.size() && m_requestedTexVertices[i + 1].kind == c.kind &&
            m_requestedTexVertices[i + 1].index == c.index)
            continue;
        const std::uint8_t* uv = UvOf(doc, c.kind, c.index);
        if (!uv)
            continue;
        const TextureVertex before = ReadUv(uv);
        if (!SameBits(before, c.u, c.v))
            m_texVertices.push_back({c.kind, c.index, before, {c.u, c.v}});
    }
    m_requestedTexVertices = {};
    m_texVertices.shrink_to_fit();
}

void CSceneEdit::Apply(CQM4EditDoc& doc)
{
    if (m_applied)
        return;
    if (!m_captured) {
        Capture(doc);
        m_captured = true;
    }
    m_applied = true;
    if (m_namesChanged)
        doc.m_textureNames.SetNames(m_namesAfter);
    for (const PolygonStep& p : m_polygons)
        doc.m_objectInfo.SetPolygonTexture(static_cast<std::size_t>(p.polygon.object),
                                           static_cast<std::size_t>(p.polygon.polygon), p.after);
    for (const TexVertexStep& t : m_texVertices)
        WriteUv(UvOf(doc, t.kind, t.index), t.after);
    m_positions.Apply(doc, false);
    if (ChangesTexturing()) {
        doc.SetModifiedFlag(true);
        doc.NotifyTexturingChanged();
    }
    doc.NotifyUpdateAllViews();
}

void CSceneEdit::Revert(CQM4EditDoc& doc)
{
    if (!m_applied)
        return;
    m_applied = false;
    m_positions.Revert(doc, false);
    for (const TexVertexStep& t : m_texVertices)
        WriteUv(UvOf(doc, t.kind, t.index), t.before);
    for (const PolygonStep& p : m_polygons)
        doc.m_objectInfo.SetPolygonTexture(static_cast<std::size_t>(p.polygon.object),
                                           static_cast<std::size_t>(p.polygon.polygon), p.before);
    if (m_namesChanged)
        doc.m_textureNames.SetNames(m_namesBefore);
    if (ChangesTexturing()) {
        doc.SetModifiedFlag(true);
        doc.NotifyTexturingChanged();
    }
    doc.NotifyUpdateAllViews();
}

std::size_t CSceneEdit::ByteSize() const
{
    std::size_t names = 0;
    for (const auto* list : {&m_namesBefore, &m_namesAfter})
        for (const std::string& n : *list)
            names += sizeof(std::string) + n.capacity();
    return sizeof(*this) + m_positions.ByteSize() + m_texVertices.capacity() * sizeof(TexVertexStep) +
        m_polygons.capacity() * sizeof(PolygonStep) + names;
}

std::uint8_t* CSceneEdit::UvOf(CQM4EditDoc& doc, int kind, std::uint32_t index)
{
    switch (kind) {
    case TEXVERTEX_PRELIT: return UvIn(doc.m_prelitTexVertices, index);
    case TEXVERTEX_LIT: return UvIn(doc.m_litTexVertices, index);
    case TEXVERTEX_UNLIT: return UvIn(doc.m_unlitTexVertices, index);
    default: return nullptr;
    }
}

// ---- texture operations ----

std::string CheckTextureName(std::string_view name, const CNameList& names, int except)
{
    if (name.empty())
        return "A texture name needs at least one character.";
    if (name.size() > MAX_TEXTURE_NAME_BYTES)
        return "A texture name can be at most 255 characters long; this one has " + std::to_string(name.size()) + ".";
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b == 127)
            return "A texture name cannot hold control characters.";
    }
    const auto& all = names.Names();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (static_cast<int>(i) != except && SameNameIgnoringCase(names.GetName(static_cast<std::uint32_t>(i)), name))
            return "The scene already has a texture named " + Quoted(names.GetName(static_cast<std::uint32_t>(i))) +
                ".";
    return {};
}

TextureEditPlan PlanAssignTexture(const CQM4EditDoc& doc, std::span<const PolygonRef> polygons, std::uint16_t texture)
{
    if (texture >= doc.TextureNames().Names().size())
        return Refused("The scene has no texture " + std::to_string(texture) + ".");
    std::vector<PolygonTextureChange> changes;
    changes.reserve(polygons.size());
    for (const PolygonRef& p : polygons)
        changes.push_back({p, texture});
    CSceneEdit edit;
    edit.SetPolygonTextures(std::move(changes));
    return Planned(std::move(edit));
}

TextureEditPlan PlanRenameTexture(const CQM4EditDoc& doc, std::uint32_t index, std::string_view name)
{
    const CNameList& names = doc.TextureNames();
    if (index >= names.Names().size())
        return Refused("The scene has no texture " + std::to_string(index) + ".");
    if (std::string message = CheckTextureName(name, names, static_cast<int>(index)); !message.empty())
        return Refused(std::move(message));
    std::vector<std::string> after = names.Names();
    after[index] = std::string(name);
    CSceneEdit edit;
    edit.SetTextureNames(std::move(after));
    return Planned(std::move(edit));
}

TextureEditPlan PlanAddTexture(const CQM4EditDoc& doc, std::string_view name)
{
    const CNameList& names = doc.TextureNames();
    if (names.Names().size() >= MAX_TEXTURE_NAMES)
        return Refused("The scene already has 65536 texture names, as many as a polygon can refer to.");
    if (std::string message = CheckTextureName(name, names); !message.empty())
        return Refused(std::move(message));
    std::vector<std::string> after = names.Names();
    after.emplace_back(name);
    CSceneEdit edit;
    edit.SetTextureNames(std::move(after));
    return Planned(std::move(edit));
}

TextureEditPlan PlanRemoveTexture(const CQM4EditDoc& doc, std::uint32_t index)
{
    const CNameList& names = doc.TextureNames();
    if (index >= names.Names().size())
        return Refused("The scene has no texture " + std::to_string(index) + ".");
    std::vector<PolygonTextureChange> shifted;
    std::size_t users = 0;
    const auto objects = doc.ObjectInfo().Objects();
    for (std::size_t o = 0; o < objects.size(); ++o)
        for (std::size_t p = 0; p < objects[o].polygons.size(); ++p) {
            const std::uint16_t t = objects[o].polygons[p].texture;
            if (t == index)
                ++users;
            else if (t > index)
                shifted.push_back({{static_cast<int>(o), static_cast<int>(p)}, static_cast<std::uint16_t>(t - 1)});
        }
    if (users != 0)
        return Refused("Texture " + Quoted(names.GetName(index)) + " is used by " + std::to_string(users) +
                       (users == 1 ? " polygon" : " polygons") + " and cannot be removed.");
    std::vector<std::string> after = names.Names();
    after.erase(after.begin() + static_cast<std::ptrdiff_t>(index));
    CSceneEdit edit;
    edit.SetTextureNames(std::move(after));
    edit.SetPolygonTextures(std::move(shifted));
    return Planned(std::move(edit));
}

std::vector<std::size_t> TextureUseCounts(const CQM4EditDoc& doc)
{
    std::vector<std::size_t> counts(doc.TextureNames().Names().size(), 0);
    for (const ObjectRecord& o : doc.ObjectInfo().Objects())
        for (const PolygonRecord& p : o.polygons)
            if (p.texture < counts.size())
                ++counts[p.texture];
    return counts;
}

std::vector<PolygonRef> PolygonsUsingTexture(const CQM4EditDoc& doc, std::uint16_t texture)
{
    std::vector<PolygonRef> out;
    const auto objects = doc.ObjectInfo().Objects();
    for (std::size_t o = 0; o < objects.size(); ++o)
        for (std::size_t p = 0; p < objects[o].polygons.size(); ++p)
            if (objects[o].polygons[p].texture == texture)
                out.push_back({static_cast<int>(o), static_cast<int>(p)});
    return out;
}

} // namespace scene
