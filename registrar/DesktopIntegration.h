#pragma once
// Making a program the handler of its file type on freedesktop systems, for the current
// user: a MIME type for the extension, a desktop entry that opens the program with the file,
// the program's icon, and the user's default-application choice. Remove takes exactly these
// back. Files are written atomically; running Set/Reset again leaves the same files.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "AssocOutcome.h"
#include "AssocValues.h"
#include "FileAssociation.h"

namespace registrar {

struct DesktopPaths {
    std::filesystem::path dataHome; // $XDG_DATA_HOME, else ~/.local/share
    std::filesystem::path configHome; // $XDG_CONFIG_HOME, else ~/.config
};

// From the environment; false when neither the XDG variables nor HOME give absolute folders.
bool DesktopPathsFromEnvironment(DesktopPaths& paths);

enum class ToolResult { Ok, NotInstalled, Failed };
// Runs a program found on PATH with the arguments given, without a shell.
using ToolRunner = std::function<ToolResult(const std::string& tool, const std::vector<std::string>& args)>;
ToolResult RunInstalledTool(const std::string& tool, const std::vector<std::string>& args);

// Where each piece goes.
std::filesystem::path MimePackageFile(const DesktopPaths& paths, const AssocValues& values);
std::filesystem::path DesktopEntryFile(const DesktopPaths& paths, const AssocValues& values);
std::filesystem::path IconFile(const DesktopPaths& paths, const AssocValues& values, int size);
std::filesystem::path MimeAppsFile(const DesktopPaths& paths);

// The Exec= value that starts the program on one file; false for a path no desktop entry
// can carry (control characters).
bool DesktopExecValue(const std::string& programPath, std::string& exec);

// The mimeapps.list text with our entry made the default, or with it taken out again.
std::string WithDefaultApplication(const std::string& mimeApps, const std::string& mimeType,
                                   const std::string& desktopId);
std::string WithoutDefaultApplication(const std::string& mimeApps, const std::string& mimeType,
                                      const std::string& desktopId);

AssocOutcome InstallDesktopAssociation(const AssocValues& values, const DesktopPaths& paths,
                                       const std::string& programPath, std::span<const IconImage> icons,
                                       const ToolRunner& run = RunInstalledTool);
AssocOutcome RemoveDesktopAssociation(const AssocValues& values, const DesktopPaths& paths,
                                      const ToolRunner& run = RunInstalledTool);

// The folders the desktop searches for installed applications and MIME types:
// $XDG_DATA_DIRS, else /usr/local/share and /usr/share.
std::vector<std::filesystem::path> DataDirsFromEnvironment();

// The share folder of the system-wide installation the program runs from: the one of dataDirs
// that is <prefix>/share for a program in <prefix>/bin and holds the installed desktop entry.
// Empty when the program runs from anywhere else, such as a build tree.
std::filesystem::path InstalledDataDir(const std::string& programPath,
                                       const std::vector<std::filesystem::path>& dataDirs, const AssocValues& values);

// For an installed program the package owns the desktop entry, MIME type and icons; only the
// user's default-application choice is ours to make and to take back.
AssocOutcome SetInstalledDefault(const AssocValues& values, const DesktopPaths& paths);
AssocOutcome RemoveInstalledDefault(const AssocValues& values, const DesktopPaths& paths);

} // namespace registrar
