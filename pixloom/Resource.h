#pragma once
// Command ids of the texture tool. They keep their historic values so that anything that
// records or scripts commands by number keeps working.

namespace pixloom {

constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_MRU_FILE1 = 57616;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_HEADER_SHOW = 32771;
constexpr int ID_FILE_EXPORT = 32772;
constexpr int ID_FILE_IMPORT = 32773;
constexpr int ID_OPTIONS_BACKGROUND = 32774;
constexpr int ID_OPTIONS_ASSOCIATE = 32775;
// Added later: zoom, channels, status bar, reload.
constexpr int ID_VIEW_ZOOM_IN = 32790;
constexpr int ID_VIEW_ZOOM_OUT = 32791;
constexpr int ID_VIEW_ACTUAL_SIZE = 32792;
constexpr int ID_VIEW_FIT_WINDOW = 32793;
constexpr int ID_VIEW_CHANNEL_RGB = 32794;
constexpr int ID_VIEW_CHANNEL_ALPHA = 32795;
constexpr int ID_VIEW_CHANNEL_RED = 32796;
constexpr int ID_VIEW_CHANNEL_GREEN = 32797;
constexpr int ID_VIEW_CHANNEL_BLUE = 32798;
constexpr int ID_VIEW_ALPHA_TRANSPARENCY = 32799;
constexpr int ID_VIEW_STATUS_BAR = 32800;
constexpr int ID_FILE_RELOAD = 32801;
// Added later: textures made from images, and their depth.
constexpr int ID_FILE_NEW_FROM_IMAGE = 32802;
constexpr int ID_IMAGE_DEPTH_16 = 32803;
constexpr int ID_IMAGE_DEPTH_24 = 32804;
constexpr int ID_IMAGE_DEPTH_32 = 32805;
// Bound to keys only; nothing handles them.
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;

// Entries of the recent-file list shown in the File menu.
constexpr int RECENT_FILE_COUNT = 4;

} // namespace pixloom
