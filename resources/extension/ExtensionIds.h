#pragma once
// Resource and control ids of the QuilletExt module.

#include <cstdint>

// Strings.
inline constexpr std::uint32_t IDS_QUILLETEXT = 1;          // "QuilletExt Control", the control's type name
inline constexpr std::uint32_t IDS_QUILLETEXT_PPG = 2;      // "QuilletExt Property Page", the page's caption
inline constexpr std::uint32_t IDS_NEW_CATEGORY = 3;        // "新規カテゴリー" (title, caption)
inline constexpr std::uint32_t IDS_SELECT_TO_DELETE = 4;    // delete without a selected category
inline constexpr std::uint32_t IDS_SELECT_TO_RENAME = 5;    // rename without a selected category
inline constexpr std::uint32_t IDS_ENTER_CATEGORY_NAME = 6; // empty name in the name prompt
inline constexpr std::uint32_t IDS_RENAME_CATEGORY = 7;     // "カテゴリー名の変更" (title, caption)
inline constexpr std::uint32_t IDS_QUILLET = 8;  // "Quillet", the caption of most message boxes
inline constexpr std::uint32_t IDS_TOO_MANY_CATEGORIES = 9;  // "... 最大 15 種類 ..."
inline constexpr std::uint32_t IDS_CATEGORY_EXISTS = 10;     // "カテゴリ「%s」は既に存在します。"
inline constexpr std::uint32_t IDS_DUPLICATE_CATEGORY = 11;  // "カテゴリの重複"
inline constexpr std::uint32_t IDS_MERGE_CATEGORIES = 12;    // rename onto another category: three %s
inline constexpr std::uint32_t IDS_ENTER_MEMO = 13;          // "メモを入力してください。"
inline constexpr std::uint32_t IDS_CHANGE_CATEGORY = 14;     // "カテゴリの変更" (context sub-menu)
inline constexpr std::uint32_t IDS_DELETE_MEMOS = 15;        // "選択したメモを削除しますか？"
inline constexpr std::uint32_t IDS_DELETE_MEMOS_CAPTION = 16;  // "メモの削除"
// Text a user typed or pasted holds characters the ANSI code page cannot
// store: "%s" is filled with them.
inline constexpr std::uint32_t IDS_UNSTORABLE_CHARACTERS = 900;
// The HotSync is refused while an editing dialog is open.
inline constexpr std::uint32_t IDS_EDITING_NO_HOTSYNC = 901;
// The organizer asked for a save and the memo file was not written: another
// program holds it, changed it since it was read, or it cannot be written.
inline constexpr std::uint32_t IDS_SAVE_FILE_BUSY = 902;
inline constexpr std::uint32_t IDS_SAVE_FILE_CHANGED = 903;
inline constexpr std::uint32_t IDS_SAVE_FAILED = 904;
// Loading again would drop changes that could not be saved: asks first.
inline constexpr std::uint32_t IDS_DISCARD_UNSAVED = 905;
inline constexpr std::uint32_t IDS_SHOW_COLUMNS = 400;  // header menu: "列の表示..."
inline constexpr std::uint32_t IDS_HIDE_COLUMN = 401;   // header menu: "この列を非表示"

// Dialog templates.
inline constexpr std::uint32_t IDD_PROPPAGE_QUILLETEXT = 200;  // the control's property page, a child
inline constexpr std::uint32_t IDD_MAIN_VIEW = 201;     // the main view, a child dialog
inline constexpr std::uint32_t IDD_SHOW_COLUMNS = 203;  // "列の表示"
inline constexpr std::uint32_t IDD_PASSWORD = 210;      // "パスワード入力"
inline constexpr std::uint32_t IDD_EDIT_CATEGORIES = 211;  // "カテゴリの編集"
inline constexpr std::uint32_t IDD_CATEGORY_NAME = 212;    // the category name prompt
inline constexpr std::uint32_t IDD_DELETE_CATEGORY = 213;  // "カテゴリの削除"
inline constexpr std::uint32_t IDD_EDIT_MEMO = 214;        // "メモの編集"

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

// Controls of the category editor.
inline constexpr int IDC_CATEGORY_LIST = 204;
inline constexpr int IDC_CATEGORY_NEW = 202;
inline constexpr int IDC_CATEGORY_DELETE = 203;
inline constexpr int IDC_CATEGORY_RENAME = 205;
// Control of the name prompt.
inline constexpr int IDC_CATEGORY_NAME = 217;
// Controls of the delete choice.
inline constexpr int IDC_MOVE_TO_UNFILED = 218;
inline constexpr int IDC_DELETE_MEMOS = 203;
// Controls of the memo editor.
inline constexpr int IDC_MEMO_EDIT = 205;
inline constexpr int IDC_MEMO_FRAME = 211;
inline constexpr int IDC_MEMO_NEW = 202;
inline constexpr int IDC_MEMO_CATEGORY = 201;
inline constexpr int IDC_MEMO_CATEGORY_LABEL = 206;  // "カテゴリ(&C)："

// Menus and accelerators.
inline constexpr std::uint32_t IDR_VIEW_MENUS = 216;       // the view's context menus
inline constexpr std::uint32_t IDR_EDIT_ACCELERATORS = 220;  // the memo editor's shortcuts

// Icons.
inline constexpr std::uint32_t IDI_MEMO_EDITOR = 215;  // the memo editor's large icon

// Bitmaps: the memo list's images.
inline constexpr std::uint32_t IDB_LARGE_IMAGES = 207;  // 32-pixel images, magenta mask
inline constexpr std::uint32_t IDB_SMALL_IMAGES = 208;  // 16-pixel images, magenta mask

// Cursors.
inline constexpr std::uint32_t IDCUR_SPLIT_SIDE = 202;  // over a side-by-side splitter bar
inline constexpr std::uint32_t IDCUR_LINK = 204;        // over the maker link

// Commands of the list header's menu.
inline constexpr int ID_SHOW_COLUMNS = 400;
inline constexpr int ID_HIDE_COLUMN = 401;

// Commands of the view.
inline constexpr int ID_DELETE_MEMOS = 14;
inline constexpr int ID_NEW_MEMO = 15;
inline constexpr int ID_EDIT_MEMO = 16;
inline constexpr int ID_CATEGORY_FIRST = 20;  // 20 + category index: change category
inline constexpr int ID_CATEGORY_LAST = 35;
// The standard editing commands.
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_SELECT_ALL = 57642;
inline constexpr int ID_EDIT_UNDO = 57643;
