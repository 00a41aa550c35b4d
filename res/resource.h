#pragma once

// Ids of the program's dialogs, menus, images, controls and menu commands.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN_DIALOG = 102;
inline constexpr int IDR_LIST_MENU = 130;

inline constexpr int IDC_ADD = 1001;
inline constexpr int IDC_FILE_LIST = 1002;
inline constexpr int IDC_TITLE = 1003;
inline constexpr int IDC_ARTIST = 1004;
inline constexpr int IDC_CLEAR = 1005;
inline constexpr int IDC_REMOVE = 1006;
inline constexpr int IDC_LIST_GROUP = 1007;
inline constexpr int IDC_USE_FILE_NAME = 1008;
inline constexpr int IDC_ALBUM = 1009;
inline constexpr int IDC_INFO_GROUP = 1011;
inline constexpr int IDC_SELECT_ALL = 1012;
inline constexpr int IDC_TITLE_LABEL = 1013;
inline constexpr int IDC_ARTIST_LABEL = 1014;
inline constexpr int IDC_ALBUM_LABEL = 1015;
inline constexpr int IDC_ABOUT = 1018;
inline constexpr int IDC_PRODUCT_NAME = 1021;
inline constexpr int IDC_PLAYER = 1022;
inline constexpr int IDC_PLAY_GROUP = 1023;
inline constexpr int IDC_PLAY = 1024;

inline constexpr int ID_LIST_REMOVE_CURRENT = 32776;
inline constexpr int ID_LIST_SELECT_ALL = 32778;
inline constexpr int ID_LIST_PLAY_CURRENT = 32780;
inline constexpr int ID_LIST_UNDO = 32782;
inline constexpr int ID_LIST_MIRROR_ID3V2 = 32784;
inline constexpr int ID_LIST_REPAIR_ID3V2 = 32786;
