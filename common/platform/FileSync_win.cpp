#include "FileSync.h"

#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// <windows.h> maps ReplaceFile to ReplaceFileA/W, which would rename ours below while
// callers, which never see that header, still ask for ReplaceFile.
#undef ReplaceFile

namespace common::platform {

std::FILE* OpenExclusive(const std::filesystem::path& path)
{
    return ::_wfopen(path.c_str(), L"wbx");
}

std::FILE* OpenForReading(const std::filesystem::path& path)
{
    DWORD attrs = ::GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    return ::_wfopen(path.c_str(), L"rb");
}

bool SyncToDisk(std::FILE* f)
{
    return ::_commit(::_fileno(f)) == 0;
}

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::int64_t FileSize(std::FILE* f)
{
    struct _stat64 st;
    if (::_fstat64(::_fileno(f), &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::uint64_t CurrentProcessId()
{
    return ::GetCurrentProcessId();
}

bool ProcessIsGone(std::uint64_t pid)
{
    if (pid == 0 || pid > 0xFFFFFFFFull)
        return false;
    HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h)
        return ::GetLastError() == ERROR_INVALID_PARAMETER; // denied access means it runs
    // A process that ended stays openable while anyone holds a handle to it.
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(h, &code) && code != STILL_ACTIVE;
    ::CloseHandle(h);
    return ended;
}

} // namespace common::platform
