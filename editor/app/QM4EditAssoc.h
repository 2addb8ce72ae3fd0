#pragma once
// What makes QM4Edit the handler of scene files. Standard library only, so that the
// registrar's tests and the Windows cross-build check can use it without Qt.

#include "registrar/AssocValues.h"

namespace qm4edit {

inline const registrar::AssocValues& QM4EditAssocValues()
{
    static const registrar::AssocValues values{
        ".qm4",
        "QM4EditFile",
        "Morvel 3D Object File",
        "qm4edit.exe",
        "QM4 File Associations",
        "Set/Reset QM4 File Associations",
        "Remove QM4 File Associations",
        "QM4Edit",
        "application/x-morvel-qm4",
        "fennwick-qm4edit.desktop",
        "fennwick-qm4edit",
        "com.fennwick.QM4Edit.desktop",
        // No other type claims .qm4: the name alone decides.
        "",
    };
    return values;
}

} // namespace qm4edit
