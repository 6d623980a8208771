// Profile values under a module's key in the registry file.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry/AppProfile.h"
#include "support/TempFolder.h"

TEST(AppProfile, ValuesLiveUnderTheModuleKeyAndFallBackWhenMissingOrNotNumbers) {
  CTempFolder folder("profile");
  const std::filesystem::path dir = folder / "profile";  // made by the first write
  CAppProfile profile("Brindle Works", "QuilletExt", dir / "registry.ini");
  EXPECT_EQ(profile.GetProfileInt("", "Tab", 7), 7);
  EXPECT_EQ(profile.GetProfileString("", "Heading", "none"), "none");

  ASSERT_EQ(profile.WriteProfileInt("", "Tab", 2), CRegistry::REG_OK);
  ASSERT_EQ(profile.WriteProfileString("", "Card 1", "204 205 300"), CRegistry::REG_OK);
  ASSERT_EQ(profile.WriteProfileString("Sub", "Left", "-12"), CRegistry::REG_OK);
  ASSERT_EQ(profile.WriteProfileString("", "Word", "abc"), CRegistry::REG_OK);
  EXPECT_EQ(profile.GetProfileInt("", "Tab", 0), 2);
  EXPECT_EQ(profile.GetProfileString("", "Card 1"), "204 205 300");
  EXPECT_EQ(profile.GetProfileInt("Sub", "Left", 0), -12);
  EXPECT_EQ(profile.GetProfileInt("", "Word", 5), 5);

  CRegistry registry(dir / "registry.ini");
  ASSERT_EQ(registry.Load(), CRegistry::REG_OK);
  std::uint32_t tab = 0;
  EXPECT_EQ(registry.GetDword("HKEY_CURRENT_USER\\Software\\Brindle Works\\QuilletExt", "Tab", tab),
            CRegistry::REG_OK);
  EXPECT_EQ(tab, 2u);
}
