#include "FileSync.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common::platform {

std::FILE* OpenExclusive(const std::filesystem::path& path)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f)
        ::close(fd);
    return f;
}

std::FILE* OpenForReading(const std::filesystem::path& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return nullptr;
    struct stat st;
    // Opening a folder "succeeds" on POSIX; it is not a file the user can load.
    if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    return f;
}

bool SyncToDisk(std::FILE* f)
{
    return ::fsync(::fileno(f)) == 0;
}

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return false;
    // Make the rename itself durable; failing to sync the folder does not undo the save.
    std::filesystem::path dir = to.has_parent_path() ? to.parent_path() : std::filesystem::path(".");
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

std::int64_t FileSize(std::FILE* f)
{
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::uint64_t CurrentProcessId()
{
    return static_cast<std::uint64_t>(::getpid());
}

bool ProcessIsGone(std::uint64_t pid)
{
    // 0 and negative values address process groups, not one process.
    if (pid == 0 || pid > static_cast<std::uint64_t>(std::numeric_limits<pid_t>::max()))
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
}

} // namespace common::platform
