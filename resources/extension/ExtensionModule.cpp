// The QuilletExt module's string table and dialog templates.  The texts are
// written here in UTF-8 and converted once, when the module is registered, to
// the ANSI code page in which every text of the extension is handled.

#include "resources/extension/ExtensionModule.h"

#include <deque>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "platform/resources/ResourceDialogs.h"
#include "platform/text/CodePage.h"

namespace {

constexpr std::uint32_t TAB = DLG_STYLE_TABSTOP;
constexpr std::uint32_t GROUP = DLG_STYLE_GROUP;

struct Text {
  std::uint32_t id;
  const char* utf8;
};

const Text kStrings[] = {
    {IDS_QUILLET, "Quillet"},
    {IDS_SHOW_COLUMNS, "列の表示..."},
    {IDS_HIDE_COLUMN, "この列を非表示"},
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

struct Dialog {
  std::uint32_t id;
  const char* caption;
  std::int16_t width, height;
  const DialogItem* items;
  std::size_t count;
  std::uint32_t style;
};

const Dialog kDialogs[] = {
    {IDD_MAIN_VIEW, "", 264, 209, kMainViewItems, std::size(kMainViewItems), DLG_TEMPLATE_CHILD},
    {IDD_SHOW_COLUMNS, "列の表示", 207, 126, kShowColumnsItems, std::size(kShowColumnsItems), 0},
    {IDD_PASSWORD, "パスワード入力", 220, 145, kPasswordItems, std::size(kPasswordItems), 0},
};

// The converted texts and templates; they live as long as the process, as
// the resource tables require.
struct Converted {
  std::deque<std::string> texts;
  std::deque<std::vector<DialogItem>> items;
  std::deque<DialogTemplate> templates;

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
  if (ResourceAddStrings(module, strings.data(), strings.size()) < 0 ||
      ResourceAddDialogs(module, dialogs.data(), dialogs.size()) < 0 ||
      !AddExtensionImages(module)) {
    return nullptr;
  }
  return module;
}

}  // namespace

ResourceInstance ExtensionResources() {
  static std::once_flag once;
  static ResourceInstance module = nullptr;
  std::call_once(once, [] { module = Register(); });
  return module;
}

std::string AnsiText(std::string_view utf8) {
  std::string ansi;
  if (!Utf8ToAnsi(utf8, ansi)) return std::string(utf8);
  return ansi;
}

CAppProfile ExtensionProfile() { return CAppProfile(EXTENSION_COMPANY, EXTENSION_MODULE_NAME); }
