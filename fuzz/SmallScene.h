#pragma once
// A small scene file built byte by byte, for the targets and tests that need a loaded scene
// rather than a hostile one: three objects over eight vertices, one with a bounds tree, one
// whose second polygon names a vertex that does not exist, and one without polygons.

#include <cstdint>
#include <vector>

#include "common/ByteWriter.h"
#include "scene/QM4EditDoc.h"

namespace fuzz {

inline constexpr std::uint32_t MARKER = 0x12345678;

inline std::vector<std::uint8_t> SmallSceneBytes()
{
    common::ByteWriter w;
    w.Bytes(scene::QM4_MAGIC, sizeof scene::QM4_MAGIC);
    w.U32(scene::QM4_VERSION);
    w.I32(8);
    for (int i = 0; i < 8; ++i) {
        w.F32(static_cast<float>(i & 1));
        w.F32(static_cast<float>((i >> 1) & 1) * 2.5f);
        w.F32(static_cast<float>(i >> 2) - 0.125f);
    }
    w.U32(MARKER);
    for (int s = 0; s < 4; ++s) { // texture vertices and lights: empty
        w.I32(0);
        w.U32(MARKER);
    }
    auto polygon = [&](std::uint16_t a, std::uint16_t b, std::uint16_t c) {
        w.U16(a);
        w.U16(b);
        w.U16(c);
        w.U16(0);
        w.U16(0);
        w.U16(0);
        w.U16(0);
        w.U16(0);
    };
    w.I32(3);
    // Object 0: two polygons and a root with two leaves.
    w.U32(7);
    w.U32(2);
    polygon(0, 1, 2);
    polygon(2, 3, 7);
    w.U32(1);
    for (int i = 0; i < 6; ++i)
        w.F32(0.0f);
    w.U16(1);
    w.F32(0.0f);
    for (int i = 0; i < 6; ++i)
        w.U8(0);
    w.U16(2);
    for (std::uint16_t leaf = 0; leaf < 2; ++leaf) {
        w.F32(0.0f);
        for (int i = 0; i < 6; ++i)
            w.U8(0);
        w.U16(0);
        w.U16(leaf);
    }
    w.U32(MARKER);
    // Object 1: a polygon and one naming vertex 900.
    w.U32(0);
    w.U32(2);
    polygon(4, 5, 6);
    polygon(5, 900, 6);
    w.U32(0);
    w.U32(MARKER);
    // Object 2: nothing.
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(MARKER);
    w.U32(MARKER);
    // Scene bounds: a root with a leaf for each object.
    for (int i = 0; i < 6; ++i)
        w.F32(0.0f);
    w.U16(3);
    for (std::uint16_t o = 0; o < 3; ++o) {
        for (int i = 0; i < 6; ++i)
            w.F32(0.0f);
        w.U16(0);
        w.U16(o);
    }
    w.U32(MARKER);
    for (int s = 0; s < 2; ++s) { // name lists
        w.I32(1);
        w.U32(4);
        w.Text("wall");
        w.U32(MARKER);
    }
    return w.Take();
}

} // namespace fuzz
