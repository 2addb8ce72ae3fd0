#pragma once
// Records of the scene file, laid out exactly as their bytes stand in the file.
//
// Lists of these records are read and written as one block with memcpy, so each struct is
// packed to its file size and the host must store numbers little-endian like the file does.
// Never bind a reference or pointer to a float member of a packed record: copy the value.

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace scene {

static_assert(std::endian::native == std::endian::little,
              "scene records are copied byte for byte from little-endian files");

// Both bounds trees (each object's and the scene's) deeper than this are refused when read,
// so that no walk over a hostile file can exhaust the stack.
inline constexpr int MAX_TREE_DEPTH = 1000;

// Min x, y, z then max x, y, z.
struct Box {
    float min[3];
    float max[3];
};
static_assert(sizeof(Box) == 24);

inline constexpr Box BOX_EMPTY = {{1000000.0f, 1000000.0f, 1000000.0f}, {-1000000.0f, -1000000.0f, -1000000.0f}};

// Widens b by c. Both comparisons are strict, so equal values (0.0 and -0.0 among them) keep
// what b already holds and NaN never enters.
inline void MergeBox(Box& b, const Box& c)
{
    for (int a = 0; a < 3; ++a) {
        if (c.min[a] < b.min[a])
            b.min[a] = c.min[a];
        if (c.max[a] > b.max[a])
            b.max[a] = c.max[a];
    }
}

inline void MergePoint(Box& b, float x, float y, float z)
{
    const float p[3] = {x, y, z};
    for (int a = 0; a < 3; ++a) {
        if (p[a] < b.min[a])
            b.min[a] = p[a];
        if (p[a] > b.max[a])
            b.max[a] = p[a];
    }
}

inline bool SameBits(const Box& a, const Box& b)
{
    return std::memcmp(&a, &b, sizeof(Box)) == 0;
}

#pragma pack(push, 1)

struct ObjectVertex {
    float x;
    float y;
    float z;
};

struct UnlitTexVertex {
    float u;
    float v;
};

struct PrelitTexVertex {
    float u;
    float v;
    std::uint8_t further[4];
};

struct LitTexVertex {
    float u;
    float v;
    std::uint8_t further[7];
};

struct LightSource {
    std::uint8_t data[36];
};

struct PolygonRecord {
    std::uint16_t vertex[3];
    std::uint16_t texVertex[3];
    std::uint16_t type;
    std::uint16_t texture;
};

#pragma pack(pop)

static_assert(sizeof(ObjectVertex) == 12);
static_assert(sizeof(UnlitTexVertex) == 8);
static_assert(sizeof(PrelitTexVertex) == 12);
static_assert(sizeof(LitTexVertex) == 15);
static_assert(sizeof(LightSource) == 36);
static_assert(sizeof(PolygonRecord) == 16);

// What every kind of texture vertex begins with; the document hands this out so that callers
// need not know which list a polygon's type word selected.
struct TextureVertex {
    float u = 0.0f;
    float v = 0.0f;
};

// Texture-vertex kinds chosen by the low four bits of a polygon's type word.
enum TextureVertexKind : int { TEXVERTEX_UNLIT = 0, TEXVERTEX_PRELIT = 1, TEXVERTEX_LIT = 2 };

// One vertex moved to a new position: what an edit, a CSV import or a model import asks for.
struct VertexChange {
    int index = 0;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct ObjectRecord {
    std::uint32_t objectWord = 0;
    std::vector<PolygonRecord> polygons;
    std::uint32_t hasBounds = 0;
    Box bounds = {{0, 0, 0}, {0, 0, 0}};
};

} // namespace scene
