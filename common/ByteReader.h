#pragma once
// Bounds-checked little-endian reading over a byte span.
//
// Every binary read of outside data goes through this reader. It knows how many bytes
// remain and throws ShortRead instead of ever decoding missing bytes; loaders catch that
// at their edge and turn it into the message the user sees.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace common {

class ShortRead : public std::runtime_error {
public:
    ShortRead() : std::runtime_error("unexpected end of data") {}
};

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t Position() const { return m_pos; }
    std::size_t Size() const { return m_data.size(); }
    std::size_t Remaining() const { return m_data.size() - m_pos; }
    bool AtEnd() const { return m_pos == m_data.size(); }

    // Throws ShortRead when fewer than n bytes remain; the position is then unchanged.
    void Require(std::size_t n) const
    {
        if (n > Remaining())
            throw ShortRead();
    }

    std::span<const std::uint8_t> Bytes(std::size_t n)
    {
        Require(n);
        auto out = m_data.subspan(m_pos, n);
        m_pos += n;
        return out;
    }

    void Skip(std::size_t n) { Bytes(n); }

    // Copies n bytes into dst (which must hold n bytes).
    void ReadInto(void* dst, std::size_t n)
    {
        auto src = Bytes(n);
        if (n != 0)
            std::memcpy(dst, src.data(), n);
    }

    std::uint8_t U8() { return Bytes(1)[0]; }

    std::uint16_t U16()
    {
        auto b = Bytes(2);
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }

    std::uint32_t U32()
    {
        auto b = Bytes(4);
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
            (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }

    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

    float F32()
    {
        std::uint32_t bits = U32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    // Everything that is left, consuming it.
    std::span<const std::uint8_t> Rest() { return Bytes(Remaining()); }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
};

} // namespace common
