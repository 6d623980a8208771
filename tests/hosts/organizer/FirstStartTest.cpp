// The first start of an installed organizer: the extension's install folder
// is written once, and the installed extension registers itself with the
// organizer so that it is listed with the installed help page.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "hosts/organizer/ExtensionList.h"
#include "hosts/organizer/ExtensionManager.h"
#include "hosts/organizer/FirstStart.h"
#include "platform/registry/Registry.h"
#include "support/TempFolder.h"

TEST(FirstStartTest, WritesTheInstallFolderOnceAndRegistersTheInstalledExtension) {
  CTempFolder dir;
  const char* previous = std::getenv("QUILLET_CONFIG_HOME");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
  ASSERT_EQ(RegisterHostManager(QUILLET_MANAGER_LIBRARY), S_OK);

  CFirstStart::Folders folders{dir / "share", dir / "lib"};
  std::filesystem::create_directories(folders.data);
  std::filesystem::create_directories(folders.libraries);
  // Without the extension's files there is no installed extension.
  EXPECT_EQ(CFirstStart(folders).Run(true), CFirstStart::NOTHING_TO_DO);
  EXPECT_EQ(CRegistry().ValueTypeOf(CFirstStart::EXTENSION_KEY, CFirstStart::INSTALL_PATH_VALUE), 0);

  std::ofstream(folders.data / CFirstStart::HELP_PAGE) << "<html></html>";
  std::filesystem::create_symlink(QUILLET_EXT_LIBRARY, folders.libraries / CFirstStart::EXTENSION_LIBRARY);
  CFirstStart first(folders);
  ASSERT_EQ(first.Run(true), CFirstStart::INSTALL_PATH_SET) << first.Error();
  CRegistry registry;
  ASSERT_EQ(registry.Load(), CRegistry::REG_OK);
  std::string installPath;
  ASSERT_EQ(registry.GetString(CFirstStart::EXTENSION_KEY, CFirstStart::INSTALL_PATH_VALUE, installPath),
            CRegistry::REG_OK);
  EXPECT_EQ(installPath, folders.data.string());
  ExtensionRecord entry;
  ASSERT_TRUE(CExtensionList().Find("Quillet", entry));
  EXPECT_EQ(entry.helpPage, (folders.data / CFirstStart::HELP_PAGE).string());

  // A folder the user set since is kept, and a removed extension stays removed.
  ASSERT_EQ(registry.SetString(CFirstStart::EXTENSION_KEY, CFirstStart::INSTALL_PATH_VALUE, "/elsewhere"),
            CRegistry::REG_OK);
  ASSERT_EQ(registry.DeleteKey(CExtensionList::KEY + std::string("\\Quillet")), CRegistry::REG_OK);
  ASSERT_EQ(registry.Save(), CRegistry::REG_OK);
  EXPECT_EQ(CFirstStart(folders).Run(true), CFirstStart::NOTHING_TO_DO);
  EXPECT_FALSE(CExtensionList().Find("Quillet", entry));

  if (previous != nullptr) setenv("QUILLET_CONFIG_HOME", saved.c_str(), 1);
  else unsetenv("QUILLET_CONFIG_HOME");
}
