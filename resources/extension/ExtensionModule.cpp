// The QuilletExt module's string table and dialog templates.  The texts are
// written here in UTF-8 and converted once, when the module is registered, to
// the ANSI code page in which every text of the extension is handled.

#include "resources/extension/ExtensionModule.h"

#include <deque>
#include <iterator>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/resources/ResourceAccelerators.h"
#include "platform/resources/ResourceDialogs.h"
#include "platform/resources/ResourceMenus.h"
#include "platform/text/CodePage.h"

namespace {

constexpr std::uint32_t TAB = DLG_STYLE_TABSTOP;
constexpr std::uint32_t GROUP = DLG_STYLE_GROUP;

struct Text {
  std::uint32_t id;
  const char* utf8;
};

const Text kStrings[] = {
    {IDS_QUILLETEXT, "QuilletExt Control"},
    {IDS_QUILLETEXT_PPG, "QuilletExt Property Page"},
    {IDS_NEW_CATEGORY, "新規カテゴリー"},
    {IDS_SELECT_TO_DELETE, "削除する前にカテゴリーを選択してください。"},
    {IDS_SELECT_TO_RENAME, "名前を変更する前にカテゴリーを選択してください。"},
    {IDS_ENTER_CATEGORY_NAME, "カテゴリー名を入力してください。"},
    {IDS_RENAME_CATEGORY, "カテゴリー名の変更"},
    {IDS_QUILLET, "Quillet"},
    {IDS_TOO_MANY_CATEGORIES, "カテゴリーは最大 15 種類まで設定できます。"},
    {IDS_CATEGORY_EXISTS, "カテゴリ「%s」は既に存在します。"},
    {IDS_DUPLICATE_CATEGORY, "カテゴリの重複"},
    {IDS_MERGE_CATEGORIES,
     "カテゴリ「%s」が既に存在するため、「%s」の全てのレコードが「%s」に追加されます。よろしいですか？"},
    {IDS_ENTER_MEMO, "メモを入力してください。"},
    {IDS_CHANGE_CATEGORY, "カテゴリの変更"},
    {IDS_DELETE_MEMOS, "選択したメモを削除しますか？"},
    {IDS_DELETE_MEMOS_CAPTION, "メモの削除"},
    {IDS_UNSTORABLE_CHARACTERS,
     "次の文字はメモに保存できません。取り除くか、別の文字に置き換えてください：\n%s"},
    {IDS_EDITING_NO_HOTSYNC,
     "データ編集中は HotSync 機能を実行できません。ダイアログを閉じて、HotSync ボタンをもう一度押してください。"},
    {IDS_SAVE_FILE_BUSY,
     "メモを保存できませんでした。ほかのプログラム (HotSync など) がメモファイルを使用しています。しばらくしてからもう一度保存してください。"},
    {IDS_SAVE_FILE_CHANGED,
     "メモを保存できませんでした。読み込んだ後に、ほかのプログラム (HotSync など) がメモファイルを変更しています。"},
    {IDS_SAVE_FAILED, "メモを保存できませんでした。メモファイルに書き込めません。"},
    {IDS_DISCARD_UNSAVED,
     "保存できなかった変更があります。変更を破棄してメモを読み込み直しますか？\n「いいえ」を選ぶと、変更は画面に残ります。"},
    {IDS_SHOW_COLUMNS, "列の表示..."},
    {IDS_HIDE_COLUMN, "この列を非表示"},
};

// The control's property page: a note, no settings.
const DialogItem kPropPageItems[] = {
    {DLG_ID_STATIC, DLG_ITEM_LABEL,
     "TODO: このダイアログの QuilletExt Control のプロパティを処理するコントロールを配置します。", 7, 25,
     236, 16, 0},
};

const DialogItem kMainViewItems[] = {
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "カテゴリ：", 9, 12, 28, 8, 0},
    {IDC_CATEGORY_COMBO, DLG_ITEM_COMBOBOX, "", 36, 10, 80, 153, DLG_STYLE_SORT | DLG_STYLE_VSCROLL | TAB},
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "並び順：", 125, 12, 28, 8, 0},
    {IDC_SORT_COMBO, DLG_ITEM_COMBOBOX, "", 152, 10, 80, 153, DLG_STYLE_SORT | DLG_STYLE_VSCROLL | TAB},
    {IDC_MEMO_LIST, DLG_ITEM_LISTVIEW, "", 9, 30, 124, 133,
     DLG_STYLE_LIST_REPORT | DLG_STYLE_LIST_SHOWSELALWAYS | DLG_STYLE_LIST_AUTOARRANGE |
         DLG_STYLE_BORDER | TAB},
    {IDC_NEW_MEMO, DLG_ITEM_PUSHBUTTON, "新規メモ(&N)", 9, 169, 50, 14, TAB},
    {IDC_EDIT_MEMO, DLG_ITEM_PUSHBUTTON, "メモの編集(&E)", 67, 169, 50, 14, DLG_STYLE_DISABLED | TAB},
    {IDC_PREVIEW, DLG_ITEM_EDIT, "", 139, 30, 115, 133,
     DLG_STYLE_MULTILINE | DLG_STYLE_READONLY | DLG_STYLE_VSCROLL | DLG_STYLE_BORDER | TAB},
};

const DialogItem kShowColumnsItems[] = {
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "表示させたい列を選択してください。(&S)", 7, 7, 120, 8, 0},
    {IDC_COLUMN_LIST, DLG_ITEM_LISTVIEW, "", 7, 21, 133, 78,
     DLG_STYLE_LIST_REPORT | DLG_STYLE_LIST_SINGLESEL | DLG_STYLE_LIST_SHOWSELALWAYS |
         DLG_STYLE_LIST_NOHEADER | DLG_STYLE_BORDER | TAB},
    {IDC_COLUMN_UP, DLG_ITEM_PUSHBUTTON, "上へ(&U)", 150, 22, 50, 14, TAB},
    {IDC_COLUMN_DOWN, DLG_ITEM_PUSHBUTTON, "下へ(&D)", 150, 41, 50, 14, TAB},
    {1, DLG_ITEM_DEFPUSHBUTTON, "OK", 91, 105, 50, 14, GROUP | TAB},
    {2, DLG_ITEM_PUSHBUTTON, "キャンセル", 150, 105, 50, 14, TAB},
};

// The prompt's controls from top to bottom: the explanation in a frame, the
// user name, the password, the hint, then the two buttons.
const DialogItem kPasswordItems[] = {
    {DLG_ID_STATIC, DLG_ITEM_GROUPBOX, "", 7, 4, 206, 36, 0},
    {DLG_ID_STATIC, DLG_ITEM_LABEL,
     "ユーザの登録内容が暗号化されています。暗号を解除するためのパスワードを入力してください。",
     13, 12, 194, 24, 0},
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "ユーザ名：", 9, 50, 46, 8, 0},
    {IDC_PASSWORD_USER, DLG_ITEM_EDIT, "", 58, 48, 155, 12, DLG_STYLE_READONLY},
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "パスワード：", 9, 67, 46, 8, 0},
    {IDC_PASSWORD_EDIT, DLG_ITEM_EDIT, "", 58, 65, 155, 12, DLG_STYLE_PASSWORD | TAB},
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "ヒント：", 9, 84, 46, 8, 0},
    {IDC_PASSWORD_HINT, DLG_ITEM_EDIT, "", 58, 82, 155, 34,
     DLG_STYLE_MULTILINE | DLG_STYLE_READONLY | DLG_STYLE_VSCROLL},
    {1, DLG_ITEM_DEFPUSHBUTTON, "OK", 107, 124, 50, 14, GROUP | TAB},
    {2, DLG_ITEM_PUSHBUTTON, "キャンセル", 163, 124, 50, 14, TAB},
};

// The category editor: the categories in a list, the actions beside it.
const DialogItem kEditCategoriesItems[] = {
    {IDC_CATEGORY_LIST, DLG_ITEM_LISTBOX, "", 7, 7, 116, 106,
     DLG_STYLE_SORT | DLG_STYLE_VSCROLL | DLG_STYLE_BORDER | TAB},
    {1, DLG_ITEM_DEFPUSHBUTTON, "OK", 130, 7, 62, 14, GROUP | TAB},
    {IDC_CATEGORY_NEW, DLG_ITEM_PUSHBUTTON, "新規(&N)...", 130, 29, 62, 14, TAB},
    {IDC_CATEGORY_DELETE, DLG_ITEM_PUSHBUTTON, "削除(&D)...", 130, 47, 62, 14, TAB},
    {IDC_CATEGORY_RENAME, DLG_ITEM_PUSHBUTTON, "名前の変更(&E)...", 130, 65, 62, 14, TAB},
};

const DialogItem kCategoryNameItems[] = {
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "新規カテゴリー名(&E)：", 7, 9, 120, 8, 0},
    {IDC_CATEGORY_NAME, DLG_ITEM_EDIT, "", 7, 20, 176, 12, TAB},
    {1, DLG_ITEM_DEFPUSHBUTTON, "OK", 77, 41, 50, 14, GROUP | TAB},
    {2, DLG_ITEM_PUSHBUTTON, "キャンセル", 133, 41, 50, 14, TAB},
};

const DialogItem kDeleteCategoryItems[] = {
    {IDC_MOVE_TO_UNFILED, DLG_ITEM_AUTORADIOBUTTON, "データを [未分類] に移動(&M)", 12, 10, 160, 10,
     GROUP | TAB},
    {IDC_DELETE_MEMOS, DLG_ITEM_AUTORADIOBUTTON, "すべてのデータを削除(&D)", 12, 25, 160, 10, 0},
    {1, DLG_ITEM_DEFPUSHBUTTON, "OK", 67, 46, 50, 14, GROUP | TAB},
    {2, DLG_ITEM_PUSHBUTTON, "キャンセル", 123, 46, 50, 14, TAB},
};

// The memo editor: the memo in a frame, the buttons on the right, the
// category below them.
const DialogItem kEditMemoItems[] = {
    {IDC_MEMO_FRAME, DLG_ITEM_GROUPBOX, "", 7, 4, 182, 152, 0},
    {IDC_MEMO_EDIT, DLG_ITEM_EDIT, "", 12, 12, 172, 139,
     DLG_STYLE_MULTILINE | DLG_STYLE_VSCROLL | DLG_STYLE_BORDER | TAB},
    {1, DLG_ITEM_DEFPUSHBUTTON, "OK", 196, 7, 60, 14, GROUP | TAB},
    {2, DLG_ITEM_PUSHBUTTON, "キャンセル", 196, 25, 60, 14, TAB},
    {IDC_MEMO_NEW, DLG_ITEM_PUSHBUTTON, "新規(&N)", 196, 43, 60, 14, DLG_STYLE_DISABLED | TAB},
    {IDC_MEMO_CATEGORY_LABEL, DLG_ITEM_LABEL, "カテゴリ(&C)：", 196, 118, 60, 8, 0},
    {IDC_MEMO_CATEGORY, DLG_ITEM_COMBOBOX, "", 196, 129, 60, 100,
     DLG_STYLE_SORT | DLG_STYLE_VSCROLL | TAB},
};

struct Dialog {
  std::uint32_t id;
  const char* caption;
  std::int16_t width, height;
  const DialogItem* items;
  std::size_t count;
  std::uint32_t style;
};

const Dialog kDialogs[] = {
    {IDD_PROPPAGE_QUILLETEXT, "", 250, 62, kPropPageItems, std::size(kPropPageItems),
     DLG_TEMPLATE_CHILD},
    {IDD_MAIN_VIEW, "", 264, 209, kMainViewItems, std::size(kMainViewItems), DLG_TEMPLATE_CHILD},
    {IDD_SHOW_COLUMNS, "列の表示", 207, 126, kShowColumnsItems, std::size(kShowColumnsItems), 0},
    {IDD_PASSWORD, "パスワード入力", 220, 145, kPasswordItems, std::size(kPasswordItems), 0},
    {IDD_EDIT_CATEGORIES, "カテゴリの編集", 199, 120, kEditCategoriesItems,
     std::size(kEditCategoriesItems), 0},
    {IDD_CATEGORY_NAME, "", 190, 62, kCategoryNameItems, std::size(kCategoryNameItems), 0},
    {IDD_DELETE_CATEGORY, "カテゴリの削除", 180, 67, kDeleteCategoryItems,
     std::size(kDeleteCategoryItems), 0},
    {IDD_EDIT_MEMO, "メモの編集", 263, 160, kEditMemoItems, std::size(kEditMemoItems),
     DLG_TEMPLATE_RESIZABLE},
};

// The view's context menus: with rows under the pointer, and without.  The
// menu resource has room for two more popups that the view never shows.
const MenuItem kViewMenuItems[] = {
    {0, "リスト項目あり", MENU_POPUP},
    {ID_EDIT_CUT, "切り取り(&T)", 0},
    {ID_EDIT_COPY, "コピー(&C)", 0},
    {ID_EDIT_PASTE, "貼り付け(&P)", 0},
    {ID_DELETE_MEMOS, "削除(&D)", 0},
    {0, nullptr, MENU_SEPARATOR},
    {ID_EDIT_SELECT_ALL, "すべて選択(&A)", 0},
    {0, nullptr, MENU_SEPARATOR},
    {ID_NEW_MEMO, "新規メモ(&N)...", 0},
    {ID_EDIT_MEMO, "メモの編集(&I)...", 0},
    {0, nullptr, MENU_END},
    {0, "リスト項目なし", MENU_POPUP},
    {ID_EDIT_SELECT_ALL, "すべて選択(&A)", 0},
    {ID_NEW_MEMO, "新規メモ(&N)...", 0},
    {ID_EDIT_PASTE, "貼り付け(&P)", 0},
    {0, nullptr, MENU_END},
};

// The memo editor's shortcuts: each sends its editing command to the memo.
const Accelerator kEditAccelerators[] = {
    {ACCEL_CONTROL, 'C', ID_EDIT_COPY},       {ACCEL_CONTROL, 'X', ID_EDIT_CUT},
    {ACCEL_CONTROL, 'V', ID_EDIT_PASTE},      {ACCEL_CONTROL, 'Z', ID_EDIT_UNDO},
    {ACCEL_CONTROL, 'A', ID_EDIT_SELECT_ALL},
};
const AcceleratorTable kEditAcceleratorTable = {kEditAccelerators, std::size(kEditAccelerators)};
const ResourceAccelerators kAccelerators[] = {{IDR_EDIT_ACCELERATORS, &kEditAcceleratorTable}};

// The converted texts and templates; they live as long as the process, as
// the resource tables require.
struct Converted {
  std::deque<std::string> texts;
  std::deque<std::vector<DialogItem>> items;
  std::deque<DialogTemplate> templates;
  std::deque<std::vector<MenuItem>> menuItems;
  std::deque<MenuTemplate> menus;

  const char* Ansi(const char* utf8) {
    texts.push_back(AnsiText(utf8));
    return texts.back().c_str();
  }
};

ResourceInstance Register() {
  ResourceInstance module = ResourceRegisterModule(EXTENSION_MODULE_NAME);
  if (module == nullptr) return nullptr;
  static Converted converted;
  std::vector<ResourceString> strings;
  for (const Text& text : kStrings) strings.push_back({text.id, converted.Ansi(text.utf8)});
  std::vector<ResourceDialog> dialogs;
  for (const Dialog& dialog : kDialogs) {
    std::vector<DialogItem> items(dialog.items, dialog.items + dialog.count);
    for (DialogItem& item : items) item.text = converted.Ansi(item.text);
    converted.items.push_back(std::move(items));
    converted.templates.push_back({converted.Ansi(dialog.caption), "MS UI Gothic", 10,
                                   dialog.width, dialog.height, converted.items.back().data(),
                                   converted.items.back().size(), dialog.style});
    dialogs.push_back({dialog.id, &converted.templates.back()});
  }
  std::vector<MenuItem> menuItems(std::begin(kViewMenuItems), std::end(kViewMenuItems));
  for (MenuItem& item : menuItems) {
    if (item.text != nullptr) item.text = converted.Ansi(item.text);
  }
  converted.menuItems.push_back(std::move(menuItems));
  converted.menus.push_back({converted.menuItems.back().data(), converted.menuItems.back().size()});
  const ResourceMenu menus[] = {{IDR_VIEW_MENUS, &converted.menus.back()}};
  if (ResourceAddStrings(module, strings.data(), strings.size()) < 0 ||
      ResourceAddMenus(module, menus, std::size(menus)) < 0 ||
      ResourceAddAccelerators(module, kAccelerators, std::size(kAccelerators)) < 0 ||
      ResourceAddDialogs(module, dialogs.data(), dialogs.size()) < 0 ||
      !AddExtensionImages(module)) {
    return nullptr;
  }
  return module;
}

}  // namespace

ResourceInstance ExtensionResources() {
  // A registration that ran out of memory is tried again on the next call,
  // so that the extension does not stay without its texts and dialogs.
  static std::mutex mutex;
  static ResourceInstance module = nullptr;
  std::lock_guard<std::mutex> lock(mutex);
  if (module == nullptr) {
    try {
      module = Register();
    } catch (const std::bad_alloc&) {
      module = nullptr;
    }
  }
  return module;
}

std::string AnsiText(std::string_view utf8) {
  std::string ansi;
  if (!Utf8ToAnsi(utf8, ansi)) return std::string(utf8);
  return ansi;
}

CAppProfile ExtensionProfile() { return CAppProfile(EXTENSION_COMPANY, EXTENSION_MODULE_NAME); }
