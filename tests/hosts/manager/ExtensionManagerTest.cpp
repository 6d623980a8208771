// The organizer's list of extensions and the manager and entry objects over
// it, called through their method tables as an extension calls them.

#include <gtest/gtest.h>

#include <tuple>

#include "extension/HostInterfaces.h"
#include "hosts/manager/ConfigHome.h"
#include "hosts/organizer/ExtensionList.h"
#include "hosts/organizer/ExtensionManager.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"

namespace {

auto Fields(const ExtensionRecord& r) {
  return std::tie(r.name, r.creator, r.helpPage, r.largeBitmap, r.menuCaption, r.displayName, r.combinedName,
                  r.dataFileName, r.smallBitmap, r.finalFlag, r.controlClass);
}

ExtensionRecord Bare(std::string name, LONG creator = 0) {
  ExtensionRecord record;
  record.name = std::move(name);
  record.creator = creator;
  return record;
}

TEST(ExtensionListTest, WritesReadsReplacesAndRemovesByNameWithoutCase) {
  CConfigHome home;
  CExtensionList list(home.RegistryFile());
  const ExtensionRecord alpha{"Alpha", 1, "h", "l", "&M", "メモ", "c", "d.mpa", "s", -1, "{0F0F}"};
  const ExtensionRecord zeta = Bare("Zeta", 2);
  ASSERT_EQ(list.Write(zeta), S_OK);
  ASSERT_EQ(list.Write(alpha), S_OK);
  std::vector<ExtensionRecord> all = list.Read();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(Fields(all[0]), Fields(alpha));
  EXPECT_EQ(Fields(all[1]), Fields(zeta));

  // The same name in other case: one entry, the new spelling, no leftovers.
  const ExtensionRecord bare = Bare("ALPHA", 9);
  ASSERT_EQ(list.Write(bare), S_OK);
  ExtensionRecord found;
  ASSERT_TRUE(list.Find("alpha", found));
  EXPECT_EQ(Fields(found), Fields(bare));

  EXPECT_EQ(list.Remove("zeta"), S_OK);
  EXPECT_EQ(list.Remove("Zeta"), S_FALSE);
  // A name that cannot be one key is refused, not written further down.
  for (const char* bad : {"", "a\\b", "a\nb"}) EXPECT_EQ(list.Write(Bare(bad)), E_INVALIDARG) << bad;
  EXPECT_EQ(list.Read().size(), 1u);
}

TEST(ExtensionManagerTest, AddReplacesFindAndEntrySettersLandInTheListUntilRemoved) {
  CConfigHome home;
  CExtensionList list(home.RegistryFile());
  auto manager = CComPtr<IHostExtensionManager>::Attach(new CExtensionManager(home.RegistryFile()));
  CComPtr<IHostExtensionEntry> entry;
  ASSERT_EQ(manager->AddExtension(CBstr::FromUtf8("Quillet").Get(), 1, CBstr::FromUtf8("a.html").Get(),
                                  CBstr::FromUtf8("a.bmp").Get(), entry.Out()),
            S_OK);
  ASSERT_EQ(entry->SetDisplayName(CBstr::FromUtf8("old").Get()), S_OK);
  ASSERT_EQ(manager->AddExtension(CBstr::FromUtf8("QUILLET").Get(), 5, nullptr, nullptr, entry.Out()), S_OK);

  // A lone surrogate is kept visible and the text after it stays.
  CBstr broken(std::u16string(u"A\xD800") + u"B");
  EXPECT_EQ(entry->SetMenuCaption(CBstr::FromUtf8("&Quillet").Get()), S_OK);
  EXPECT_EQ(entry->SetDisplayName(broken.Get()), S_OK);
  EXPECT_EQ(entry->SetDataFileName(CBstr::FromUtf8("quillet.mpa").Get()), S_OK);
  EXPECT_EQ(entry->SetCombinedName(CBstr::FromUtf8("メモ帳").Get()), S_OK);
  EXPECT_EQ(entry->SetSmallBitmap(CBstr::FromUtf8("/s.bmp").Get()), S_OK);
  EXPECT_EQ(entry->SetFinal(1), S_OK);
  EXPECT_EQ(entry->Reserved11(), E_NOTIMPL);
  // Called from this program, which serves no control: no control class.
  const ExtensionRecord expected{"QUILLET", 5, "", "", "&Quillet", "A\xEF\xBF\xBD" "B", "メモ帳", "quillet.mpa",
                                 "/s.bmp", 1, ""};
  ASSERT_EQ(list.Read().size(), 1u);
  EXPECT_EQ(Fields(list.Read()[0]), Fields(expected));

  CComPtr<IHostExtensionEntry> found;
  ASSERT_EQ(manager->FindExtension(CBstr::FromUtf8("Other").Get(), found.Out()), S_OK);
  EXPECT_FALSE(found);
  ASSERT_EQ(manager->FindExtension(CBstr::FromUtf8("quillet").Get(), found.Out()), S_OK);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Remove(), S_OK);
  // A late setter does not bring the entry back.
  EXPECT_EQ(entry->SetFinal(0), E_UNEXPECTED);
  EXPECT_EQ(entry->Remove(), S_FALSE);
  EXPECT_TRUE(list.Read().empty());
}

TEST(HostManagerRegistrationTest, RegistersWhenMissingOrItsLibraryIsGone) {
  CConfigHome home;
  auto server = [&] {
    CRegistry registry(home.RegistryFile());
    std::string value;
    registry.Load();
    registry.GetString("HKEY_CLASSES_ROOT\\CLSID\\{BE44897A-EB38-11D5-823F-00C04FA03755}\\InprocServer32", "",
                       value);
    return value;
  };
  const std::string gone = home.Folder() + "/gone.so", present = QUILLET_HOST_MANAGER_LIBRARY;
  EXPECT_EQ(EnsureHostManagerRegistered(gone), S_OK);
  EXPECT_EQ(EnsureHostManagerRegistered(present), S_OK);  // the registered one is missing
  EXPECT_EQ(EnsureHostManagerRegistered(gone), S_FALSE);
  EXPECT_EQ(server(), present);
  EXPECT_EQ(UnregisterHostManager(), S_OK);
  EXPECT_EQ(server(), "");
}

}  // namespace
