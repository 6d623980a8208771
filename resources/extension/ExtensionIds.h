#pragma once
// Resource and control ids of the QuilletExt module.

#include <cstdint>

// Strings.
inline constexpr std::uint32_t IDS_QUILLET = 8;  // "Quillet", the caption of most message boxes
inline constexpr std::uint32_t IDS_SHOW_COLUMNS = 400;  // header menu: "列の表示..."
inline constexpr std::uint32_t IDS_HIDE_COLUMN = 401;   // header menu: "この列を非表示"

// Dialog templates.
inline constexpr std::uint32_t IDD_MAIN_VIEW = 201;     // the main view, a child dialog
inline constexpr std::uint32_t IDD_SHOW_COLUMNS = 203;  // "列の表示"
inline constexpr std::uint32_t IDD_PASSWORD = 210;      // "パスワード入力"

// Controls of the main view.
inline constexpr int IDC_CATEGORY_COMBO = 201;
inline constexpr int IDC_NEW_MEMO = 202;
inline constexpr int IDC_EDIT_MEMO = 203;
inline constexpr int IDC_MEMO_LIST = 204;
inline constexpr int IDC_PREVIEW = 205;
inline constexpr int IDC_SORT_COMBO = 207;
inline constexpr int IDC_TAB_STRIP = 211;  // made at run time, not in the template

// Controls of the column dialog.
inline constexpr int IDC_COLUMN_LIST = 204;
inline constexpr int IDC_COLUMN_UP = 208;
inline constexpr int IDC_COLUMN_DOWN = 209;

// Controls of the password prompt.
inline constexpr int IDC_PASSWORD_USER = 212;
inline constexpr int IDC_PASSWORD_EDIT = 213;
inline constexpr int IDC_PASSWORD_HINT = 214;

// Bitmaps: the memo list's images.
inline constexpr std::uint32_t IDB_LARGE_IMAGES = 207;  // 32-pixel images, magenta mask
inline constexpr std::uint32_t IDB_SMALL_IMAGES = 208;  // 16-pixel images, magenta mask

// Cursors.
inline constexpr std::uint32_t IDCUR_SPLIT_SIDE = 202;  // over a side-by-side splitter bar
inline constexpr std::uint32_t IDCUR_LINK = 204;        // over the maker link

// Commands of the list header's menu.
inline constexpr int ID_SHOW_COLUMNS = 400;
inline constexpr int ID_HIDE_COLUMN = 401;
