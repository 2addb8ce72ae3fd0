#pragma once
// A small scene file, for the targets and tests that need a loaded scene rather than a
// hostile one: three objects over eight vertices, one with a bounds tree, one whose second
// polygon names a vertex that does not exist, and one without polygons.

#include <cstdint>
#include <vector>

#include "SceneGen.h"

namespace fuzz {

// The demo scene's file, made once: the CSV and OBJ seeds were exported from it.
inline const std::vector<std::uint8_t>& DemoSceneBytes()
{
    static const std::vector<std::uint8_t> bytes = scenegen::Encode(scenegen::MakeDemoScene());
    return bytes;
}

inline scenegen::GenScene SmallScene()
{
    using scenegen::Triangle;
    scenegen::GenScene s;
    for (int i = 0; i < 8; ++i)
        s.vertices.push_back(
            {static_cast<float>(i & 1), static_cast<float>((i >> 1) & 1) * 2.5f, static_cast<float>(i >> 2) - 0.125f});

    // Object 0: two polygons and a root with two leaves.
    scenegen::GenObject tree;
    tree.objectWord = 7;
    tree.polygons = {Triangle(0, 1, 2), Triangle(2, 3, 7)};
    tree.roots.resize(1);
    tree.roots[0].children.resize(2);
    tree.roots[0].children[1].polygon = 1;
    // Object 1: a polygon and one naming vertex 900.
    scenegen::GenObject bad;
    bad.polygons = {Triangle(4, 5, 6), Triangle(5, 900, 6)};
    bad.hasBounds = 0;
    // Object 2: nothing.
    scenegen::GenObject empty;
    empty.hasBounds = 0;
    s.objects = {tree, bad, empty};

    // Scene bounds: a root with a leaf for each object.
    for (std::uint16_t o = 0; o < 3; ++o) {
        s.boundsRoot.children.emplace_back();
        s.boundsRoot.children.back().objectIndex = o;
    }
    s.textureNames = {"wall"};
    s.extraNames = {"wall"};
    return s;
}

inline std::vector<std::uint8_t> SmallSceneBytes()
{
    return scenegen::Encode(SmallScene());
}

} // namespace fuzz
