#include "FaultFs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace fs = std::filesystem;

namespace fault {

const char* FaultName(Fault f)
{
    switch (f) {
    case Fault::None: return "None";
    case Fault::CannotCreate: return "CannotCreate";
    case Fault::WriteStops: return "WriteStops";
    case Fault::SyncFails: return "SyncFails";
    case Fault::CloseFails: return "CloseFails";
    case Fault::RenameFails: return "RenameFails";
    case Fault::FolderGoneBeforeWrite: return "FolderGoneBeforeWrite";
    case Fault::FolderGoneBeforeRename: return "FolderGoneBeforeRename";
    }
    return "?";
}

class FaultFile final : public common::IOutputFile {
public:
    FaultFile(FaultFs& owner, std::unique_ptr<common::IOutputFile> inner) : m_owner(owner), m_inner(std::move(inner)) {}

    bool Write(const void* data, std::size_t size) override
    {
        if (m_owner.m_fault == Fault::FolderGoneBeforeWrite && m_owner.m_written == 0)
            m_owner.RemoveFolder();
        if (m_owner.m_fault == Fault::WriteStops) {
            const std::size_t room = m_owner.m_atByte > m_owner.m_written ? m_owner.m_atByte - m_owner.m_written : 0;
            if (size > room) {
                // What fitted reaches the file, as it does on a full disk.
                if (room > 0 && m_inner->Write(data, room))
                    m_owner.m_written += room;
                return false;
            }
        }
        if (!m_inner->Write(data, size))
            return false;
        m_owner.m_written += size;
        return true;
    }
    bool Sync() override { return m_inner->Sync() && m_owner.m_fault != Fault::SyncFails; }
    bool Close() override { return m_inner->Close() && m_owner.m_fault != Fault::CloseFails; }

private:
    FaultFs& m_owner;
    std::unique_ptr<common::IOutputFile> m_inner;
};

std::unique_ptr<common::IOutputFile> FaultFs::CreateTempBeside(const fs::path& target, fs::path& tempPath)
{
    if (m_fault == Fault::CannotCreate)
        return nullptr;
    m_folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    auto inner = common::RealFileSystem().CreateTempBeside(target, tempPath);
    if (!inner)
        return nullptr;
    m_temps.push_back(tempPath);
    return std::make_unique<FaultFile>(*this, std::move(inner));
}

bool FaultFs::Replace(const fs::path& from, const fs::path& to)
{
    if (m_fault == Fault::RenameFails)
        return false;
    if (m_fault == Fault::FolderGoneBeforeRename)
        RemoveFolder();
    return common::RealFileSystem().Replace(from, to);
}

bool FaultFs::Remove(const fs::path& path)
{
    return common::RealFileSystem().Remove(path);
}

void FaultFs::RemoveFolder()
{
    std::error_code ec;
    fs::remove_all(m_folder, ec);
}

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Listing(const fs::path& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "fault";
    std::replace(name.begin(), name.end(), '/', '_');
    m_path = fs::temp_directory_path() /
        ("qm_fault_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + "_" + name);
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

} // namespace fault
