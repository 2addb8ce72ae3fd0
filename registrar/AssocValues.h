#pragma once
// The values that make one program the handler of its file type. Both programs run the same
// registrar; only these differ, and each program keeps its own beside its other texts.

#include <string>

namespace registrar {

struct AssocValues {
    std::string ext; // ".qm4"
    std::string progId; // file-type key
    std::string description; // shown by the shell for files of the type
    std::string appKeyName; // fixed name below "Applications", never the running file's name
    std::string dialogTitle;
    std::string setCaption;
    std::string removeCaption;

    // Desktops without a registry know the program by these.
    std::string appName; // Name= of the desktop entry
    std::string mimeType;
    std::string desktopId; // file name of the desktop entry
    std::string iconName; // icon theme name of the program's icon
    std::string installedDesktopId; // the desktop entry a system-wide installation provides
    // The <magic> element of the MIME type, for an extension other types claim too: the
    // content then tells the files apart. Empty when the extension alone is ours.
    std::string mimeMagic;
};

enum class AssocAction { SetReset = 0, Remove = 1 };

} // namespace registrar
