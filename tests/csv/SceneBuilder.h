#pragma once
// Scenes for the CSV tests, in the scene library's own record types: vertices, objects with
// their polygons (no stored bounds trees), texture vertices and texture names. Encoded by
// the generator's encoder like every other scene the tests build.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "SceneGen.h"
#include "scene/QM4EditDoc.h"

struct TestPolygon {
    std::uint16_t v[3];
    std::uint16_t tv[3] = {0, 0, 0};
    std::uint16_t type = 0;
    std::uint16_t texture = 0;
};

struct SceneBuilder {
    std::vector<scene::ObjectVertex> vertices;
    std::vector<scene::UnlitTexVertex> unlit;
    std::vector<scene::PrelitTexVertex> prelit;
    std::vector<scene::LitTexVertex> lit;
    std::vector<std::vector<TestPolygon>> objects;
    std::vector<std::string> textures;

    scenegen::GenScene Scene() const
    {
        scenegen::GenScene s;
        for (const scene::ObjectVertex& v : vertices)
            s.vertices.push_back({v.x, v.y, v.z});
        Records(unlit, s.unlit);
        Records(prelit, s.prelit);
        Records(lit, s.lit);
        for (const auto& polygons : objects) {
            scenegen::GenObject& o = s.objects.emplace_back();
            o.hasBounds = 0;
            for (const TestPolygon& p : polygons) {
                scenegen::GenPolygon& g = o.polygons.emplace_back();
                std::memcpy(g.vertex, p.v, sizeof p.v);
                std::memcpy(g.texVertex, p.tv, sizeof p.tv);
                g.type = p.type;
                g.texture = p.texture;
            }
        }
        s.textureNames = textures;
        return s;
    }

    std::vector<std::uint8_t> Bytes() const { return scenegen::Encode(Scene()); }

    // Loads the scene into doc; the test fails at once if the file is not accepted.
    bool LoadInto(scene::CQM4EditDoc& doc) const
    {
        const auto bytes = Bytes();
        return doc.Serialize(bytes).Ok();
    }

private:
    // A packed record is copied byte for byte into the generator's raw record.
    template <class Record, std::size_t N>
    static void Records(const std::vector<Record>& from, std::vector<std::array<std::uint8_t, N>>& to)
    {
        static_assert(sizeof(Record) == N);
        for (const Record& r : from)
            std::memcpy(to.emplace_back().data(), &r, N);
    }
};
