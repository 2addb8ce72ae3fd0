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
        // ".tex" is LaTeX's too. A texture holds its depth (16, 24 or 32) as a little-endian
        // 32-bit number at byte 28, after a width and height below 1024, which no text can;
        // the packaged type (packaging/mime) carries the same rule.
        "    <magic priority=\"80\">\n"
        "      <match type=\"little32\" offset=\"28\" value=\"16\">\n"
        "        <match type=\"little32\" offset=\"20\" value=\"0\" mask=\"0xfffffc00\">\n"
        "          <match type=\"little32\" offset=\"24\" value=\"0\" mask=\"0xfffffc00\"/>\n"
        "        </match>\n"
        "      </match>\n"
        "      <match type=\"little32\" offset=\"28\" value=\"24\">\n"
        "        <match type=\"little32\" offset=\"20\" value=\"0\" mask=\"0xfffffc00\">\n"
        "          <match type=\"little32\" offset=\"24\" value=\"0\" mask=\"0xfffffc00\"/>\n"
        "        </match>\n"
        "      </match>\n"
        "      <match type=\"little32\" offset=\"28\" value=\"32\">\n"
        "        <match type=\"little32\" offset=\"20\" value=\"0\" mask=\"0xfffffc00\">\n"
        "          <match type=\"little32\" offset=\"24\" value=\"0\" mask=\"0xfffffc00\"/>\n"
        "        </match>\n"
        "      </match>\n"
        "    </magic>\n",
    };
    return values;
}

} // namespace pixloom
