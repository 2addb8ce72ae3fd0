#pragma once
// What export and import agree on: which polygons a model file carries, how objects and
// materials are named, and how numbers are written.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "scene/QM4EditDoc.h"

namespace interchange {

// A polygon goes into a model file only when every index it holds names something that exists
// and every corner has a finite position and texture coordinate; the import skips the same
// polygons, so its k-th face still meets the k-th exported polygon.
bool IsExportable(const scene::CQM4EditDoc& doc, const scene::PolygonRecord& p);

// The texture vertex (u, v) a corner uses; only valid for exportable polygons.
scene::TextureVertex CornerUv(const scene::CQM4EditDoc& doc, const scene::PolygonRecord& p, int corner);

// "Object_07": the tree's 1-based number, zero-padded to the width of the scene's largest one.
std::string ObjectName(int objectIndex, int objectCount);

// "tex3_brick.tex": the texture index and its name with anything but letters, digits, dot,
// minus and underscore turned into underscores.
std::string MaterialName(const scene::CQM4EditDoc& doc, int textureIndex);
std::string SanitizeName(std::string_view text);

// The shortest text that reads back as exactly the same float.
inline void AppendFloat(std::string& s, float f)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, f);
    s.append(buf, r.ptr);
}

inline void AppendUInt(std::string& s, std::uint64_t v)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

} // namespace interchange
