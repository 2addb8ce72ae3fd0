#include "AtomicFile.h"

#include <cstdio>
#include <random>
#include <system_error>

#include "platform/FileSync.h"

namespace common {

namespace fs = std::filesystem;

namespace {

class StdioOutputFile final : public IOutputFile {
public:
    explicit StdioOutputFile(std::FILE* f) : m_file(f) {}
    ~StdioOutputFile() override
    {
        if (m_file)
            std::fclose(m_file);
    }
    bool Write(const void* data, std::size_t size) override
    {
        return size == 0 || std::fwrite(data, 1, size, m_file) == size;
    }
    bool Sync() override { return std::fflush(m_file) == 0 && platform::SyncToDisk(m_file); }
    bool Close() override
    {
        std::FILE* f = m_file;
        m_file = nullptr;
        return std::fclose(f) == 0;
    }

private:
    std::FILE* m_file;
};

constexpr std::size_t TEMP_RANDOM_DIGITS = 12;

std::string TempPrefix(const fs::path& target)
{
    return "." + PathToUtf8(target.filename()) + ".";
}

// The process id in a name made by CreateTempBeside for target; 0 for any other name.
std::uint64_t TempWriter(const std::string& name, const std::string& prefix)
{
    static const std::string suffix = ".tmp";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    // What lies between must be exactly "<decimal pid>.<12 hex digits>".
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dot = middle.find('.');
    if (dot == 0 || dot == std::string::npos || dot > 10 || middle.size() - dot - 1 != TEMP_RANDOM_DIGITS)
        return 0;
    std::uint64_t pid = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (middle[i] < '0' || middle[i] > '9')
            return 0;
        pid = pid * 10 + static_cast<std::uint64_t>(middle[i] - '0');
    }
    for (std::size_t i = dot + 1; i < middle.size(); ++i) {
        const char c = middle[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return 0;
    }
    return pid;
}

class RealFs final : public IFileSystem {
public:
    std::unique_ptr<IOutputFile> CreateTempBeside(const fs::path& target, fs::path& tempPath) override
    {
        RemoveStaleTemporaries(target);
        std::random_device rd;
        std::mt19937_64 gen(rd());
        const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
        for (int attempt = 0; attempt < 16; ++attempt) {
            char suffix[48];
            std::snprintf(suffix, sizeof suffix, "%llu.%012llx.tmp",
                          static_cast<unsigned long long>(platform::CurrentProcessId()),
                          static_cast<unsigned long long>(gen() & 0xFFFFFFFFFFFFull));
            fs::path candidate = dir / PathFromUtf8(TempPrefix(target) + suffix);
            // "x": fail rather than reuse a file that happens to exist.
            std::FILE* f = platform::OpenExclusive(candidate);
            if (f) {
                tempPath = candidate;
                return std::make_unique<StdioOutputFile>(f);
            }
            std::error_code ec;
            if (!fs::exists(candidate, ec))
                return nullptr; // not a name clash: the folder is not writable or gone
        }
        return nullptr;
    }
    bool Replace(const fs::path& from, const fs::path& to) override { return platform::ReplaceFile(from, to); }
    bool Remove(const fs::path& path) override
    {
        std::error_code ec;
        return fs::remove(path, ec);
    }
};

} // namespace

std::size_t RemoveStaleTemporaries(const fs::path& target, ProcessGoneTest processIsGone)
{
    if (!processIsGone)
        processIsGone = &platform::ProcessIsGone;
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string prefix = TempPrefix(target);
    const std::uint64_t self = platform::CurrentProcessId();
    std::size_t removed = 0;
    std::error_code ec;
    // Best effort throughout: an unreadable folder or a file that vanishes is no reason to
    // fail the save that asked.
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::uint64_t pid = TempWriter(PathToUtf8(it->path().filename()), prefix);
        if (pid == 0 || pid == self)
            continue;
        std::error_code fileEc;
        if (!fs::is_regular_file(it->symlink_status(fileEc)) || fileEc || !processIsGone(pid))
            continue;
        if (fs::remove(it->path(), fileEc))
            ++removed;
    }
    return removed;
}

IFileSystem& RealFileSystem()
{
    static RealFs fsys;
    return fsys;
}

bool WriteFileAtomically(const fs::path& requested, std::span<const std::uint8_t> data, IFileSystem& fsys,
                         std::string* error)
{
    auto fail = [&](const char* what) {
        if (error)
            *error = what;
        return false;
    };
    // Saving through a link updates the file it points to; renaming over the link itself would
    // cut it and leave the real file stale. A dangling link is simply replaced.
    fs::path target = requested;
    std::error_code linkEc;
    if (fs::is_symlink(fs::symlink_status(requested, linkEc))) {
        fs::path real = fs::canonical(requested, linkEc);
        if (!linkEc)
            target = real;
    }
    // Keep the permissions of the file being replaced, so a save does not quietly change who
    // may read or write it.
    std::error_code ec;
    auto st = fs::status(target, ec);
    bool keepPerms = !ec && fs::is_regular_file(st);
    // Renaming over a read-only file succeeds on most systems; the user marked it so that it
    // would not be overwritten.
    if (keepPerms && (st.permissions() & fs::perms::owner_write) == fs::perms::none)
        return fail("the target is read-only");

    fs::path temp;
    std::unique_ptr<IOutputFile> out = fsys.CreateTempBeside(target, temp);
    if (!out)
        return fail("cannot create a temporary file beside the target");

    bool ok = out->Write(data.data(), data.size());
    const char* what = ok ? nullptr : "write failed";
    if (ok && !(ok = out->Sync()))
        what = "flush failed";
    bool closed = out->Close();
    out.reset();
    if (ok && !(ok = closed))
        what = "close failed";
    if (ok && keepPerms)
        fs::permissions(temp, st.permissions(), ec); // best effort
    if (ok && !(ok = fsys.Replace(temp, target)))
        what = "rename over the target failed";
    if (!ok) {
        fsys.Remove(temp);
        return fail(what);
    }
    return true;
}

ReadStatus ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>& out, std::uint64_t maxSize)
{
    out.clear();
    std::FILE* f = platform::OpenForReading(path);
    if (!f)
        return ReadStatus::CannotOpen;
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{f};

    std::int64_t size = platform::FileSize(f);
    if (size < 0)
        return ReadStatus::ReadFailed;
    if (static_cast<std::uint64_t>(size) > maxSize)
        return ReadStatus::TooLarge;
    out.resize(static_cast<std::size_t>(size));
    if (size > 0 && std::fread(out.data(), 1, out.size(), f) != out.size()) {
        out.clear();
        return ReadStatus::ReadFailed;
    }
    // A file that grew while we read it is not the file we measured either.
    if (std::fgetc(f) != EOF || std::ferror(f)) {
        out.clear();
        return ReadStatus::ReadFailed;
    }
    return ReadStatus::Ok;
}

fs::path PathFromUtf8(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const fs::path& path)
{
    std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

} // namespace common
