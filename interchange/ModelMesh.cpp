#include "interchange/ModelMesh.h"

namespace interchange {

namespace {

bool TexVertexExists(const scene::CQM4EditDoc& doc, int kind, std::uint16_t index)
{
    switch (kind) {
    case scene::TEXVERTEX_PRELIT: return doc.PrelitTexVertices().IsValidIndex(index);
    case scene::TEXVERTEX_LIT: return doc.LitTexVertices().IsValidIndex(index);
    default: return doc.UnlitTexVertices().IsValidIndex(index);
    }
}

} // namespace

scene::TextureVertex CornerUv(const scene::CQM4EditDoc& doc, const scene::PolygonRecord& p, int corner)
{
    return doc.GetTextureVertex(scene::CQM4EditDoc::GetTextureVertexKind(p.type), p.texVertex[corner]);
}

bool IsExportable(const scene::CQM4EditDoc& doc, const scene::PolygonRecord& p)
{
    if (p.texture >= doc.TextureNames().GetCount())
        return false;
    const int kind = scene::CQM4EditDoc::GetTextureVertexKind(p.type);
    for (int c = 0; c < 3; ++c) {
        if (p.vertex[c] >= doc.GetVertexCount() || !TexVertexExists(doc, kind, p.texVertex[c]))
            return false;
        const scene::ObjectVertex v = doc.ObjectVertices().GetAt(p.vertex[c]);
        const scene::TextureVertex t = CornerUv(doc, p, c);
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z) || !std::isfinite(t.u) ||
            !std::isfinite(t.v))
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
