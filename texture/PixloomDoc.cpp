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

CPixloomDoc::CPixloomDoc()
    : m_pixels(new std::uint8_t[STORE_BYTES]()), m_fs(&common::RealFileSystem())
{
    m_scratch.reserve(MAX_TEX_FILE);
}

CPixloomDoc::~CPixloomDoc() = default;

void CPixloomDoc::UpdateAllViews()
{
    if (m_onUpdate)
        m_onUpdate();
}

bool CPixloomDoc::HasTexName(const std::filesystem::path& path) { return LowerTail3(path) == "tex"; }
bool CPixloomDoc::HasTgaName(const std::filesystem::path& path) { return LowerTail3(path) == "tga"; }

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

bool CPixloomDoc::ReadFilePrefix(const std::filesystem::path& path, std::size_t limit, std::uint64_t& totalLength,
                                 common::IPrompt& prompt)
{
    m_scratch.clear();
    std::FILE* f = common::platform::OpenForReading(path);
    bool ok = f != nullptr;
    if (ok) {
        std::int64_t size = common::platform::FileSize(f);
        ok = size >= 0;
        if (ok) {
            totalLength = static_cast<std::uint64_t>(size);
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(totalLength, limit));
            m_scratch.resize(want);
            ok = want == 0 || std::fread(m_scratch.data(), 1, want, f) == want;
        }
        std::fclose(f);
    }
    if (!ok) {
        m_scratch.clear();
        prompt.ShowMessage(msg::CannotOpen(common::PathToUtf8(path)), common::MessageIcon::Exclamation);
    }
    return ok;
}

bool CPixloomDoc::WriteOut(const std::filesystem::path& path, common::IPrompt& prompt)
{
    if (!common::WriteFileAtomically(path, m_scratch, *m_fs)) {
        prompt.ShowMessage(msg::CannotWrite(common::PathToUtf8(path)), common::MessageIcon::Exclamation);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// TEX

bool CPixloomDoc::OnOpenDocument(const std::filesystem::path& path, common::IPrompt& prompt)
{
    std::uint64_t total = 0;
    // A file that cannot be opened leaves the current texture on show.
    if (!ReadFilePrefix(path, MAX_TEX_FILE, total, prompt))
        return false;
    m_bLoaded = 0;
    if (!HasTexName(path)) {
        UpdateAllViews();
        prompt.ShowMessage(msg::NOT_A_TEX, common::MessageIcon::None);
        return false;
    }
    if (!ParseTex(m_scratch, total, prompt))
        return false;
    m_path = path;
    return true;
}

bool CPixloomDoc::ReadTex(std::span<const std::uint8_t> file, common::IPrompt& prompt)
{
    return ParseTex(file, file.size(), prompt);
}

bool CPixloomDoc::ParseTex(std::span<const std::uint8_t> bytes, std::uint64_t totalLength, common::IPrompt& prompt)
{
    m_bLoaded = 0;
    UpdateAllViews();

    const auto actual = static_cast<std::int64_t>(std::min<std::uint64_t>(
        totalLength, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())));
    if (totalLength < TEX_HEADER_SIZE || bytes.size() < TEX_HEADER_SIZE) {
        // Not even a header: no texture is shorter than one.
        prompt.ShowMessage(msg::WrongTexLength(TEX_HEADER_SIZE, actual), common::MessageIcon::Exclamation);
        return false;
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
    if (!fits || expected > std::numeric_limits<std::int32_t>::max() || expected != actual) {
        prompt.ShowMessage(msg::WrongTexLength(ExpectedTexLengthText(h), actual), common::MessageIcon::Exclamation);
        return false;
    }
    if (h.xRes < 0 || h.yRes < 0 || h.xRes > TEX_MAX_RES || h.yRes > TEX_MAX_RES) {
        prompt.ShowMessage(msg::TexTooLarge(h.xRes, h.yRes), common::MessageIcon::Stop);
        return false;
    }
    // The depth only matters when there is a pixel to decode: an empty texture is accepted
    // whatever its bpp says.
    const bool anyPixel = h.xRes > 0 && h.yRes > 0;
    if (anyPixel && h.bpp != 16 && h.bpp != 24 && h.bpp != 32) {
        prompt.ShowMessage(msg::UnrecognizedBitDepth(h.bpp), common::MessageIcon::Stop);
        return false;
    }
    // The length check above guarantees the pixel bytes; a caller that passed only a prefix
    // of a longer file cannot get here, but never decode what is not there.
    if (bytes.size() < static_cast<std::uint64_t>(expected)) {
        prompt.ShowMessage(msg::WrongTexLength(expected, static_cast<std::int64_t>(bytes.size())),
                           common::MessageIcon::Exclamation);
        return false;
    }

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
    return true;
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
    default:
        return d;
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

bool CPixloomDoc::OnSaveDocument(const std::filesystem::path& path, common::IPrompt& prompt)
{
    if (!HasTexName(path)) {
        prompt.ShowMessage(msg::NOT_A_TEX, common::MessageIcon::None);
        return false;
    }
    m_scratch.clear();
    WriteTex(m_scratch);
    if (!WriteOut(path, prompt))
        return false;
    m_bModified = false;
    return true;
}

bool CPixloomDoc::SaveAs(const std::filesystem::path& path, common::IPrompt& prompt)
{
    // Nothing is removed on failure: the atomic write leaves the chosen path as it was.
    if (!OnSaveDocument(path, prompt))
        return false;
    m_path = path;
    return true;
}

// ---------------------------------------------------------------------------------------
// Targa

namespace {

constexpr int TGA_HEADER_SIZE = 18;

// Everything an import can need lies within this prefix: the header, the longest image ID,
// the longest colour map (65535 entries of up to 32 bytes) and the largest pixel block.
constexpr std::size_t MAX_TGA_PREFIX = TGA_HEADER_SIZE + 255 + 65535u * 32u + STORE_BYTES;

} // namespace

void CPixloomDoc::WriteTarga(std::vector<std::uint8_t>& out) const
{
    const int depth = m_header.bpp;
    const std::size_t start = out.size();
    out.resize(start + TGA_HEADER_SIZE + PixelBytes(m_header, depth));
    std::uint8_t* d = out.data() + start;
    std::fill(d, d + TGA_HEADER_SIZE, std::uint8_t(0));
    d[2] = 2; // uncompressed true-colour
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

bool CPixloomDoc::ExportTarga(const std::filesystem::path& path, common::IPrompt& prompt)
{
    if (!HasTgaName(path)) {
        prompt.ShowMessage(msg::NOT_A_TGA_EXPORT, common::MessageIcon::None);
        return false;
    }
    m_scratch.clear();
    WriteTarga(m_scratch);
    return WriteOut(path, prompt);
}

bool CPixloomDoc::ImportTarga(const std::filesystem::path& path, common::IPrompt& prompt)
{
    if (!HasTgaName(path)) {
        prompt.ShowMessage(msg::NOT_A_TGA_IMPORT, common::MessageIcon::None);
        return false;
    }
    std::uint64_t total = 0;
    if (!ReadFilePrefix(path, MAX_TGA_PREFIX, total, prompt))
        return false;
    return ParseTarga(m_scratch, total, prompt, common::PathToUtf8(path));
}

bool CPixloomDoc::ImportTargaBytes(std::span<const std::uint8_t> file, common::IPrompt& prompt)
{
    return ParseTarga(file, file.size(), prompt, std::string());
}

bool CPixloomDoc::ParseTarga(std::span<const std::uint8_t> bytes, std::uint64_t totalLength,
                             common::IPrompt& prompt, const std::string& fileName)
{
    const std::uint64_t available = std::min<std::uint64_t>(totalLength, bytes.size());
    if (available < TGA_HEADER_SIZE) {
        prompt.ShowMessage(msg::TargaTruncated(fileName, TGA_HEADER_SIZE, totalLength), common::MessageIcon::Stop);
        return false;
    }

    common::ByteReader in(bytes.first(TGA_HEADER_SIZE));
    const unsigned idLength = in.U8();
    in.Skip(1); // colour map type: the offset below already accounts for any map
    const unsigned imageType = in.U8();
    in.Skip(2); // first colour map entry
    const unsigned mapLength = in.U16();
    const unsigned mapEntryBits = in.U8();
    in.Skip(4); // x and y origin
    const unsigned width = in.U16();
    const unsigned height = in.U16();
    const unsigned depth = in.U8();
    const unsigned descriptor = in.U8();

    if (imageType != 2) {
        prompt.ShowMessage(msg::UnsupportedTarga(imageType), common::MessageIcon::Stop);
        return false;
    }
    if (static_cast<std::int64_t>(width) != m_header.xRes || static_cast<std::int64_t>(height) != m_header.yRes) {
        prompt.ShowMessage(msg::TargaWrongSize(m_header.xRes, m_header.yRes), common::MessageIcon::Stop);
        return false;
    }

    const std::uint64_t offset =
        TGA_HEADER_SIZE + std::uint64_t(idLength) + std::uint64_t(mapLength) * ((mapEntryBits + 7) / 8);
    const int bytesPerPixel = BytesPerPixel(static_cast<int>(depth));
    // Depths we cannot decode read nothing (those pixels become zero), so they need no data.
    const std::uint64_t needed = bytesPerPixel == 0 ? 0 : offset + std::uint64_t(width) * height * bytesPerPixel;
    if (available < needed) {
        prompt.ShowMessage(msg::TargaTruncated(fileName, needed, totalLength), common::MessageIcon::Stop);
        return false;
    }

    if (static_cast<std::int64_t>(depth) != m_header.bpp &&
        !prompt.AskYesNo(msg::TargaDepthQuestion(depth, m_header.bpp), common::MessageIcon::Exclamation))
        return false;

    // Bit 5 set: the first row in the file is the top row; bit 4 set: each row runs right
    // to left. Our own exports have both clear.
    const bool topFirst = (descriptor & 0x20) != 0;
    const bool rightToLeft = (descriptor & 0x10) != 0;
    const std::uint8_t* src = bytesPerPixel == 0 ? nullptr : bytes.data() + offset;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    for (int row = 0; row < h; ++row) {
        const int y = topFirst ? row : h - 1 - row;
        for (int col = 0; col < w; ++col) {
            const int x = rightToLeft ? w - 1 - col : col;
            std::uint8_t* p = GetPixel(x, y);
            p[0] = p[1] = p[2] = p[3] = 0;
            switch (bytesPerPixel) {
            case 2:
                DecodeTga16(static_cast<std::uint16_t>(src[0] | (src[1] << 8)), p);
                break;
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
            default:
                break;
            }
            src += bytesPerPixel;
        }
    }

    m_bModified = true;
    UpdateAllViews();
    return true;
}

} // namespace texture
