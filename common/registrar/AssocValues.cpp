#include "AssocValues.h"

namespace registrar {

const AssocValues& QM4EditAssocValues()
{
    static const AssocValues values{
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
    };
    return values;
}

const AssocValues& PixloomAssocValues()
{
    static const AssocValues values{
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
    };
    return values;
}

} // namespace registrar
