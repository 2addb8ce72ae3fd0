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
    if (action == AssocAction::Remove)
        return RemoveDesktopAssociation(values, paths);
    return InstallDesktopAssociation(values, paths, programPath, icons);
}

} // namespace registrar
