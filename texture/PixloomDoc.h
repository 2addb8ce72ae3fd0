#pragma once
// The texture document: one texture at a time, held in a fixed 512 x 512 pixel store, read
// from and written to TEX files, exported to uncompressed Targa images and imported from
// uncompressed or run-length encoded ones.
//
// Every operation that can fail returns a TexResult carrying the exact text and icon the user
// must see; nothing here throws on bad input, shows anything or asks anything itself. The
// wait cursor and the depth question of a Targa import are the caller's business.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/AtomicFile.h"
#include "common/Prompt.h"
#include "texture/TexFormat.h"

namespace texture {

// What an operation hands back: success, or the exact text and icon the user must be shown.
// The document never shows anything itself; the program's edge reports the result.
struct TexResult {
    bool ok = true;
    std::string message; // empty when there is nothing to show
    common::MessageIcon icon = common::MessageIcon::None;

    static TexResult Fail(std::string text, common::MessageIcon icon)
    {
        return TexResult{false, std::move(text), icon};
    }
    bool Ok() const { return ok; }
    void Report(common::IPrompt& prompt) const
    {
        if (!message.empty())
            prompt.ShowMessage(message, icon);
    }
};

// The first step of a Targa import: the file read and every check made, nothing changed.
// When result is ok and depthQuestion is not empty, the edge asks it (Yes/No, exclamation
// icon) and goes on to ConvertTarga only on Yes.
struct TargaCheck {
    TexResult result;
    std::string depthQuestion;

    bool NeedsDepthQuestion() const { return result.ok && !depthQuestion.empty(); }

    // What ConvertTarga decodes; pixelData points into the bytes that were checked.
    unsigned width = 0;
    unsigned height = 0;
    unsigned depth = 0;
    unsigned descriptor = 0;
    bool runLength = false;
    std::span<const std::uint8_t> pixelData;
};

// What changing a texture's depth would lose, worst first.
enum class DepthLoss {
    None,
    Precision, // to 16 bits: 5 bits a colour channel, one alpha bit
    Alpha, // an alpha that is not fully opaque everywhere is dropped
};

// Whether an image holds any alpha other than full, which a texture keeps only at 32 bits.
// In the store a 16-bit source's alpha is 0 or 1 (1 full), a 32-bit source's a byte (255
// full); a 24-bit source has none.
bool HasPartialAlpha(const TargaCheck& check);

class CPixloomDoc {
public:
    CPixloomDoc();
    ~CPixloomDoc();
    CPixloomDoc(const CPixloomDoc&) = delete;
    CPixloomDoc& operator=(const CPixloomDoc&) = delete;

    // New: the document shows nothing. Header and store are left as they are.
    bool OnNewDocument();

    // Reads a TEX file. The name must end in "tex" (any case). On success the header and
    // pixels are replaced, the document is loaded and unmodified and the path becomes the
    // document's path. A file that cannot be opened changes nothing; any later refusal leaves
    // the document unloaded (the store, header and path keep the previous texture's, which
    // nothing shows).
    TexResult OnOpenDocument(const std::filesystem::path& path);

    // Writes the texture as TEX at its own depth, atomically. Clears the modified flag on
    // success. Does not change the document's path (SaveAs does).
    TexResult OnSaveDocument(const std::filesystem::path& path);

    // Save As once the user has chosen a path: saves there and, on success, makes it the
    // document's path. A refused or failed save keeps the former path and never removes or
    // alters anything at the chosen path.
    TexResult SaveAs(const std::filesystem::path& path);

    // Close: the document shows nothing.
    void OnCloseDocument();

    // Writes the texture as an uncompressed Targa (bottom row first), atomically. The
    // document is not changed.
    TexResult ExportTarga(const std::filesystem::path& path);

    // Importing a Targa of the same size, in two steps so the edge can ask the depth question
    // between them. CheckTarga reads the file and makes every check (name, image type, size,
    // truncation) without changing the document; ConvertTarga then replaces the pixels and
    // marks the document modified (header, path and loaded flag stay). The check refers to
    // the document's read buffer (or, from CheckTargaBytes, to the caller's bytes): convert
    // before anything else reads into the document.
    TargaCheck CheckTarga(const std::filesystem::path& path);
    TargaCheck CheckTargaBytes(std::span<const std::uint8_t> file);
    TexResult ConvertTarga(const TargaCheck& check);

    // Importing a decoded image (PNG, BMP): RGBA, row 0 at the top. An image with alpha is a
    // 32-bit source, one without a 24-bit source; it meets exactly the checks and the depth
    // question of a Targa of that depth, and ConvertTarga takes the returned check. The
    // check refers to a buffer of the document that only the next CheckRgba replaces.
    TargaCheck CheckRgba(std::span<const std::uint8_t> rgba, unsigned width, unsigned height, bool hasAlpha);

    // New from Image, in two steps like an import, so the edge can ask for the depth between
    // them. The checks are an import's (name, image type, truncation), except that any image
    // from 1 to 512 pixels on each side is welcome and no depth question arises. The check
    // refers to the document's read buffer, or to the caller's bytes, or (from CheckNewRgba)
    // to a buffer that only the next CheckRgba or CheckNewRgba replaces.
    TargaCheck CheckNewTarga(const std::filesystem::path& path);
    TargaCheck CheckNewTargaBytes(std::span<const std::uint8_t> file);
    TargaCheck CheckNewRgba(std::span<const std::uint8_t> rgba, unsigned width, unsigned height, bool hasAlpha);
    // Makes the document a new texture of the checked image at depth bpp (16, 24 or 32): a
    // header whose filler is zero, the pixels as an import converts them and as a save at that
    // depth keeps them. Loaded, modified and without a path, so a save asks for a name.
    TexResult NewFromImage(const TargaCheck& check, int bpp);

    // Image > Depth: what the change would lose, and the change itself, which converts every
    // pixel to what a save at the new depth keeps and marks the document modified. The same
    // depth changes nothing.
    DepthLoss DepthChangeLoss(int bpp) const;
    TexResult ChangeDepth(int bpp);

    // The pixels a Targa export carries, as RGBA with row 0 at the top: a 16-bit alpha bit
    // becomes 0 or 255; withAlpha says whether the texture has alpha at all (not at 24 bits,
    // where every alpha byte is 255).
    void WriteRgba(std::vector<std::uint8_t>& out, bool& withAlpha) const;

    // Reads TEX bytes held in memory (no name test, the path is left alone).
    TexResult ReadTexBytes(std::span<const std::uint8_t> file);

    // Conveniences for callers with a prompt at hand (tests, tools, benchmarks): each runs the
    // operation above, reports its result through the prompt and returns whether it
    // succeeded. The Targa imports ask the depth question between the two steps.
    bool OnOpenDocument(const std::filesystem::path& path, common::IPrompt& prompt);
    bool OnSaveDocument(const std::filesystem::path& path, common::IPrompt& prompt);
    bool SaveAs(const std::filesystem::path& path, common::IPrompt& prompt);
    bool ExportTarga(const std::filesystem::path& path, common::IPrompt& prompt);
    bool ImportTarga(const std::filesystem::path& path, common::IPrompt& prompt);
    bool ReadTex(std::span<const std::uint8_t> file, common::IPrompt& prompt);
    bool ImportTargaBytes(std::span<const std::uint8_t> file, common::IPrompt& prompt);

    // Appends the TEX or Targa bytes of the current texture to out.
    void WriteTex(std::vector<std::uint8_t>& out) const;
    void WriteTarga(std::vector<std::uint8_t>& out) const;

    int IsLoaded() const { return m_bLoaded; }
    TexHeader& GetHeader() { return m_header; }
    const TexHeader& GetHeader() const { return m_header; }

    // Pixel (x, y): 4 bytes blue, green, red, alpha. No range check; stay within
    // 0 <= x < TEX_MAX_RES, 0 <= y < TEX_MAX_RES (meaningful: within xRes x yRes).
    std::uint8_t* GetPixel(int x, int y) { return m_pixels.get() + PixelIndex(x, y); }
    const std::uint8_t* GetPixel(int x, int y) const { return m_pixels.get() + PixelIndex(x, y); }

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    const std::filesystem::path& GetPathName() const { return m_path; }
    void SetPathName(const std::filesystem::path& path) { m_path = path; }

    // Where saves and exports go; tests put a failing file system here.
    void SetFileSystem(common::IFileSystem& fs) { m_fs = &fs; }

    // Called whenever what the views show changes (open, import, new, close): the GUI
    // repaints from it.
    void SetUpdateAllViewsHandler(std::function<void()> handler) { m_onUpdate = std::move(handler); }

    // The name tests: the last three characters, lower-cased, are "tex" / "tga".
    static bool HasTexName(const std::filesystem::path& path);
    static bool HasTgaName(const std::filesystem::path& path);

    // The file name the Export and Import dialogs suggest: the document path's file name with
    // its last three characters replaced by "tga" (Wall.tex gives Wall.tga).
    static std::string SuggestTargaName(const std::filesystem::path& docPath);

protected:
    static std::size_t PixelIndex(int x, int y)
    {
        // Column-major: the pixels of one column lie next to each other.
        return (static_cast<std::size_t>(x) * TEX_MAX_RES + static_cast<std::size_t>(y)) * TEX_PIXEL_BYTES;
    }
    void UpdateAllViews();
    // Reads up to limit bytes of path into the scratch buffer; totalLength receives the
    // file's whole length. With limitFromHead, the first headSize bytes are read first and
    // it lowers the limit from them.
    TexResult ReadFilePrefix(const std::filesystem::path& path, std::size_t limit, std::uint64_t& totalLength,
                             std::size_t headSize = 0,
                             std::size_t (*limitFromHead)(std::span<const std::uint8_t>) = nullptr);
    TexResult ParseTex(std::span<const std::uint8_t> bytes, std::uint64_t totalLength);
    // forNew: the size is checked against the store instead of the texture, and no depth
    // question arises.
    TargaCheck ParseTargaHeader(std::span<const std::uint8_t> bytes, std::uint64_t totalLength,
                                const std::string& fileName, bool forNew = false) const;
    TargaCheck ReadTargaFile(const std::filesystem::path& path, bool forNew);
    // Builds the Targa bytes of a decoded image in m_imported.
    void RgbaToTarga(std::span<const std::uint8_t> rgba, unsigned width, unsigned height, bool hasAlpha,
                     bool withPixels);
    TexResult WriteOut(const std::filesystem::path& path);
    bool ImportAsking(TargaCheck check, common::IPrompt& prompt);

    int m_bLoaded = 0;
    std::unique_ptr<std::uint8_t[]> m_pixels; // TEX_MAX_RES * TEX_MAX_RES pixels, allocated once
    TexHeader m_header;
    bool m_bModified = false;
    std::filesystem::path m_path;
    std::function<void()> m_onUpdate;
    common::IFileSystem* m_fs;
    // Reused for every file read and write, so no operation allocates pixel-sized memory
    // after the first.
    std::vector<std::uint8_t> m_scratch;
    // A decoded image turned into Targa bytes, which its check refers to.
    std::vector<std::uint8_t> m_imported;
};

} // namespace texture
