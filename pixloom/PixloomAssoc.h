#pragma once
// What makes Pixloom the handler of texture files. Standard library only, so that the
// registrar's tests and the Windows cross-build check can use it without Qt.

#include "registrar/AssocValues.h"

namespace pixloom {

inline const registrar::AssocValues& PixloomAssocValues()
{
    static const registrar::AssocValues values{
        ".tex",
        "PixloomFile",
        "Morvel Texture File",
        "pixloom.exe",
        "TEX File Associations",
        "Set/Reset TEX File Associations",
        "Remove TEX File Associations",
        "Pixloom",
        "image/x-morvel-tex",
        "fennwick-pixloom.desktop",
        "fennwick-pixloom",
        "com.fennwick.Pixloom.desktop",
    };
    return values;
}

} // namespace pixloom
