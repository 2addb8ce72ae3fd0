#include "interchange/Deflate.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace interchange::png {
namespace {

// ---- checksum ----

std::uint32_t Adler32(const std::uint8_t* p, std::size_t n)
{
    std::uint32_t a = 1, b = 0;
    while (n > 0) {
        // 5552 is the most bytes that can be summed before b could overflow 32 bits.
        const std::size_t chunk = n < 5552 ? n : 5552;
        for (std::size_t i = 0; i < chunk; ++i) {
            a += p[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
        p += chunk;
        n -= chunk;
    }
    return (b << 16) | a;
}

// ---- deflate with the fixed Huffman codes ----

// Writes into a buffer sized beforehand for the worst case (every byte a 9-bit literal), so
// the inner loop never checks capacity.
class BitWriter {
public:
    BitWriter(std::vector<std::uint8_t>& out, std::size_t maxBytes) : m_out(out), m_start(out.size())
    {
        m_out.resize(m_start + maxBytes + 16);
        m_p = m_out.data() + m_start;
    }
    // Writes the low n bits of v, least significant first (n <= 32).
    void Put(std::uint32_t v, int n)
    {
        m_acc |= static_cast<std::uint64_t>(v) << m_bits;
        m_bits += n;
        if (m_bits >= 32) {
            const std::uint32_t w = static_cast<std::uint32_t>(m_acc);
            std::memcpy(m_p, &w, 4); // little-endian host, as the scene core already requires
            m_p += 4;
            m_acc >>= 32;
            m_bits -= 32;
        }
    }
    // A point to come back to when a block turns out larger than its bytes stored plainly.
    struct Mark {
        std::uint8_t* p;
        std::uint64_t acc;
        int bits;
    };
    Mark Here() const { return {m_p, m_acc, m_bits}; }
    void Back(const Mark& m)
    {
        m_p = m.p;
        m_acc = m.acc;
        m_bits = m.bits;
    }
    std::size_t BitsSince(const Mark& m) const
    {
        return static_cast<std::size_t>(m_p - m.p) * 8 + static_cast<std::size_t>(m_bits) -
            static_cast<std::size_t>(m.bits);
    }
    // Pads to a byte boundary and copies bytes as they are, as a stored block wants.
    void Raw(const std::uint8_t* data, std::size_t n)
    {
        while (m_bits > 0) {
            *m_p++ = static_cast<std::uint8_t>(m_acc);
            m_acc >>= 8;
            m_bits -= 8;
        }
        m_acc = 0;
        m_bits = 0;
        std::memcpy(m_p, data, n);
        m_p += n;
    }
    void Flush()
    {
        while (m_bits > 0) {
            *m_p++ = static_cast<std::uint8_t>(m_acc);
            m_acc >>= 8;
            m_bits -= 8;
        }
        m_bits = 0;
        m_out.resize(static_cast<std::size_t>(m_p - m_out.data()));
    }

private:
    std::vector<std::uint8_t>& m_out;
    std::size_t m_start;
    std::uint8_t* m_p;
    std::uint64_t m_acc = 0;
    int m_bits = 0;
};

std::uint32_t Reverse(std::uint32_t code, int length)
{
    std::uint32_t r = 0;
    for (int i = 0; i < length; ++i) {
        r = (r << 1) | (code & 1);
        code >>= 1;
    }
    return r;
}

struct Code {
    std::uint16_t bits; // already reversed, ready for an LSB-first writer
    std::uint8_t length;
};

struct FixedTables {
    Code literal[288];
    Code distance[30];
    // Length 3..258 -> symbol index (257 + i), extra bits and their value.
    std::uint16_t lengthSymbol[259];
    std::uint8_t lengthExtraBits[259];
    std::uint16_t lengthExtra[259];
};

constexpr std::uint16_t LENGTH_BASE[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t LENGTH_EXTRA[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t DIST_BASE[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                         33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                         1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t DIST_EXTRA[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

const FixedTables& Tables()
{
    static const FixedTables t = [] {
        FixedTables f{};
        for (int s = 0; s < 288; ++s) {
            std::uint32_t code;
            int len;
            if (s < 144) {
                code = 0x30 + s;
                len = 8;
            } else if (s < 256) {
                code = 0x190 + (s - 144);
                len = 9;
            } else if (s < 280) {
                code = s - 256;
                len = 7;
            } else {
                code = 0xC0 + (s - 280);
                len = 8;
            }
            f.literal[s] = {static_cast<std::uint16_t>(Reverse(code, len)), static_cast<std::uint8_t>(len)};
        }
        for (int d = 0; d < 30; ++d)
            f.distance[d] = {static_cast<std::uint16_t>(Reverse(static_cast<std::uint32_t>(d), 5)), 5};
        for (int len = 3; len <= 258; ++len) {
            int i = 28;
            while (LENGTH_BASE[i] > len)
                --i;
            f.lengthSymbol[len] = static_cast<std::uint16_t>(257 + i);
            f.lengthExtraBits[len] = LENGTH_EXTRA[i];
            f.lengthExtra[len] = static_cast<std::uint16_t>(len - LENGTH_BASE[i]);
        }
        return f;
    }();
    return t;
}

int DistanceIndex(std::uint32_t d)
{
    // Codes double their span every two steps; a short search from the top is plenty fast.
    int i = 29;
    while (DIST_BASE[i] > d)
        --i;
    return i;
}

constexpr int HASH_BITS = 15;
constexpr std::size_t WINDOW = 32768;
constexpr std::size_t MIN_MATCH = 4;
constexpr std::size_t MAX_MATCH = 258;

std::uint32_t Load32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::uint32_t Hash(std::uint32_t v)
{
    return (v * 2654435761u) >> (32 - HASH_BITS);
}

// Blocks of this many bytes are each written with the fixed codes or, when that would not
// make them smaller (noise, photographs), stored as they are.
constexpr std::size_t BLOCK = 65535;
// After a block that did not shrink, this many are stored without trying: on noise the
// matching is the whole cost and finds nothing.
constexpr int SKIP_AFTER_STORED = 7;

void Deflate(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out)
{
    const FixedTables& t = Tables();
    BitWriter bw(out, size / 8 * 9 + (size / BLOCK + 2) * 16 + 64);

    std::vector<std::uint32_t> head(std::size_t(1) << HASH_BITS, 0xFFFFFFFFu);
    auto literal = [&](std::uint8_t b) { bw.Put(t.literal[b].bits, t.literal[b].length); };
    auto stored = [&](std::size_t from, std::size_t n, bool last) {
        bw.Put(last ? 1 : 0, 1);
        bw.Put(0, 2);
        const std::uint8_t len[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                     static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)};
        bw.Raw(len, 4);
        bw.Raw(data + from, n);
    };

    std::size_t i = 0;
    int skip = 0;
    bool finished = false;
    while (!finished) {
        const std::size_t target = std::min(size, i + BLOCK);
        const bool lastTarget = target == size;
        if (skip > 0 && target > i) {
            --skip;
            stored(i, target - i, lastTarget);
            i = target;
            finished = lastTarget;
            continue;
        }
        const BitWriter::Mark start = bw.Here();
        const std::size_t from = i;
        bw.Put(lastTarget ? 1 : 0, 1);
        bw.Put(1, 2); // fixed Huffman codes
        while (i + MIN_MATCH <= size && i < target) {
            const std::uint32_t v = Load32(data + i);
            const std::uint32_t h = Hash(v);
            const std::uint32_t cand = head[h];
            head[h] = static_cast<std::uint32_t>(i);
            if (cand != 0xFFFFFFFFu && i - cand <= WINDOW && Load32(data + cand) == v) {
                std::size_t len = MIN_MATCH;
                const std::size_t limit = std::min(MAX_MATCH, size - i);
                while (len < limit && data[cand + len] == data[i + len])
                    ++len;
                const std::uint32_t dist = static_cast<std::uint32_t>(i - cand);
                const Code& lc = t.literal[t.lengthSymbol[len]];
                bw.Put(lc.bits, lc.length);
                if (t.lengthExtraBits[len])
                    bw.Put(t.lengthExtra[len], t.lengthExtraBits[len]);
                const int di = DistanceIndex(dist);
                bw.Put(t.distance[di].bits, t.distance[di].length);
                if (DIST_EXTRA[di])
                    bw.Put(dist - DIST_BASE[di], DIST_EXTRA[di]);
                // Positions inside a long match are hashed sparsely: what they would find is
                // mostly found again at the next match.
                const std::size_t end = i + len;
                for (std::size_t k = i + 1; k + MIN_MATCH <= size && k < end; k += 3)
                    head[Hash(Load32(data + k))] = static_cast<std::uint32_t>(k);
                i = end;
            } else {
                literal(data[i]);
                ++i;
            }
        }
        if (lastTarget)
            for (; i < size; ++i)
                literal(data[i]);
        bw.Put(t.literal[256].bits, t.literal[256].length); // end of block
        // A match may run past the target; the stored form then covers the same bytes, in
        // blocks no longer than a stored block may be.
        const std::size_t covered = i - from;
        bool last = lastTarget;
        if (covered > 0 && bw.BitsSince(start) > (covered + 5) * 8) {
            bw.Back(start);
            last = i == size;
            for (std::size_t at = from; at < i;) {
                const std::size_t n = std::min(BLOCK, i - at);
                stored(at, n, last && at + n == i);
                at += n;
            }
            skip = SKIP_AFTER_STORED;
        }
        if (i == size && !last) {
            // A match reached the end of the data inside a block not marked last.
            bw.Put(1, 1);
            bw.Put(1, 2);
            bw.Put(t.literal[256].bits, t.literal[256].length);
        }
        finished = i == size;
    }
    bw.Flush();
}

void PutBE32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

} // namespace

std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> out;
    out.reserve(size / 2 + 64);
    out.push_back(0x78); // deflate, 32 KiB window
    out.push_back(0x01); // fastest; 0x7801 is a multiple of 31 as the header check needs
    Deflate(data, size, out);
    PutBE32(out, Adler32(data, size));
    return out;
}

} // namespace interchange::png
