#include "texture/PixloomDoc.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "common/ByteReader.h"
#include "common/platform/FileSync.h"
#include "texture/TexMessages.h"

namespace texture {

namespace {

constexpr std::size_t STORE_BYTES = std::size_t(TEX_MAX_RES) * TEX_MAX_RES * TEX_PIXEL_BYTES;

// The longest well-formed TEX file whose pixels we could hold. Longer files only need their
// header read: their length already decides the outcome.
constexpr std::size_t MAX_TEX_FILE = TEX_HEADER_SIZE + STORE_BYTES;

std::string LowerTail3(const std::filesystem::path& path)
{
    std::string s = common::PathToUtf8(path);
    if (s.size() < 3)
        return {};
    s.erase(0, s.size() - 3);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

CPixloomDoc::CPixloomDoc() : m_pixels(new std::uint8_t[STORE_BYTES]()), m_fs(&common::RealFileSystem())
{
    m_scratch.reserve(MAX_TEX_FILE);
}

CPixloomDoc::~CPixloomDoc() = default;

void CPixloomDoc::UpdateAllViews()
{
    if (m_onUpdate)
        m_onUpdate();
}

bool CPixloomDoc::HasTexName(const std::filesystem::path& path)
{
    return LowerTail3(path) == "tex";
}
bool CPixloomDoc::HasTgaName(const std::filesystem::path& path)
{
    return LowerTail3(path) == "tga";
}

std::string CPixloomDoc::SuggestTargaName(const std::filesystem::path& docPath)
{
    std::string s = common::PathToUtf8(docPath);
    // Both separators: the path may come from either platform.
    auto slash = s.find_last_of("\\/");
    if (slash != std::string::npos)
        s.erase(0, slash + 1);
    s.erase(s.size() - std::min<std::size_t>(3, s.size()));
    return s + "tga";
}

bool CPixloomDoc::OnNewDocument()
{
    m_bLoaded = 0;
    m_bModified = false;
    m_path.clear();
    UpdateAllViews();
    return true;
}

void CPixloomDoc::OnCloseDocument()
{
    m_bLoaded = 0;
    UpdateAllViews();
}

TexResult CPixloomDoc::ReadFilePrefix(const std::filesystem::path& path, std::size_t limit, std::uint64_t& totalLength,
                                      std::size_t headSize, std::size_t (*limitFromHead)(std::span<const std::uint8_t>))
{
    m_scratch.clear();
    std::FILE* f = common::platform::OpenForReading(path);
    bool ok = f != nullptr;
    if (ok) {
        std::int64_t size = common::platform::FileSize(f);
        ok = size >= 0;
        if (ok) {
            totalLength = static_cast<std::uint64_t>(size);
            std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(totalLength, limit));
            std::size_t got = 0;
            if (limitFromHead) {
                // Read the header first; it tells how much more can matter.
                got = std::min(want, headSize);
                m_scratch.resize(got);
                ok = got == 0 || std::fread(m_scratch.data(), 1, got, f) == got;
                want = std::max(got, std::min(want, limitFromHead(m_scratch)));
            }
            m_scratch.resize(want);
            ok = ok && (want == got || std::fread(m_scratch.data() + got, 1, want - got, f) == want - got);
        }
        std::fclose(f);
    }
    if (!ok) {
        m_scratch.clear();
        return TexResult::Fail(msg::CannotOpen(common::PathToUtf8(path)), common::MessageIcon::Exclamation);
    }
    return {};
}

TexResult CPixloomDoc::WriteOut(const std::filesystem::path& path)
{
    if (!common::WriteFileAtomically(path, m_scratch, *m_fs))
        return TexResult::Fail(msg::CannotWrite(common::PathToUtf8(path)), common::MessageIcon::Exclamation);
    return {};
}

// ---------------------------------------------------------------------------------------
// TEX

TexResult CPixloomDoc::OnOpenDocument(const std::filesystem::path& path)
{
    std::uint64_t total = 0;
    // A file that cannot be opened leaves the current texture on show.
    if (TexResult r = ReadFilePrefix(path, MAX_TEX_FILE, total); !r.ok)
        return r;
    m_bLoaded = 0;
    TexResult r;
    if (!HasTexName(path)) {
        UpdateAllViews();
        r = TexResult::Fail(msg::NOT_A_TEX, common::MessageIcon::None);
    } else {
        r = ParseTex(m_scratch, total);
    }
    if (r.ok)
        m_path = path;
    return r;
}

TexResult CPixloomDoc::ReadTexBytes(std::span<const std::uint8_t> file)
{
    return ParseTex(file, file.size());
}

TexResult CPixloomDoc::ParseTex(std::span<const std::uint8_t> bytes, std::uint64_t totalLength)
{
    m_bLoaded = 0;
    UpdateAllViews();

    const auto actual = static_cast<std::int64_t>(
        std::min<std::uint64_t>(totalLength, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())));
    if (totalLength < TEX_HEADER_SIZE || bytes.size() < TEX_HEADER_SIZE) {
        // Not even a header: no texture is shorter than one.
        return TexResult::Fail(msg::WrongTexLength(TEX_HEADER_SIZE, actual), common::MessageIcon::Exclamation);
    }

    common::ByteReader in(bytes);
    TexHeader h;
    in.ReadInto(h.filler, TEX_FILLER_SIZE);
    h.xRes = in.I32();
    h.yRes = in.I32();
    h.bpp = in.I32();

    // A length that does not fit the file format's 32-bit arithmetic matches no file.
    bool fits = false;
    const std::int64_t expected = ExpectedTexLength(h, &fits);
    if (!fits || expected > std::numeric_limits<std::int32_t>::max() || expected != actual)
        return TexResult::Fail(msg::WrongTexLength(ExpectedTexLengthText(h), actual), common::MessageIcon::Exclamation);
    if (h.xRes < 0 || h.yRes < 0 || h.xRes > TEX_MAX_RES || h.yRes > TEX_MAX_RES)
        return TexResult::Fail(msg::TexTooLarge(h.xRes, h.yRes), common::MessageIcon::Stop);
    // The depth only matters when there is a pixel to decode: an empty texture is accepted
    // whatever its bpp says.
    const bool anyPixel = h.xRes > 0 && h.yRes > 0;
    if (anyPixel && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
        return TexResult::Fail(msg::UnrecognizedBitDepth(h.bpp), common::MessageIcon::Stop);
    // The length check above guarantees the pixel bytes; a caller that passed only a prefix
    // of a longer file cannot get here, but never decode what is not there.
    if (bytes.size() < static_cast<std::uint64_t>(expected))
        return TexResult::Fail(msg::WrongTexLength(expected, static_cast<std::int64_t>(bytes.size())),
                               common::MessageIcon::Exclamation);

    const std::uint8_t* src = bytes.data() + TEX_HEADER_SIZE;
    for (int y = 0; y < h.yRes; ++y) {
        for (int x = 0; x < h.xRes; ++x) {
            std::uint8_t* p = GetPixel(x, y);
            switch (h.bpp) {
            case 16:
                DecodeTex16(static_cast<std::uint16_t>(src[0] | (src[1] << 8)), p);
                src += 2;
                break;
            case 24:
                p[0] = src[0];
                p[1] = src[1];
                p[2] = src[2];
                p[3] = 0;
                src += 3;
                break;
            default: // 32
                p[0] = src[0];
                p[1] = src[1];
                p[2] = src[2];
                p[3] = src[3];
                src += 4;
                break;
            }
        }
    }

    m_header = h;
    m_bLoaded = 1;
    m_bModified = false;
    UpdateAllViews();
    return {};
}

namespace {

void PutI32(std::uint8_t* d, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    d[0] = static_cast<std::uint8_t>(u);
    d[1] = static_cast<std::uint8_t>(u >> 8);
    d[2] = static_cast<std::uint8_t>(u >> 16);
    d[3] = static_cast<std::uint8_t>(u >> 24);
}

int BytesPerPixel(int depth)
{
    switch (depth) {
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
    }
}

// Writes one store pixel at the given depth; other depths write nothing.
std::uint8_t* EncodePixel(const std::uint8_t* p, int depth, bool targa, std::uint8_t* d)
{
    switch (depth) {
    case 16: {
        const std::uint16_t w = targa ? EncodeTga16(p) : EncodeTex16(p);
        d[0] = static_cast<std::uint8_t>(w);
        d[1] = static_cast<std::uint8_t>(w >> 8);
        return d + 2;
    }
    case 24:
        d[0] = p[0];
        d[1] = p[1];
        d[2] = p[2];
        return d + 3;
    case 32:
        d[0] = p[0];
        d[1] = p[1];
        d[2] = p[2];
        d[3] = p[3];
        return d + 4;
    default: return d;
    }
}

// Pixel bytes of a texture of this header; its dimensions are always within the store.
std::size_t PixelBytes(const TexHeader& h, int depth)
{
    if (h.xRes <= 0 || h.yRes <= 0)
        return 0;
    return static_cast<std::size_t>(h.xRes) * static_cast<std::size_t>(h.yRes) *
        static_cast<std::size_t>(BytesPerPixel(depth));
}

} // namespace

void CPixloomDoc::WriteTex(std::vector<std::uint8_t>& out) const
{
    const std::size_t start = out.size();
    out.resize(start + TEX_HEADER_SIZE + PixelBytes(m_header, m_header.bpp));
    std::uint8_t* d = out.data() + start;
    std::copy(std::begin(m_header.filler), std::end(m_header.filler), d);
    PutI32(d + 20, m_header.xRes);
    PutI32(d + 24, m_header.yRes);
    PutI32(d + 28, m_header.bpp);
    d += TEX_HEADER_SIZE;
    for (int y = 0; y < m_header.yRes; ++y)
        for (int x = 0; x < m_header.xRes; ++x)
            d = EncodePixel(GetPixel(x, y), m_header.bpp, false, d);
}

TexResult CPixloomDoc::OnSaveDocument(const std::filesystem::path& path)
{
    if (!HasTexName(path))
        return TexResult::Fail(msg::NOT_A_TEX, common::MessageIcon::None);
    m_scratch.clear();
    WriteTex(m_scratch);
    TexResult r = WriteOut(path);
    if (r.ok)
        m_bModified = false;
    return r;
}

TexResult CPixloomDoc::SaveAs(const std::filesystem::path& path)
{
    // Nothing is removed on failure: the atomic write leaves the chosen path as it was.
    TexResult r = OnSaveDocument(path);
    if (r.ok)
        m_path = path;
    return r;
}

// ---------------------------------------------------------------------------------------
// Targa

namespace {

constexpr int TGA_HEADER_SIZE = 18;

// Everything an import can need lies within this prefix: the header, the longest image ID,
// the longest colour map (65535 entries of up to 32 bytes) and the largest pixel block, which
// is run-length data at its least efficient: a one-pixel packet, one header byte, per pixel.
constexpr std::size_t MAX_TGA_PREFIX =
    TGA_HEADER_SIZE + 255 + 65535u * 32u + STORE_BYTES + std::size_t(TEX_MAX_RES) * TEX_MAX_RES;

constexpr unsigned TGA_TRUE_COLOUR = 2;
constexpr unsigned TGA_RLE_TRUE_COLOUR = 10;

// The most of a Targa with this header an import can use: everything up to the pixel data,
// then the pixels, which run-length packets can make at most one byte per pixel longer.
std::size_t TargaBytesThatMatter(std::span<const std::uint8_t> head)
{
    if (head.size() < std::size_t(TGA_HEADER_SIZE))
        return TGA_HEADER_SIZE;
    const std::size_t pixels = std::size_t(head[12] | (head[13] << 8)) * std::size_t(head[14] | (head[15] << 8));
    const std::size_t offset = TGA_HEADER_SIZE + std::size_t(head[0]) +
        std::size_t(head[5] | (head[6] << 8)) * ((std::size_t(head[7]) + 7) / 8);
    const std::size_t perPixel = (std::size_t(head[16]) + 7) / 8 + (head[2] == TGA_RLE_TRUE_COLOUR ? 1 : 0);
    return offset + pixels * perPixel;
}

// Walks the packets of run-length pixel data holding pixelCount pixels of bytesPerPixel
// each, handing emit(pixelIndex, pixelBytes) every pixel in file order. Packets may cross
// rows. Fails when the data ends inside a packet (consumed then tells how many bytes the
// data should at least have held) or a packet runs past the last pixel (overran set).
template <class Emit>
bool WalkRunLength(std::span<const std::uint8_t> data, std::size_t pixelCount, std::size_t bytesPerPixel,
                   std::uint64_t& consumed, bool& overran, Emit emit)
{
    std::size_t pos = 0;
    std::size_t pixel = 0;
    overran = false;
    while (pixel < pixelCount) {
        if (pos >= data.size()) {
            consumed = std::uint64_t(pos) + 1;
            return false;
        }
        const std::uint8_t head = data[pos++];
        const std::size_t count = (head & 0x7Fu) + 1u;
        const bool run = (head & 0x80u) != 0;
        const std::size_t bytes = run ? bytesPerPixel : count * bytesPerPixel;
        if (data.size() - pos < bytes) {
            consumed = std::uint64_t(pos) + bytes;
            return false;
        }
        if (count > pixelCount - pixel) {
            overran = true;
            consumed = std::uint64_t(pos) + bytes;
            return false;
        }
        for (std::size_t i = 0; i < count; ++i)
            emit(pixel++, data.data() + pos + (run ? 0 : i * bytesPerPixel));
        pos += bytes;
    }
    consumed = pos;
    return true;
}

} // namespace

void CPixloomDoc::WriteTarga(std::vector<std::uint8_t>& out) const
{
    const int depth = m_header.bpp;
    const std::size_t start = out.size();
    out.resize(start + TGA_HEADER_SIZE + PixelBytes(m_header, depth));
    std::uint8_t* d = out.data() + start;
    std::fill(d, d + TGA_HEADER_SIZE, std::uint8_t(0));
    d[2] = TGA_TRUE_COLOUR;
    d[12] = static_cast<std::uint8_t>(m_header.xRes);
    d[13] = static_cast<std::uint8_t>(m_header.xRes >> 8);
    d[14] = static_cast<std::uint8_t>(m_header.yRes);
    d[15] = static_cast<std::uint8_t>(m_header.yRes >> 8);
    d[16] = static_cast<std::uint8_t>(depth);
    // Attribute (alpha) bits per pixel; origin at the lower left.
    d[17] = depth == 16 ? 1 : depth == 32 ? 8 : 0;
    d += TGA_HEADER_SIZE;
    for (int y = m_header.yRes - 1; y >= 0; --y)
        for (int x = 0; x < m_header.xRes; ++x)
            d = EncodePixel(GetPixel(x, y), depth, true, d);
}

TexResult CPixloomDoc::ExportTarga(const std::filesystem::path& path)
{
    if (!HasTgaName(path))
        return TexResult::Fail(msg::NOT_A_TGA_EXPORT, common::MessageIcon::None);
    m_scratch.clear();
    WriteTarga(m_scratch);
    return WriteOut(path);
}

TargaCheck CPixloomDoc::CheckTarga(const std::filesystem::path& path)
{
    return ReadTargaFile(path, false);
}

TargaCheck CPixloomDoc::CheckNewTarga(const std::filesystem::path& path)
{
    return ReadTargaFile(path, true);
}

TargaCheck CPixloomDoc::ReadTargaFile(const std::filesystem::path& path, bool forNew)
{
    TargaCheck check;
    if (!HasTgaName(path)) {
        check.result = TexResult::Fail(msg::NOT_A_TGA_IMPORT, common::MessageIcon::None);
        return check;
    }
    std::uint64_t total = 0;
    if (check.result = ReadFilePrefix(path, MAX_TGA_PREFIX, total, TGA_HEADER_SIZE, &TargaBytesThatMatter);
        !check.result.ok)
        return check;
    return ParseTargaHeader(m_scratch, total, common::PathToUtf8(path), forNew);
}

TargaCheck CPixloomDoc::CheckTargaBytes(std::span<const std::uint8_t> file)
{
    return ParseTargaHeader(file, file.size(), std::string());
}

TargaCheck CPixloomDoc::CheckNewTargaBytes(std::span<const std::uint8_t> file)
{
    return ParseTargaHeader(file, file.size(), std::string(), true);
}

TargaCheck CPixloomDoc::ParseTargaHeader(std::span<const std::uint8_t> bytes, std::uint64_t totalLength,
                                         const std::string& fileName, bool forNew) const
{
    TargaCheck check;
    auto refuse = [&check](std::string text) {
        check.result = TexResult::Fail(std::move(text), common::MessageIcon::Stop);
        return check;
    };
    const std::uint64_t available = std::min<std::uint64_t>(totalLength, bytes.size());
    if (available < TGA_HEADER_SIZE)
        return refuse(msg::TargaTruncated(fileName, TGA_HEADER_SIZE, totalLength));

    common::ByteReader in(bytes.first(TGA_HEADER_SIZE));
    const unsigned idLength = in.U8();
    in.Skip(1); // colour map type: the offset below already accounts for any map
    const unsigned imageType = in.U8();
    in.Skip(2); // first colour map entry
    const unsigned mapLength = in.U16();
    const unsigned mapEntryBits = in.U8();
    in.Skip(4); // x and y origin
    check.width = in.U16();
    check.height = in.U16();
    check.depth = in.U8();
    check.descriptor = in.U8();
    check.runLength = imageType == TGA_RLE_TRUE_COLOUR;
    const int bytesPerPixel = BytesPerPixel(static_cast<int>(check.depth));

    // Run-length packets cannot be walked without knowing how long a pixel is.
    if (imageType != TGA_TRUE_COLOUR && !(check.runLength && bytesPerPixel != 0))
        return refuse(msg::UnsupportedTarga(imageType));
    if (forNew) {
        if (check.width == 0 || check.height == 0 || check.width > unsigned(TEX_MAX_RES) ||
            check.height > unsigned(TEX_MAX_RES))
            return refuse(msg::NewImageSize(check.width, check.height));
    } else if (static_cast<std::int64_t>(check.width) != m_header.xRes ||
               static_cast<std::int64_t>(check.height) != m_header.yRes) {
        return refuse(msg::TargaWrongSize(m_header.xRes, m_header.yRes));
    }

    const std::uint64_t offset =
        TGA_HEADER_SIZE + std::uint64_t(idLength) + std::uint64_t(mapLength) * ((mapEntryBits + 7) / 8);
    const std::size_t pixelCount = std::size_t(check.width) * check.height;
    if (check.runLength) {
        if (available < offset)
            return refuse(msg::TargaTruncated(fileName, offset + (pixelCount ? 1 : 0), totalLength));
        const auto data = bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(available - offset));
        std::uint64_t consumed = 0;
        bool overran = false;
        if (!WalkRunLength(data, pixelCount, std::size_t(bytesPerPixel), consumed, overran,
                           [](std::size_t, const std::uint8_t*) {})) {
            if (overran)
                return refuse(msg::TargaRunPastImage(fileName));
            return refuse(msg::TargaTruncated(fileName, offset + consumed, totalLength));
        }
        check.pixelData = data.first(static_cast<std::size_t>(consumed));
    } else {
        // Depths we cannot decode read nothing (those pixels become zero), so they need no data.
        const std::uint64_t needed = bytesPerPixel == 0 ? 0 : offset + std::uint64_t(pixelCount) * bytesPerPixel;
        if (available < needed)
            return refuse(msg::TargaTruncated(fileName, needed, totalLength));
        if (bytesPerPixel != 0)
            check.pixelData =
                bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(needed - offset));
    }

    if (!forNew && static_cast<std::int64_t>(check.depth) != m_header.bpp)
        check.depthQuestion = msg::TargaDepthQuestion(check.depth, m_header.bpp);
    return check;
}

void CPixloomDoc::RgbaToTarga(std::span<const std::uint8_t> rgba, unsigned width, unsigned height, bool hasAlpha,
                              bool withPixels)
{
    // Larger than a Targa can say is larger than any texture: the size check refuses it.
    const unsigned w = std::min(width, 0xFFFFu), h = std::min(height, 0xFFFFu);
    const unsigned depth = hasAlpha ? 32 : 24;
    const std::size_t bpp = depth / 8;
    m_imported.assign(TGA_HEADER_SIZE, 0);
    m_imported[2] = TGA_TRUE_COLOUR;
    m_imported[12] = static_cast<std::uint8_t>(w);
    m_imported[13] = static_cast<std::uint8_t>(w >> 8);
    m_imported[14] = static_cast<std::uint8_t>(h);
    m_imported[15] = static_cast<std::uint8_t>(h >> 8);
    m_imported[16] = static_cast<std::uint8_t>(depth);
    m_imported[17] = static_cast<std::uint8_t>(0x20 | (hasAlpha ? 8 : 0)); // top row first
    if (!withPixels || rgba.size() < std::size_t(width) * height * 4 || w != width || h != height)
        return;
    m_imported.resize(TGA_HEADER_SIZE + std::size_t(w) * h * bpp);
    std::uint8_t* d = m_imported.data() + TGA_HEADER_SIZE;
    for (std::size_t i = 0; i < std::size_t(w) * h; ++i, d += bpp) {
        const std::uint8_t* s = rgba.data() + i * 4;
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        if (hasAlpha)
            d[3] = s[3];
    }
}

TargaCheck CPixloomDoc::CheckRgba(std::span<const std::uint8_t> rgba, unsigned width, unsigned height, bool hasAlpha)
{
    // Only an image of the texture's size is worth its pixels; any other is refused by size.
    RgbaToTarga(rgba, width, height, hasAlpha,
                static_cast<std::int64_t>(width) == m_header.xRes &&
                    static_cast<std::int64_t>(height) == m_header.yRes);
    return CheckTargaBytes(m_imported);
}

TargaCheck CPixloomDoc::CheckNewRgba(std::span<const std::uint8_t> rgba, unsigned width, unsigned height, bool hasAlpha)
{
    // Refused here with its true size, which a Targa header could not carry.
    if (width == 0 || height == 0 || width > unsigned(TEX_MAX_RES) || height > unsigned(TEX_MAX_RES)) {
        TargaCheck check;
        check.result = TexResult::Fail(msg::NewImageSize(width, height), common::MessageIcon::Stop);
        return check;
    }
    RgbaToTarga(rgba, width, height, hasAlpha, true);
    return CheckNewTargaBytes(m_imported);
}

void CPixloomDoc::WriteRgba(std::vector<std::uint8_t>& out, bool& withAlpha) const
{
    const int depth = m_header.bpp;
    withAlpha = depth != 24;
    // Through the Targa bytes, so both exports carry the very same pixels.
    std::vector<std::uint8_t> targa;
    WriteTarga(targa);
    const int bytesPerPixel = BytesPerPixel(depth);
    const std::size_t w = std::size_t(std::max(m_header.xRes, 0)), h = std::size_t(std::max(m_header.yRes, 0));
    out.assign(w * h * 4, 0);
    if (bytesPerPixel == 0)
        return;
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) {
            // The Targa holds the bottom row first.
            const std::uint8_t* src =
                targa.data() + TGA_HEADER_SIZE + ((h - 1 - y) * w + x) * std::size_t(bytesPerPixel);
            std::uint8_t bgra[4] = {0, 0, 0, 255};
            if (bytesPerPixel == 2) {
                DecodeTga16(static_cast<std::uint16_t>(src[0] | (src[1] << 8)), bgra);
                bgra[3] = bgra[3] ? 255 : 0;
            } else {
                std::copy(src, src + bytesPerPixel, bgra);
            }
            std::uint8_t* d = out.data() + (y * w + x) * 4;
            d[0] = bgra[2];
            d[1] = bgra[1];
            d[2] = bgra[0];
            d[3] = bgra[3];
        }
}

TexResult CPixloomDoc::ConvertTarga(const TargaCheck& check)
{
    if (!check.result.ok)
        return check.result;
    // A check made against another texture (or a texture since reopened) must not write
    // outside what it was checked for.
    if (static_cast<std::int64_t>(check.width) != m_header.xRes ||
        static_cast<std::int64_t>(check.height) != m_header.yRes)
        return TexResult::Fail(msg::TargaWrongSize(m_header.xRes, m_header.yRes), common::MessageIcon::Stop);

    // Bit 5 set: the first row in the file is the top row; bit 4 set: each row runs right
    // to left. Our own exports have both clear.
    const bool topFirst = (check.descriptor & 0x20) != 0;
    const bool rightToLeft = (check.descriptor & 0x10) != 0;
    const int bytesPerPixel = BytesPerPixel(static_cast<int>(check.depth));
    const std::size_t w = check.width;
    const std::size_t h = check.height;
    auto put = [&](std::size_t index, const std::uint8_t* src) {
        const std::size_t row = index / w;
        const std::size_t col = index % w;
        const int y = static_cast<int>(topFirst ? row : h - 1 - row);
        const int x = static_cast<int>(rightToLeft ? w - 1 - col : col);
        std::uint8_t* p = GetPixel(x, y);
        p[0] = p[1] = p[2] = p[3] = 0;
        switch (bytesPerPixel) {
        case 2: DecodeTga16(static_cast<std::uint16_t>(src[0] | (src[1] << 8)), p); break;
        case 3:
            p[0] = src[0];
            p[1] = src[1];
            p[2] = src[2];
            break;
        case 4:
            p[0] = src[0];
            p[1] = src[1];
            p[2] = src[2];
            p[3] = src[3];
            break;
        default: break;
        }
    };

    const std::size_t pixelCount = w * h;
    if (check.runLength) {
        std::uint64_t consumed = 0;
        bool overran = false;
        // The check walked these very bytes; a second walk cannot fail.
        WalkRunLength(check.pixelData, pixelCount, std::size_t(bytesPerPixel), consumed, overran, put);
    } else if (check.pixelData.size() < pixelCount * std::size_t(bytesPerPixel)) {
        return TexResult::Fail(
            msg::TargaTruncated(std::string(), pixelCount * std::size_t(bytesPerPixel), check.pixelData.size()),
            common::MessageIcon::Stop);
    } else if (bytesPerPixel == 0) {
        static const std::uint8_t none[4] = {};
        for (std::size_t i = 0; i < pixelCount; ++i)
            put(i, none);
    } else {
        for (std::size_t i = 0; i < pixelCount; ++i)
            put(i, check.pixelData.data() + i * std::size_t(bytesPerPixel));
    }

    m_bModified = true;
    UpdateAllViews();
    return {};
}

// ---------------------------------------------------------------------------------------
// New from Image and Image > Depth

namespace {

// What a store pixel becomes once written at this depth and read back: the texture shows
// what a save will keep.
void KeepAtDepth(std::uint8_t* p, int depth)
{
    if (depth == 16)
        DecodeTex16(EncodeTex16(p), p);
    else if (depth == 24)
        p[3] = 0;
}

} // namespace

bool HasPartialAlpha(const TargaCheck& check)
{
    if (!check.result.ok || (check.depth != 16 && check.depth != 32))
        return false;
    // A 16-bit Targa says whether its top bit is alpha at all; 32-bit ones are trusted less.
    if (check.depth == 16 && (check.descriptor & 0x0F) == 0)
        return false;
    const std::size_t bytesPerPixel = check.depth / 8;
    bool partial = false;
    const auto look = [&](std::size_t, const std::uint8_t* src) {
        if (bytesPerPixel == 4)
            partial = partial || src[3] != 255;
        else
            partial = partial || (src[1] & 0x80) == 0;
    };
    const std::size_t pixelCount = std::size_t(check.width) * check.height;
    if (check.runLength) {
        std::uint64_t consumed = 0;
        bool overran = false;
        WalkRunLength(check.pixelData, pixelCount, bytesPerPixel, consumed, overran, look);
    } else {
        const std::size_t n = std::min(pixelCount, check.pixelData.size() / bytesPerPixel);
        for (std::size_t i = 0; i < n && !partial; ++i)
            look(i, check.pixelData.data() + i * bytesPerPixel);
    }
    return partial;
}

TexResult CPixloomDoc::NewFromImage(const TargaCheck& check, int bpp)
{
    if (!check.result.ok)
        return check.result;
    if (bpp != 16 && bpp != 24 && bpp != 32)
        return TexResult::Fail(msg::UnrecognizedBitDepth(bpp), common::MessageIcon::Stop);
    if (check.width == 0 || check.height == 0 || check.width > unsigned(TEX_MAX_RES) ||
        check.height > unsigned(TEX_MAX_RES))
        return TexResult::Fail(msg::NewImageSize(check.width, check.height), common::MessageIcon::Stop);

    m_bLoaded = 0;
    TexHeader h;
    h.xRes = static_cast<std::int32_t>(check.width);
    h.yRes = static_cast<std::int32_t>(check.height);
    h.bpp = bpp;
    m_header = h;
    if (TexResult r = ConvertTarga(check); !r.ok) {
        UpdateAllViews();
        return r;
    }
    for (int x = 0; x < h.xRes; ++x)
        for (int y = 0; y < h.yRes; ++y)
            KeepAtDepth(GetPixel(x, y), bpp);
    m_path.clear();
    m_bLoaded = 1;
    m_bModified = true;
    UpdateAllViews();
    return {};
}

DepthLoss CPixloomDoc::DepthChangeLoss(int bpp) const
{
    const int from = m_header.bpp;
    if (!m_bLoaded || bpp == from)
        return DepthLoss::None;
    if (bpp == 16)
        return DepthLoss::Precision;
    if (bpp != 24 || (from != 16 && from != 32))
        return DepthLoss::None;
    const std::uint8_t full = from == 16 ? 1 : 255;
    for (int x = 0; x < m_header.xRes; ++x)
        for (int y = 0; y < m_header.yRes; ++y)
            if (GetPixel(x, y)[3] != full)
                return DepthLoss::Alpha;
    return DepthLoss::None;
}

TexResult CPixloomDoc::ChangeDepth(int bpp)
{
    if (bpp != 16 && bpp != 24 && bpp != 32)
        return TexResult::Fail(msg::UnrecognizedBitDepth(bpp), common::MessageIcon::Stop);
    if (!m_bLoaded || bpp == m_header.bpp)
        return {};
    // Every pixel of the store is read and written below: no texture holds more.
    const int w = std::clamp(m_header.xRes, 0, TEX_MAX_RES), h = std::clamp(m_header.yRes, 0, TEX_MAX_RES);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            KeepAtDepth(GetPixel(x, y), bpp);
    m_header.bpp = bpp;
    m_bModified = true;
    UpdateAllViews();
    return {};
}

// ---------------------------------------------------------------------------------------
// The same operations reported through a prompt

bool CPixloomDoc::OnOpenDocument(const std::filesystem::path& path, common::IPrompt& prompt)
{
    const TexResult r = OnOpenDocument(path);
    r.Report(prompt);
    return r.ok;
}

bool CPixloomDoc::OnSaveDocument(const std::filesystem::path& path, common::IPrompt& prompt)
{
    const TexResult r = OnSaveDocument(path);
    r.Report(prompt);
    return r.ok;
}

bool CPixloomDoc::SaveAs(const std::filesystem::path& path, common::IPrompt& prompt)
{
    const TexResult r = SaveAs(path);
    r.Report(prompt);
    return r.ok;
}

bool CPixloomDoc::ExportTarga(const std::filesystem::path& path, common::IPrompt& prompt)
{
    const TexResult r = ExportTarga(path);
    r.Report(prompt);
    return r.ok;
}

bool CPixloomDoc::ReadTex(std::span<const std::uint8_t> file, common::IPrompt& prompt)
{
    const TexResult r = ReadTexBytes(file);
    r.Report(prompt);
    return r.ok;
}

bool CPixloomDoc::ImportAsking(TargaCheck check, common::IPrompt& prompt)
{
    if (!check.result.ok) {
        check.result.Report(prompt);
        return false;
    }
    if (check.NeedsDepthQuestion() && !prompt.AskYesNo(check.depthQuestion, common::MessageIcon::Exclamation))
        return false;
    const TexResult r = ConvertTarga(check);
    r.Report(prompt);
    return r.ok;
}

bool CPixloomDoc::ImportTarga(const std::filesystem::path& path, common::IPrompt& prompt)
{
    return ImportAsking(CheckTarga(path), prompt);
}

bool CPixloomDoc::ImportTargaBytes(std::span<const std::uint8_t> file, common::IPrompt& prompt)
{
    return ImportAsking(CheckTargaBytes(file), prompt);
}

} // namespace texture
