#pragma once
// Our own generator of scene files: the demo scene, large scenes for benchmarks, seeded
// random scenes for tests, and the one encoder every test, benchmark and fuzz target builds
// its scene files with.
//
// It builds a plain description and encodes it itself, without the scene library, so that
// tests which load and save its output compare two independent encoders.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace scenegen {

struct GenPolygon {
    std::uint16_t vertex[3] = {0, 0, 0};
    std::uint16_t texVertex[3] = {0, 0, 0};
    std::uint16_t type = 0;
    std::uint16_t texture = 0;
};

// A polygon over three vertices, texture vertices 0, type 0, texture 0.
inline GenPolygon Triangle(std::uint16_t a, std::uint16_t b, std::uint16_t c)
{
    GenPolygon p;
    p.vertex[0] = a;
    p.vertex[1] = b;
    p.vertex[2] = c;
    return p;
}

struct GenNode { // a node of an object's bounds tree
    float step = 0.0f;
    std::uint8_t qMin[3] = {0, 0, 0};
    std::uint8_t qMax[3] = {0, 0, 0};
    std::uint16_t polygon = 0; // leaves only
    std::vector<GenNode> children;
};

struct GenObject {
    std::uint32_t objectWord = 0;
    std::vector<GenPolygon> polygons;
    std::uint32_t hasBounds = 1;
    float bounds[6] = {0, 0, 0, 0, 0, 0};
    std::vector<GenNode> roots;
};

struct GenBoundsNode { // a node of the scene bounds tree
    float box[6] = {0, 0, 0, 0, 0, 0};
    std::uint16_t objectIndex = 0; // leaves only
    std::vector<GenBoundsNode> children;
};

struct GenScene {
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::array<std::uint8_t, 8>> unlit;
    std::vector<std::array<std::uint8_t, 12>> prelit;
    std::vector<std::array<std::uint8_t, 15>> lit;
    std::vector<std::array<std::uint8_t, 36>> lights;
    std::vector<GenObject> objects;
    GenBoundsNode boundsRoot;
    std::vector<std::string> textureNames;
    std::vector<std::string> extraNames;
    std::vector<std::uint8_t> trailing;
};

// The whole file's bytes.
std::vector<std::uint8_t> Encode(const GenScene& scene);

// A small scene with a cube, a pyramid, a ring and a flat ground object, multi-level trees,
// all three texture-vertex kinds, light sources, names and a few trailing bytes. Boxes and
// quantized values are left at zero; run the document's UpdateGeometry to fill them in.
GenScene MakeDemoScene();

struct LargeOptions {
    std::uint32_t polygons = 1000000;
    std::uint32_t vertices = 500000;
    int minDepth = 8;
    int maxDepth = 12;
    std::uint64_t seed = 1;
    std::uint32_t polygonsPerObject = 62500; // at most 65536: leaves name polygons by 16-bit index
};
GenScene MakeLargeScene(const LargeOptions& options);

// A random scene of modest size: random section sizes (some empty), trees of random shape
// (also with no roots, or several), objects without bounds, random upper type bits, names
// with zero bytes and over 255 bytes, trailing data. With allowBadIndices some leaves,
// corners and scene-bounds leaves name things that do not exist.
GenScene MakeRandomScene(std::uint64_t seed, bool allowBadIndices = false);

// A deterministic generator with the same sequence on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [lo, hi].
    std::uint32_t Range(std::uint32_t lo, std::uint32_t hi)
    {
        return lo + static_cast<std::uint32_t>(Next() % (static_cast<std::uint64_t>(hi) - lo + 1));
    }
    float Float(float lo, float hi) { return lo + (hi - lo) * static_cast<float>((Next() >> 40) * (1.0 / 16777216.0)); }
    bool Chance(unsigned percent) { return Next() % 100 < percent; }

private:
    std::uint64_t m_state;
};

} // namespace scenegen
