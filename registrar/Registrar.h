#pragma once
// Making a program the shell's handler of its file type through the registry, and taking
// that back.

#include <string>

#include "AssocOutcome.h"
#include "AssocValues.h"
#include "Registry.h"

namespace registrar {

// The data written for the file type's icon and open command.
std::string IconValue(const std::string& programPath);
std::string OpenCommandValue(const std::string& programPath);

// programPath is the running program's full path (UTF-8, native separators).
AssocOutcome SetAssociations(IRegistry& registry, const AssocValues& values, const std::string& programPath);

// Deletes whatever the extension key names now, not only what Set/Reset wrote. Keys that
// are not there are not a failure.
AssocOutcome RemoveAssociations(IRegistry& registry, const AssocValues& values);

// What an uninstaller runs: deletes the file-type key and the application key only while the
// file type's open command still starts programPath, and the extension key only while it
// also still names the file-type key. Entries another program has taken over stay.
AssocOutcome ReleaseAssociations(IRegistry& registry, const AssocValues& values, const std::string& programPath);

// Deletes every subkey below key, deepest first. All names are read before the first
// deletion so that deleting cannot shift the enumeration. False when anything failed.
bool DeleteAllSubkeys(IRegistry& registry, RegKey key);

} // namespace registrar
