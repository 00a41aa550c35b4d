#pragma once

// Ids, notification codes and message-box flags shared by every dialog.

// Standard command ids; IDYES and IDNO are also answers of MessageBox.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
// Controls that nothing refers to.
inline constexpr int IDC_STATIC = -1;

// Notification codes of the message map. A menu command arrives as BN_CLICKED.
inline constexpr int BN_CLICKED = 0;
inline constexpr int LBN_SELCHANGE = 1;
inline constexpr int LBN_DBLCLK = 2;

// Message-box types: one button set, one icon, and options.
inline constexpr unsigned int MB_OK = 0x0;
inline constexpr unsigned int MB_YESNO = 0x4;
inline constexpr unsigned int MB_ICONERROR = 0x10;
inline constexpr unsigned int MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned int MB_ICONINFORMATION = 0x40;
inline constexpr unsigned int MB_TOPMOST = 0x40000;
