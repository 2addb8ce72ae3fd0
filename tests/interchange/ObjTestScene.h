#pragma once
// The small scene both OBJ import tests export and read back.

#include <cstdint>
#include <vector>

#include "../csv/SceneBuilder.h"

// Three objects, the middle one empty; two textures used alternately by the first object;
// texture vertices 0 to 2 shared by every polygon, and vertices 3 and 4 shared between the
// first and the last object.
inline std::vector<std::uint8_t> SmallObjScene()
{
    SceneBuilder b;
    b.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {2, 2, 2}, {3, 3, 3}};
    b.unlit = {{0, 0}, {1, 0}, {1, 1}};
    b.textures = {"brick.tex", "stone map.tex"};
    b.objects = {
        {{{0, 1, 2}, {0, 1, 2}, 0, 1},
         {{0, 2, 3}, {0, 1, 2}, 0, 0},
         {{1, 2, 4}, {0, 1, 2}, 0, 1},
         {{3, 4, 0}, {0, 1, 2}, 0, 0}},
        {},
        {{{4, 5, 6}, {0, 1, 2}, 0xF000, 0}, {{5, 6, 3}, {0, 1, 2}, 0, 0}},
    };
    return b.Bytes();
}
