// The organizer's list of extensions and the manager and entry objects over
// it, called through their method tables as an extension calls them.

#include <gtest/gtest.h>

#include "extension/HostInterfaces.h"
#include "hosts/organizer/ExtensionList.h"
#include "hosts/organizer/ExtensionManager.h"
#include "hosts/manager/ConfigHome.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"

namespace {

ExtensionRecord Record(const std::string& name, LONG creator) {
  ExtensionRecord record;
  record.name = name;
  record.creator = creator;
  record.helpPage = "/opt/help.html";
  record.largeBitmap = "/opt/large.bmp";
  record.menuCaption = "&Memo";
  record.displayName = "メモ";
  record.combinedName = "Memo Pad";
  record.dataFileName = "memo.mpa";
  record.smallBitmap = "/opt/small.bmp";
  record.finalFlag = -1;
  record.controlClass = "{0F0F0F0F-1111-2222-3333-444455556666}";
  return record;
}

void ExpectSame(const ExtensionRecord& a, const ExtensionRecord& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.creator, b.creator);
  EXPECT_EQ(a.helpPage, b.helpPage);
  EXPECT_EQ(a.largeBitmap, b.largeBitmap);
  EXPECT_EQ(a.menuCaption, b.menuCaption);
  EXPECT_EQ(a.displayName, b.displayName);
  EXPECT_EQ(a.combinedName, b.combinedName);
  EXPECT_EQ(a.dataFileName, b.dataFileName);
  EXPECT_EQ(a.smallBitmap, b.smallBitmap);
  EXPECT_EQ(a.finalFlag, b.finalFlag);
  EXPECT_EQ(a.controlClass, b.controlClass);
}

TEST(ExtensionListTest, WritesReadsReplacesAndRemovesByNameWithoutCase) {
  CConfigHome home;
  CExtensionList list(home.RegistryFile());
  EXPECT_TRUE(list.Read().empty());

  ASSERT_EQ(list.Write(Record("Zeta", 2)), S_OK);
  ASSERT_EQ(list.Write(Record("Alpha", 1)), S_OK);
  std::vector<ExtensionRecord> all = list.Read();
  ASSERT_EQ(all.size(), 2u);
  ExpectSame(all[0], Record("Alpha", 1));
  ExpectSame(all[1], Record("Zeta", 2));

  // Same name in other case: one entry, new spelling, no leftover fields.
  ExtensionRecord bare;
  bare.name = "ALPHA";
  bare.creator = 9;
  ASSERT_EQ(list.Write(bare), S_OK);
  ExtensionRecord found;
  ASSERT_TRUE(list.Find("alpha", found));
  ExpectSame(found, bare);
  EXPECT_EQ(list.Read().size(), 2u);

  EXPECT_EQ(list.Remove("zeta"), S_OK);
  EXPECT_EQ(list.Remove("Zeta"), S_FALSE);
  EXPECT_FALSE(list.Find("Zeta", found));
  ASSERT_EQ(list.Read().size(), 1u);

  // A name that cannot be one key is refused, not written further down.
  for (const char* bad : {"", "a\\b", "a\nb"}) EXPECT_EQ(list.Write(Record(bad, 1)), E_INVALIDARG) << bad;
  EXPECT_EQ(list.Read().size(), 1u);
}

class ExtensionManagerTest : public ::testing::Test {
 protected:
  ExtensionRecord Stored(const std::string& name) {
    ExtensionRecord record;
    EXPECT_TRUE(CExtensionList(home.RegistryFile()).Find(name, record)) << name;
    return record;
  }

  CConfigHome home;
  CComPtr<IHostExtensionManager> manager =
      CComPtr<IHostExtensionManager>::Attach(new CExtensionManager(home.RegistryFile()));
};

TEST_F(ExtensionManagerTest, AddingAgainReplacesAndFindingAbsentGivesNull) {
  CComPtr<IHostExtensionEntry> entry;
  ASSERT_EQ(manager->AddExtension(CBstr::FromUtf8("Quillet").Get(), 1, CBstr::FromUtf8("a.html").Get(),
                                  CBstr::FromUtf8("a.bmp").Get(), entry.Out()),
            S_OK);
  ASSERT_TRUE(entry);
  ASSERT_EQ(entry->SetDisplayName(CBstr::FromUtf8("old").Get()), S_OK);
  ASSERT_EQ(manager->AddExtension(CBstr::FromUtf8("QUILLET").Get(), 2, CBstr::FromUtf8("b.html").Get(),
                                  nullptr, entry.Out()),
            S_OK);
  ExtensionRecord record = Stored("quillet");
  EXPECT_EQ(record.creator, 2);
  EXPECT_EQ(record.helpPage, "b.html");
  EXPECT_EQ(record.largeBitmap, "");
  EXPECT_EQ(record.displayName, "");
  // Called from this program, which serves no control class.
  EXPECT_EQ(record.controlClass, "");
  EXPECT_EQ(CExtensionList(home.RegistryFile()).Read().size(), 1u);

  CComPtr<IHostExtensionEntry> found;
  ASSERT_EQ(manager->FindExtension(CBstr::FromUtf8("quillet").Get(), found.Out()), S_OK);
  EXPECT_TRUE(found);
  ASSERT_EQ(manager->FindExtension(CBstr::FromUtf8("Other").Get(), found.Out()), S_OK);
  EXPECT_FALSE(found);

  EXPECT_EQ(manager->AddExtension(nullptr, 1, nullptr, nullptr, entry.Out()), E_INVALIDARG);
  EXPECT_FALSE(entry);
  EXPECT_EQ(manager->Reserved10(), E_NOTIMPL);
}

TEST_F(ExtensionManagerTest, EntrySettersLandInTheListUntilRemoved) {
  CComPtr<IHostExtensionEntry> entry;
  ASSERT_EQ(manager->AddExtension(CBstr::FromUtf8("Quillet").Get(), 5, nullptr, nullptr, entry.Out()), S_OK);
  // A lone surrogate is kept visible and the text after it stays.
  CBstr broken(std::u16string(u"A\xD800") + u"B");
  EXPECT_EQ(entry->SetMenuCaption(CBstr::FromUtf8("&Quillet").Get()), S_OK);
  EXPECT_EQ(entry->SetDisplayName(broken.Get()), S_OK);
  EXPECT_EQ(entry->SetDataFileName(CBstr::FromUtf8("quillet.mpa").Get()), S_OK);
  EXPECT_EQ(entry->SetCombinedName(CBstr::FromUtf8("メモ帳").Get()), S_OK);
  EXPECT_EQ(entry->SetSmallBitmap(CBstr::FromUtf8("/s.bmp").Get()), S_OK);
  EXPECT_EQ(entry->SetFinal(1), S_OK);
  EXPECT_EQ(entry->Reserved11(), E_NOTIMPL);

  ExtensionRecord record = Stored("Quillet");
  EXPECT_EQ(record.creator, 5);
  EXPECT_EQ(record.menuCaption, "&Quillet");
  EXPECT_EQ(record.displayName, "A\xEF\xBF\xBD" "B");
  EXPECT_EQ(record.dataFileName, "quillet.mpa");
  EXPECT_EQ(record.combinedName, "メモ帳");
  EXPECT_EQ(record.smallBitmap, "/s.bmp");
  EXPECT_EQ(record.finalFlag, 1);

  // An entry found later is the same entry.
  CComPtr<IHostExtensionEntry> found;
  ASSERT_EQ(manager->FindExtension(CBstr::FromUtf8("QUILLET").Get(), found.Out()), S_OK);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Remove(), S_OK);
  EXPECT_TRUE(CExtensionList(home.RegistryFile()).Read().empty());
  // A late setter does not bring the entry back.
  EXPECT_EQ(entry->SetFinal(0), E_UNEXPECTED);
  EXPECT_EQ(entry->Remove(), S_FALSE);
  EXPECT_TRUE(CExtensionList(home.RegistryFile()).Read().empty());
}

TEST(HostManagerRegistrationTest, RegistersWhenMissingOrItsLibraryIsGone) {
  CConfigHome home;
  const std::string key = "HKEY_CLASSES_ROOT\\CLSID\\{BE44897A-EB38-11D5-823F-00C04FA03755}\\InprocServer32";
  auto server = [&] {
    CRegistry registry(home.RegistryFile());
    std::string value;
    registry.Load();
    registry.GetString(key, "", value);
    return value;
  };
  const std::string gone = home.Path() + "/gone/libQuilletHostManager.so";
  const std::string present = QUILLET_HOST_MANAGER_LIBRARY;

  EXPECT_EQ(EnsureHostManagerRegistered(gone), S_OK);
  EXPECT_EQ(server(), gone);
  EXPECT_EQ(EnsureHostManagerRegistered(present), S_OK);  // the registered one is missing
  EXPECT_EQ(server(), present);
  EXPECT_EQ(EnsureHostManagerRegistered(gone), S_FALSE);
  EXPECT_EQ(server(), present);

  EXPECT_EQ(UnregisterHostManager(), S_OK);
  EXPECT_EQ(server(), "");
  EXPECT_EQ(UnregisterHostManager(), S_OK);
}

}  // namespace
