#include "FileAssociation.h"

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

} // namespace registrar
