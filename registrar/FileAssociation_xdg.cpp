#include "FileAssociation.h"

#include <fstream>

#include "DesktopIntegration.h"

namespace registrar {

AssocOutcome ApplyFileAssociation(AssocAction action, const AssocValues& values, const std::string& programPath,
                                  std::span<const IconImage> icons)
{
    DesktopPaths paths;
    if (!DesktopPathsFromEnvironment(paths)) {
        AssocOutcome outcome;
        outcome.Fail("Neither XDG_DATA_HOME and XDG_CONFIG_HOME nor HOME name a folder.");
        return outcome;
    }
    // A packaged program already has its desktop entry and MIME type; a copy in the user's
    // folders would shadow the package's and outlive its removal.
    if (!InstalledDataDir(programPath, DataDirsFromEnvironment(), values).empty())
        return action == AssocAction::Remove ? RemoveInstalledDefault(values, paths)
                                             : SetInstalledDefault(values, paths);
    if (action == AssocAction::Remove)
        return RemoveDesktopAssociation(values, paths);
    return InstallDesktopAssociation(values, paths, programPath, icons);
}

AssocOutcome ReleaseFileAssociation(const AssocValues& values, const std::string& programPath)
{
    // Only the per-user files carry the program's path; a packaged program's files belong to
    // its package.
    DesktopPaths paths;
    std::string exec;
    if (!DesktopPathsFromEnvironment(paths) || !DesktopExecValue(programPath, exec))
        return {};
    std::ifstream entry(DesktopEntryFile(paths, values));
    std::string line;
    while (std::getline(entry, line)) {
        if (line.rfind("Exec=", 0) == 0)
            return line == "Exec=" + exec + " %f" ? RemoveDesktopAssociation(values, paths) : AssocOutcome{};
    }
    return {};
}

} // namespace registrar
