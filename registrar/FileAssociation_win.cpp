#include "FileAssociation.h"

#include "Registrar.h"
#include "WindowsRegistry.h"

namespace registrar {

AssocOutcome ApplyFileAssociation(AssocAction action, const AssocValues& values, const std::string& programPath,
                                  std::span<const IconImage>)
{
    WindowsRegistry registry;
    if (action == AssocAction::Remove)
        return RemoveAssociations(registry, values);
    return SetAssociations(registry, values, programPath);
}

AssocOutcome ReleaseFileAssociation(const AssocValues& values, const std::string& programPath)
{
    WindowsRegistry registry;
    return ReleaseAssociations(registry, values, programPath);
}

} // namespace registrar
