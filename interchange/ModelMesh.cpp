#include "interchange/ModelMesh.h"

namespace interchange {

scene::TextureVertex CornerUv(const scene::CQM4EditDoc& doc, const scene::PolygonRecord& p, int corner)
{
    return doc.GetTextureVertex(scene::CQM4EditDoc::GetTextureVertexKind(p.type), p.texVertex[corner]);
}

namespace {

template <class Record>
bool UvUsable(const std::span<const Record> list, std::uint16_t index)
{
    if (index >= list.size())
        return false;
    const Record& r = list[index];
    const float u = r.u, v = r.v; // copied: the records are packed
    return std::isfinite(u) && std::isfinite(v);
}

} // namespace

bool IsExportable(const scene::CQM4EditDoc& doc, const scene::PolygonRecord& p)
{
    if (p.texture >= doc.TextureNames().GetCount())
        return false;
    const auto vertices = doc.ObjectVertices().Records();
    const int kind = scene::CQM4EditDoc::GetTextureVertexKind(p.type);
    for (int c = 0; c < 3; ++c) {
        if (p.vertex[c] >= vertices.size())
            return false;
        const scene::ObjectVertex v = vertices[p.vertex[c]];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return false;
        const bool uv = kind == scene::TEXVERTEX_PRELIT ? UvUsable(doc.PrelitTexVertices().Records(), p.texVertex[c])
            : kind == scene::TEXVERTEX_LIT              ? UvUsable(doc.LitTexVertices().Records(), p.texVertex[c])
                                                        : UvUsable(doc.UnlitTexVertices().Records(), p.texVertex[c]);
        if (!uv)
            return false;
    }
    return true;
}

std::string ObjectName(int objectIndex, int objectCount)
{
    const std::string number = std::to_string(objectIndex + 1);
    const std::size_t width = std::to_string(objectCount < 1 ? 1 : objectCount).size();
    return "Object_" + std::string(width > number.size() ? width - number.size() : 0, '0') + number;
}

std::string SanitizeName(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
            c == '-' || c == '_';
        if (!keep)
            c = '_';
    }
    return out;
}

std::string MaterialName(const scene::CQM4EditDoc& doc, int textureIndex)
{
    return "tex" + std::to_string(textureIndex) + "_" +
        SanitizeName(doc.GetTextureName(static_cast<std::uint32_t>(textureIndex)));
}

} // namespace interchange
