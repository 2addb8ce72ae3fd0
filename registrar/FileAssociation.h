#pragma once
// The one call both programs make: Set/Reset or Remove their file association in whatever
// way the platform keeps them (the registry on Windows, the freedesktop files elsewhere).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "AssocOutcome.h"
#include "AssocValues.h"

namespace registrar {

// The program's icon, PNG encoded, at one of kIconSizes pixels square. Only desktops
// without a registry need it; there the shell takes the icon from the program file.
struct IconImage {
    int size = 0;
    std::vector<std::uint8_t> png;
};
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// programPath: the running program's full path, UTF-8, native separators.
AssocOutcome ApplyFileAssociation(AssocAction action, const AssocValues& values, const std::string& programPath,
                                  std::span<const IconImage> icons);

// What an uninstaller runs: takes the association back only where it still starts the
// program at programPath; one another program has taken over since stays.
AssocOutcome ReleaseFileAssociation(const AssocValues& values, const std::string& programPath);

} // namespace registrar
