#pragma once
// The few file operations whose spelling differs between platforms.
// One implementation file per platform.

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace common::platform {

std::FILE* OpenExclusive(const std::filesystem::path& path);   // new file for writing, fails if it exists
std::FILE* OpenForReading(const std::filesystem::path& path);
bool SyncToDisk(std::FILE* f);                                 // after fflush
bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
std::int64_t FileSize(std::FILE* f);                           // -1 on failure

} // namespace common::platform
