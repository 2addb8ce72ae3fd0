#pragma once
// A file system that behaves like the real one until a chosen point, and breaks there the
// way disks and folders break: a write that stops part way (disk full), a flush or close
// that fails, a rename refused, the folder taken away under the writer.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/AtomicFile.h"

namespace fault {

enum class Fault {
    None,
    CannotCreate, // no permission in the folder, or no free inode
    WriteStops, // the disk fills after `atByte` bytes of the new file
    SyncFails, // the data cannot be put on the disk
    CloseFails, // delayed write error reported at close
    RenameFails, // the target is locked or the rename is refused
    FolderGoneBeforeWrite, // the folder is removed right after the temporary was made
    FolderGoneBeforeRename // the folder is removed once the temporary is complete
};

const char* FaultName(Fault f);

class FaultFs final : public common::IFileSystem {
public:
    explicit FaultFs(Fault fault, std::size_t atByte = 0) : m_fault(fault), m_atByte(atByte) {}

    std::unique_ptr<common::IOutputFile> CreateTempBeside(const std::filesystem::path& target,
                                                          std::filesystem::path& tempPath) override;
    bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
    bool Remove(const std::filesystem::path& path) override;

    // Every temporary file that was created, for checking none is left behind.
    const std::vector<std::filesystem::path>& Temporaries() const { return m_temps; }
    // Bytes that reached the temporary before the failure.
    std::size_t BytesWritten() const { return m_written; }

private:
    friend class FaultFile;
    void RemoveFolder();

    Fault m_fault;
    std::size_t m_atByte;
    std::size_t m_written = 0;
    std::filesystem::path m_folder;
    std::vector<std::filesystem::path> m_temps;
};

// Helpers for the checks every case makes.
std::string Slurp(const std::filesystem::path& p);
std::vector<std::string> Listing(const std::filesystem::path& dir);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace fault
