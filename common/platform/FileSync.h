#pragma once
// The few file operations whose spelling differs between platforms.
// One implementation file per platform.

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace common::platform {

std::FILE* OpenExclusive(const std::filesystem::path& path); // new file for writing, fails if it exists
std::FILE* OpenForReading(const std::filesystem::path& path);
bool SyncToDisk(std::FILE* f); // after fflush
bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
std::int64_t FileSize(std::FILE* f); // -1 on failure

std::uint64_t CurrentProcessId();
// True only when no process with this id runs any more. A process that runs but that we may
// not inspect (another user's) counts as running.
bool ProcessIsGone(std::uint64_t pid);

} // namespace common::platform
