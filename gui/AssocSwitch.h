#pragma once
// The programs' --register and --unregister switches, which an installer runs: the same
// association Options > Associations... sets, made or taken back without a window.

#include <string_view>

#include "registrar/AssocValues.h"

namespace gui {

// True for the two switches.
bool IsAssocSwitch(std::string_view argument);

// Carries out the switch for the running program (a QCoreApplication must exist): --register
// sets the association, --unregister takes it back only where it still starts this program.
// Returns the exit status: 0, or 1 after the failure's message on stderr.
int RunAssocSwitch(std::string_view argument, const registrar::AssocValues& values);

} // namespace gui
