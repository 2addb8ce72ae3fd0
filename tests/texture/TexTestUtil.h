#pragma once
// Builders of TEX and Targa bytes, and a scratch folder, for the texture tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "texture/PixloomDoc.h"

namespace textest {

using Bytes = std::vector<std::uint8_t>;

class TempDir {
public:
    TempDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path() /
            ("qm_texture_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
             std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline void PutLE(Bytes& b, std::uint32_t v, int n)
{
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A TEX header with filler 0x00, 0x01, ... 0x13.
inline Bytes TexHeaderBytes(std::int32_t x, std::int32_t y, std::int32_t bpp)
{
    Bytes b;
    for (int i = 0; i < 20; ++i)
        b.push_back(static_cast<std::uint8_t>(i));
    PutLE(b, static_cast<std::uint32_t>(x), 4);
    PutLE(b, static_cast<std::uint32_t>(y), 4);
    PutLE(b, static_cast<std::uint32_t>(bpp), 4);
    return b;
}

// A well-formed TEX file whose pixel bytes follow a varied, position-dependent pattern.
inline Bytes PatternTex(int x, int y, int bpp, std::uint32_t seed = 1)
{
    Bytes b = TexHeaderBytes(x, y, bpp);
    const std::size_t n = static_cast<std::size_t>(x) * y * (bpp / 8);
    std::uint32_t s = seed * 2654435761u + 12345u;
    for (std::size_t i = 0; i < n; ++i) {
        s = s * 1664525u + 1013904223u;
        b.push_back(static_cast<std::uint8_t>(s >> 24));
    }
    return b;
}

struct TgaSpec {
    int width = 0, height = 0, depth = 32;
    int imageType = 2;
    int descriptor = 0;
    int idLength = 0;
    int mapType = 0, mapLength = 0, mapEntryBits = 0;
};

inline Bytes TgaHeaderBytes(const TgaSpec& s)
{
    Bytes b;
    b.push_back(static_cast<std::uint8_t>(s.idLength));
    b.push_back(static_cast<std::uint8_t>(s.mapType));
    b.push_back(static_cast<std::uint8_t>(s.imageType));
    PutLE(b, 0, 2);
    PutLE(b, static_cast<std::uint32_t>(s.mapLength), 2);
    b.push_back(static_cast<std::uint8_t>(s.mapEntryBits));
    PutLE(b, 0, 4);
    PutLE(b, static_cast<std::uint32_t>(s.width), 2);
    PutLE(b, static_cast<std::uint32_t>(s.height), 2);
    b.push_back(static_cast<std::uint8_t>(s.depth));
    b.push_back(static_cast<std::uint8_t>(s.descriptor));
    return b;
}

inline void WriteFile(const std::filesystem::path& p, const Bytes& b)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline Bytes ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes PixelOf(const texture::CPixloomDoc& d, int x, int y)
{
    const std::uint8_t* p = d.GetPixel(x, y);
    return Bytes(p, p + 4);
}

// Every store pixel of the texture's area, row by row.
inline Bytes StoreArea(const texture::CPixloomDoc& d)
{
    Bytes out;
    for (int y = 0; y < d.GetHeader().yRes; ++y)
        for (int x = 0; x < d.GetHeader().xRes; ++x) {
            const std::uint8_t* p = d.GetPixel(x, y);
            out.insert(out.end(), p, p + 4);
        }
    return out;
}

} // namespace textest
