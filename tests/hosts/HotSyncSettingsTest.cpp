// The HotSync Manager's settings: this desktop's id, users, and the
// permanent and next-only actions; user names as key and folder names.

#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "hosts/hotsync/HotSyncPaths.h"
#include "hosts/hotsync/HotSyncSettings.h"

namespace {

TEST(HotSyncSettingsTest, PcIdIsMadeOnceAndKept) {
  CTempFolder folder;
  CHotSyncSettings settings(CRegistry(folder / "registry.ini"));
  std::uint32_t id = settings.PcId();
  EXPECT_NE(id, 0u);
  CHotSyncSettings again(CRegistry(folder / "registry.ini"));
  EXPECT_EQ(again.PcId(), id);
}

TEST(HotSyncSettingsTest, ActionsPermanentAndNextOnly) {
  CTempFolder folder;
  CHotSyncSettings settings(CRegistry(folder / "registry.ini"));
  CHotSyncSettings::Actions actions = settings.GetActions("Ann");
  EXPECT_EQ(actions.permanent, 0);
  EXPECT_FALSE(actions.next.has_value());

  ASSERT_TRUE(settings.SetAction("Ann", 2, false));
  actions = settings.GetActions("Ann");
  EXPECT_EQ(actions.permanent, 0);
  EXPECT_EQ(actions.next.value_or(-1), 2);
  ASSERT_TRUE(settings.ConsumeNextAction("Ann"));
  EXPECT_FALSE(settings.GetActions("Ann").next.has_value());

  // Making an action the default drops a pending next-only one.
  ASSERT_TRUE(settings.SetAction("Ann", 3, false));
  ASSERT_TRUE(settings.SetAction("Ann", 6, true));
  actions = settings.GetActions("Ann");
  EXPECT_EQ(actions.permanent, 6);
  EXPECT_FALSE(actions.next.has_value());
  EXPECT_EQ(settings.GetActions("Bob").permanent, 0) << "users are separate";
}

TEST(HotSyncSettingsTest, UsersAndTheDefaultUser) {
  CTempFolder folder;
  CHotSyncSettings settings(CRegistry(folder / "registry.ini"));
  EXPECT_EQ(settings.DefaultUser(), "");
  ASSERT_TRUE(settings.RememberUser("Back\\slash 100%", 7));
  EXPECT_EQ(settings.DefaultUser(), "Back\\slash 100%");
  EXPECT_EQ(settings.UserId("Back\\slash 100%"), 7u);
  ASSERT_TRUE(settings.RememberUser("Ann", 8));
  EXPECT_EQ(settings.DefaultUser(), "Ann");
  std::vector<std::string> users = settings.Users();
  std::sort(users.begin(), users.end());
  EXPECT_EQ(users, (std::vector<std::string>{"Ann", "Back\\slash 100%"}));
}

TEST(HotSyncSettingsTest, UserNamesWithControlCharactersAreRefusedAndNothingIsStored) {
  CTempFolder folder;
  CHotSyncSettings settings(CRegistry(folder / "registry.ini"));
  ASSERT_TRUE(settings.RememberUser("Ann", 8));
  for (const std::string bad : {"A\nB", "A\rB", "Tab\t", "Esc\x1b[0m", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(settings.RememberUser(bad, 9));
    EXPECT_EQ(settings.Error().rfind("the user name ", 0), 0u) << settings.Error();
    EXPECT_FALSE(settings.SetAction(bad, 2, true));
    EXPECT_FALSE(settings.SetAction(bad, 2, false));
    EXPECT_FALSE(settings.SetSlowSyncNeeded(bad, true));
    EXPECT_EQ(settings.KnownUser(bad), "");
  }
  EXPECT_EQ(settings.Users(), std::vector<std::string>{"Ann"});
  EXPECT_EQ(settings.DefaultUser(), "Ann");
  EXPECT_EQ(settings.KnownUser("aNN"), "Ann") << "names compare as keys do";
  EXPECT_EQ(settings.KnownUser("Anne"), "");
  // Removing what is not there stores nothing and is no failure.
  EXPECT_TRUE(settings.ConsumeNextAction("Ann"));
  EXPECT_TRUE(settings.SetSlowSyncNeeded("Ann", false));
}

TEST(HotSyncSettingsTest, UserNamesBecomeSingleSafeFolderNames) {
  EXPECT_EQ(FolderNameFor("Ann Smith"), "Ann Smith");
  EXPECT_EQ(FolderNameFor("../etc"), "..%2Fetc");
  EXPECT_EQ(FolderNameFor(".."), "%2E%2E");
  EXPECT_EQ(FolderNameFor("."), "%2E");
  EXPECT_EQ(FolderNameFor("a%b\n"), "a%25b%0A");
  EXPECT_EQ(HotSyncFolder("/h", "x/y"), std::filesystem::path("/h/HotSync/x%2Fy"));
}

}  // namespace
