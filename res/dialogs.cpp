#include "res/dialogs.h"

#include "platform/dialog_ids.h"
#include "res/resource.h"

namespace {

using enum ControlKind;

// clang-format off
// In tab order, which is also the order of creation. Positions in dialog units.
constexpr ControlTemplate kMainControls[] = {
    // id name              id                 kind          text                  style                      x    y    w    h
    {"IDOK",              IDOK,              PushButton,   "确定(&O)",           kDefaultButton,            267, 130, 36,  13},
    {"IDCANCEL",          IDCANCEL,          PushButton,   "退出(&X)",           kNoStyle,                  141, 225, 36,  13},
    {"IDC_ADD",           IDC_ADD,           PushButton,   "添加(&A)",           kNoStyle,                  279, 15,  30,  14},
    {"IDC_TITLE",         IDC_TITLE,         Edit,         "",                   kNoStyle,                  15,  139, 80,  13},
    {"IDC_ARTIST",        IDC_ARTIST,        Edit,         "",                   kNoStyle,                  101, 139, 72,  13},
    {"IDC_TITLE_LABEL",   IDC_TITLE_LABEL,   Static,       "标题",               kCentre | kStaticEdge,     15,  128, 20,  9},
    {"IDC_ARTIST_LABEL",  IDC_ARTIST_LABEL,  Static,       "艺术家",             kCentre | kStaticEdge,     101, 128, 29,  9},
    {"IDC_INFO_GROUP",    IDC_INFO_GROUP,    GroupBox,     "文件信息",           kNoStyle,                  6,   111, 309, 50},
    {"IDC_LIST_GROUP",    IDC_LIST_GROUP,    GroupBox,     "文件列表(共 0 个)",  kNoStyle,                  5,   2,   309, 108},
    {"IDC_FILE_LIST",     IDC_FILE_LIST,     ListBox,      "",                   kStaticEdge,               9,   12,  265, 93},
    {"IDC_CLEAR",         IDC_CLEAR,         PushButton,   "清空(&C)",           kNoStyle,                  279, 50,  30,  15},
    {"IDC_REMOVE",        IDC_REMOVE,        PushButton,   "移除(&R)",           kNoStyle,                  279, 32,  30,  15},
    {"IDC_USE_FILE_NAME", IDC_USE_FILE_NAME, CheckBox,     "以文件名替换",       kNoStyle,                  37,  127, 56,  11},
    {"IDC_ALBUM_LABEL",   IDC_ALBUM_LABEL,   Static,       "专辑",               kCentre | kStaticEdge,     179, 128, 20,  9},
    {"IDC_ALBUM",         IDC_ALBUM,         Edit,         "",                   kNoStyle,                  179, 139, 76,  13},
    {"IDC_SELECT_ALL",    IDC_SELECT_ALL,    PushButton,   "全选(&S)",           kNoStyle,                  279, 68,  30,  15},
    {"IDC_ABOUT",         IDC_ABOUT,         BitmapButton, "Button5",            kStaticEdge,               291, 218, 22,  20},
    {"IDC_PLAY_GROUP",    IDC_PLAY_GROUP,    GroupBox,     "播放音乐",           kNoStyle,                  6,   162, 309, 54},
    {"IDC_PLAYER",        IDC_PLAYER,        Hosted,       "",                   kNoStyle,                  12,  173, 298, 38},
    {"IDC_PLAY",          IDC_PLAY,          PushButton,   "播放(&P)",           kNoStyle,                  279, 86,  30,  15},
    {"IDC_STATIC",        IDC_STATIC,        EtchedFrame,  "",                   kStaticEdge,               11,  172, 301, 41},
};

constexpr ControlTemplate kAboutControls[] = {
    {"IDC_STATIC",        IDC_STATIC,        Icon,         ":/res/sonatag-32.png", kNoStyle,                19,  11,  20,  20},
    {"IDC_PRODUCT_NAME",  IDC_PRODUCT_NAME,  Static,       "Sonatag",            kCentre,                   40,  12,  99,  11},
    {"IDC_STATIC",        IDC_STATIC,        Static,       "Sonatag 开发组",     kNoStyle,                  59,  26,  49,  8},
    {"IDOK",              IDOK,              PushButton,   "确定",               kDefaultButton,            61,  105, 32,  13},
    {"IDC_STATIC",        IDC_STATIC,        Static,
     "本程序改写所选 MP3 文件末尾的 ID3v1 标签，只在您要求时改写开头的 ID3v2 标签，从不改动音频数据。修改前请备份重要文件。",
                                                                                  kNoStyle,                  18,  52,  118, 43},
    {"IDC_STATIC",        IDC_STATIC,        GroupBox,     "警告",               kNoStyle,                  14,  40,  126, 61},
    {"IDC_STATIC",        IDC_STATIC,        Static,       "V1.0",               kNoStyle,                  118, 23,  19,  9},
};

constexpr MenuItemTemplate kListMenuItems[] = {
    {"ID_LIST_REMOVE_CURRENT", ID_LIST_REMOVE_CURRENT, "移除当前文件"},
    {"ID_LIST_SELECT_ALL",     ID_LIST_SELECT_ALL,     "选中全部文件"},
    {"ID_LIST_PLAY_CURRENT",   ID_LIST_PLAY_CURRENT,   "播放当前音乐"},
    {"SEPARATOR",              0,                      ""},
    {"ID_LIST_UNDO",           ID_LIST_UNDO,           "撤销上次修改",        "Ctrl+Z"},
    {"ID_LIST_MIRROR_ID3V2",   ID_LIST_MIRROR_ID3V2,   "同时写入 ID3v2 标签", "Ctrl+M"},
    {"ID_LIST_REPAIR_ID3V2",   ID_LIST_REPAIR_ID3V2,   "修复 ID3v2 乱码",     "Ctrl+R"},
};

// clang-format on

}  // namespace

const DialogTemplate kMainDialog = {IDD_MAIN_DIALOG, "Sonatag", 319, 244, true, kMainControls};
const DialogTemplate kAboutDialog = {IDD_ABOUTBOX, "关于", 155, 123, false, kAboutControls};
const MenuTemplate kListMenu = {IDR_LIST_MENU, "Menu", kListMenuItems};
