#pragma once
// Reading whole files, and saving them so that a failure never costs the user the old file.
//
// A save writes a temporary file in the target's folder, flushes it to the disk, and only
// then renames it over the target. Any failure removes the temporary and leaves the target
// as it was. The file operations go through IFileSystem so tests can make any step fail.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace common {

class IOutputFile {
public:
    virtual ~IOutputFile() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Flushes buffers and asks the system to put the data on the disk.
    virtual bool Sync() = 0;
    virtual bool Close() = 0;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // Creates a new, exclusive file next to target; its path is returned in tempPath.
    virtual std::unique_ptr<IOutputFile> CreateTempBeside(const std::filesystem::path& target,
                                                          std::filesystem::path& tempPath) = 0;
    // Replaces to with from (to may exist).
    virtual bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual bool Remove(const std::filesystem::path& path) = 0;
};

// The machine's real file system.
IFileSystem& RealFileSystem();

// Writes data to target atomically. Returns false (target untouched, no temporary left
// behind) on any failure, a read-only target included; error, when given, receives a short
// description for logs/tests.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> data,
                         IFileSystem& fs = RealFileSystem(), std::string* error = nullptr);

enum class ReadStatus { Ok, CannotOpen, ReadFailed, TooLarge };

// Temporaries are named ".<target name>.<process id>.<12 hex digits>.tmp". A process that
// died in the middle of a save leaves one behind; this removes those beside target whose
// writer no longer runs, and returns how many. Nothing else is touched: not other files, not
// other targets' temporaries, not those of a running process. processIsGone decides whether
// a process id has ended (null: ask the system). Saves through RealFileSystem() call it first.
using ProcessGoneTest = bool (*)(std::uint64_t pid);
std::size_t RemoveStaleTemporaries(const std::filesystem::path& target, ProcessGoneTest processIsGone = nullptr);

// Reads a whole file. A file that shrinks or vanishes while being read gives ReadFailed,
// never a partial buffer presented as complete. maxSize bounds what is accepted.
ReadStatus ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                         std::uint64_t maxSize = (std::uint64_t(1) << 32));

// Paths are carried as UTF-8 text across the programs; these convert without surprises
// on either platform.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string PathToUtf8(const std::filesystem::path& path);

} // namespace common
