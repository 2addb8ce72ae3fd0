#pragma once
// Little-endian writing into a growable in-memory sink.
//
// Format writers produce bytes here; putting them on disk is a separate, shared step
// (AtomicFile.h), so the writers can be tested in memory and every file is saved the same
// safe way.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace common {

class ByteWriter {
public:
    void Reserve(std::size_t n) { m_bytes.reserve(n); }

    void Bytes(const void* src, std::size_t n)
    {
        if (n == 0)
            return;
        auto p = static_cast<const std::uint8_t*>(src);
        m_bytes.insert(m_bytes.end(), p, p + n);
    }
    void Bytes(std::span<const std::uint8_t> b) { Bytes(b.data(), b.size()); }
    void Text(std::string_view s) { Bytes(s.data(), s.size()); }

    void U8(std::uint8_t v) { m_bytes.push_back(v); }
    void U16(std::uint16_t v)
    {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v)
    {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        Bytes(b, 4);
    }
    void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float f)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        U32(bits);
    }

    std::size_t Size() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& Data() const { return m_bytes; }
    std::vector<std::uint8_t>& Data() { return m_bytes; }
    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace common
