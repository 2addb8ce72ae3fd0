#pragma once
// Every text the texture tool's windows show, in one place. Messages about files belong to
// the texture core (texture/TexMessages.h).

namespace pixloom::str {

// Application title: message box captions, the settings key, the window title.
inline constexpr const char* APP_TITLE = "Pixloom";
inline constexpr const char* UNTITLED = "Untitled";
// "Save changes to <path>?"
inline constexpr const char* ASK_SAVE_CHANGES = "Save changes to %1?";

// Asked when an image is dropped onto the window; %1 is its file name without the folder.
inline constexpr const char* ASK_IMPORT_DROPPED = "Import %1 into the texture?";

// Settings, in section "Settings".
inline constexpr const char* KEY_BK_COLOR = "BkColor";
inline constexpr int DEFAULT_BK_COLOR = 16777215;
inline constexpr const char* KEY_WINDOW_SHOW_STYLE = "WindowShowStyle";
inline constexpr int DEFAULT_WINDOW_SHOW_STYLE = 1;

// Menus.
inline constexpr const char* MENU_FILE = "&File";
inline constexpr const char* MENU_HEADER = "H&eader"; // &Help keeps H
inline constexpr const char* MENU_OPTIONS = "&Options";
inline constexpr const char* MENU_HELP = "&Help";
inline constexpr const char* FILE_OPEN = "&Open...";
inline constexpr const char* FILE_SAVE = "&Save";
inline constexpr const char* FILE_SAVE_AS = "Save &As...";
inline constexpr const char* FILE_RELOAD = "&Reload\tF5";
inline constexpr const char* MENU_VIEW = "&View";
inline constexpr const char* VIEW_ZOOM_IN = "Zoom &In\tCtrl++";
inline constexpr const char* VIEW_ZOOM_OUT = "Zoom &Out\tCtrl+-";
inline constexpr const char* VIEW_ACTUAL_SIZE = "&Actual Size\tCtrl+0";
inline constexpr const char* VIEW_FIT_WINDOW = "&Fit to Window\tCtrl+9";
inline constexpr const char* VIEW_RGB = "&RGB";
inline constexpr const char* VIEW_ALPHA = "A&lpha";
inline constexpr const char* VIEW_RED = "R&ed";
inline constexpr const char* VIEW_GREEN = "&Green";
inline constexpr const char* VIEW_BLUE = "&Blue";
inline constexpr const char* VIEW_ALPHA_TRANSPARENCY = "Alpha as &Transparency";
inline constexpr const char* VIEW_STATUS_BAR = "&Status Bar";
inline constexpr const char* FILE_IMPORT = "&Import...";
inline constexpr const char* FILE_EXPORT = "&Export...";
inline constexpr const char* FILE_RECENT = "Recent File";
inline constexpr const char* FILE_EXIT = "E&xit";
inline constexpr const char* HEADER_SHOW = "&Show...";
inline constexpr const char* OPTIONS_BACKGROUND = "&Background...";
inline constexpr const char* OPTIONS_ASSOCIATE = "&Associate...";
inline constexpr const char* APP_ABOUT = "&About Pixloom...";

// Export and Import dialogs: the Targa filter first, as it always was.
inline constexpr const char* EXPORT_FILTER = "Targa Files (*.tga)|*.tga|PNG Image (*.png)|*.png|All Files (*.*)|*.*||";
inline constexpr const char* IMPORT_FILTER =
    "Targa Files (*.tga)|*.tga|Images (*.tga;*.png;*.bmp)|*.tga;*.png;*.bmp|All Files (*.*)|*.*||";

// Status bar. The pixel under the pointer: "X: 3  Y: 7  R: 255  G: 0  B: 12  A: 255"; a
// 16-bit texture adds its word: "  Word: 0x7C1F". The texture: "256 x 128, 16 bpp, 200%".
inline constexpr const char* STATUS_PIXEL = "X: %1  Y: %2  R: %3  G: %4  B: %5  A: %6";
inline constexpr const char* STATUS_WORD = "  Word: 0x%1";
inline constexpr const char* STATUS_TEXTURE = "%1 x %2, %3 bpp, %4%";

// "TEX Header" dialog.
inline constexpr const char* HEADER_TITLE = "TEX Header";
inline constexpr const char* HEADER_FILLER = "Filler?";
inline constexpr const char* HEADER_XRES = "X Res:";
inline constexpr const char* HEADER_YRES = "Y Res:";
inline constexpr const char* HEADER_BPP = "BPP:";

// About dialog.
inline constexpr const char* ABOUT_TITLE = "About Pixloom";
inline constexpr const char* ABOUT_VERSION = "Pixloom Version 1.2";
inline constexpr const char* ABOUT_INFO =
    "Pixloom shows one TEX texture at a time, at its own size, over a background colour "
    "of your choice (Options > Background...).\n\n"
    "Header > Show... lists the texture's header: the twenty bytes Pixloom keeps but does not "
    "interpret, the width, the height and the bits per pixel.\n\n"
    "To edit a texture, export it as an uncompressed Targa image (File > Export...), change "
    "it in any paint program without changing its size, then bring it back with "
    "File > Import... and save it. The texture keeps its own header and depth: an image of a "
    "different depth is converted when the texture is saved, after Pixloom asks you.\n\n"
    "Pixloom reads and writes TEX files of 16, 24 and 32 bits per pixel, up to 512 by 512 "
    "pixels, and Targa images of 16, 24 and 32 bits per pixel.\n\n"
    "Options > Associate... makes Pixloom the program that opens .tex files, or removes that "
    "again.";

} // namespace pixloom::str
