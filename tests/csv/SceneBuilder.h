#pragma once
// Builds scene files in memory for the CSV tests: vertices, objects with their polygons
// (no stored bounds trees), texture vertices and texture names.

#include <cstdint>
#include <string>
#include <vector>

#include "common/ByteWriter.h"
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

    std::vector<std::uint8_t> Bytes() const
    {
        common::ByteWriter w;
        w.Bytes(scene::QM4_MAGIC, sizeof scene::QM4_MAGIC);
        w.U32(scene::QM4_VERSION);
        auto list = [&](const auto& records) {
            w.I32(static_cast<std::int32_t>(records.size()));
            w.Bytes(records.data(), records.size() * sizeof(records[0]));
            w.U32(0x12345678);
        };
        list(vertices);
        list(unlit);
        list(prelit);
        list(lit);
        w.I32(0); // light sources
        w.U32(0x12345678);
        w.I32(static_cast<std::int32_t>(objects.size()));
        for (const auto& polygons : objects) {
            w.U32(0); // objectWord
            w.U32(static_cast<std::uint32_t>(polygons.size()));
            for (const TestPolygon& p : polygons) {
                for (auto v : p.v)
                    w.U16(v);
                for (auto t : p.tv)
                    w.U16(t);
                w.U16(p.type);
                w.U16(p.texture);
            }
            w.U32(0); // hasBounds
            w.U32(0x12345678);
        }
        w.U32(0x12345678);
        for (int i = 0; i < 6; ++i) // scene bounds: a root without children
            w.F32(0.0f);
        w.U16(0);
        w.U16(0);
        w.U32(0x12345678);
        w.I32(static_cast<std::int32_t>(textures.size()));
        for (const std::string& t : textures) {
            w.U32(static_cast<std::uint32_t>(t.size()));
            w.Text(t);
        }
        w.U32(0x12345678);
        w.I32(0); // extra names
        w.U32(0x12345678);
        return w.Take();
    }

    // Loads the scene into doc; the test fails at once if the file is not accepted.
    bool LoadInto(scene::CQM4EditDoc& doc) const
    {
        const auto bytes = Bytes();
        return doc.Serialize(bytes).Ok();
    }
};
