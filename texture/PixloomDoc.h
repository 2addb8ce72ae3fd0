#pragma once
// The texture document: one texture at a time, held in a fixed 512 x 512 pixel store, read
// from and written to TEX files, exchanged with uncompressed Targa images.
//
// Every operation that can fail tells the user through the prompt it is given and returns
// false; nothing here throws on bad input or shows anything itself. The wait cursor is the
// caller's business.

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
    // the document unloaded (the store and header keep the previous texture).
    bool OnOpenDocument(const std::filesystem::path& path, common::IPrompt& prompt);

    // Writes the texture as TEX at its own depth, atomically. Clears the modified flag on
    // success. Does not change the document's path (SaveAs does).
    bool OnSaveDocument(const std::filesystem::path& path, common::IPrompt& prompt);

    // Save As once the user has chosen a path: saves there and, on success, makes it the
    // document's path. A refused or failed save keeps the former path and never removes or
    // alters anything at the chosen path.
    bool SaveAs(const std::filesystem::path& path, common::IPrompt& prompt);

    // Close: the document shows nothing.
    void OnCloseDocument();

    // Writes the texture as an uncompressed Targa (bottom row first), atomically. The
    // document is not changed.
    bool ExportTarga(const std::filesystem::path& path, common::IPrompt& prompt);

    // Replaces the texture's pixels with those of a Targa of the same size. Every check (name,
    // image type, size, truncation, the depth question) comes before the first pixel changes.
    // On success the document is marked modified; header, path and loaded flag stay.
    bool ImportTarga(const std::filesystem::path& path, common::IPrompt& prompt);

    // The same operations over bytes in memory (no name test): what the file operations use,
    // and what fuzzing and tests call directly. ReadTex on success does not set the path.
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
    // Reads up to the scratch buffer's capacity from path; totalLength receives the file's
    // whole length. Reports and returns false when the file cannot be read.
    bool ReadFilePrefix(const std::filesystem::path& path, std::size_t limit, std::uint64_t& totalLength,
                        common::IPrompt& prompt);
    bool ParseTex(std::span<const std::uint8_t> bytes, std::uint64_t totalLength, common::IPrompt& prompt);
    bool ParseTarga(std::span<const std::uint8_t> bytes, std::uint64_t totalLength, common::IPrompt& prompt,
                    const std::string& fileName);
    bool WriteOut(const std::filesystem::path& path, common::IPrompt& prompt);

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
};

} // namespace texture
