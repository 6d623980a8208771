// String resources by id and the language loader's fallback to the module.

#include "platform/resources/Resources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <string>

#include "conduit/ConduitStrings.h"
#include "platform/palmcmn/LanguageLoader.h"
#include "support/TempFolder.h"

namespace {

TEST(Resources, LoadStringCopiesCutsAndTerminates) {
  ResourceInstance module = ResourceRegisterModule("ResourcesTest.module");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ResourceRegisterModule("ResourcesTest.module"), module);
  const ResourceString table[] = {{7, "Seven"}, {8, nullptr}, {9, ""}};
  EXPECT_EQ(ResourceAddStrings(module, table, 3), 2);

  char buffer[16];
  EXPECT_EQ(LoadStringA(module, 7, buffer, sizeof buffer), 5);
  EXPECT_STREQ(buffer, "Seven");
  EXPECT_EQ(LoadStringA(module, 7, buffer, 4), 3);
  EXPECT_STREQ(buffer, "Sev");
  std::strcpy(buffer, "old");
  EXPECT_EQ(LoadStringA(module, 7, buffer, 1), 0);
  EXPECT_STREQ(buffer, "");
  std::strcpy(buffer, "old");
  EXPECT_EQ(LoadStringA(module, 8, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(LoadStringA(module, 9, buffer, sizeof buffer), 0);
  EXPECT_EQ(LoadStringA(nullptr, 7, buffer, sizeof buffer), 0);
  EXPECT_EQ(LoadStringA(module, 7, nullptr, 10), 0);
}

TEST(Resources, TheConduitCarriesItsEnglishStrings) {
  ResourceInstance conduit = ConduitResources();
  ASSERT_NE(conduit, nullptr);
  EXPECT_EQ(ResourceFindModule(CONDUIT_MODULE_NAME), conduit);
  char name[64];
  EXPECT_EQ(LoadStringA(conduit, IDS_CONDUIT_NAME, name, sizeof name), 15);
  EXPECT_STREQ(name, "Quillet Conduit");
  EXPECT_STREQ(ResourceFindString(conduit, IDS_ACTION_DESKTOP_OVERWRITES), "Desktop overwrites Palm organizer.");
}

TEST(LanguageLoader, FallsBackToTheModuleWithoutALanguageLibrary) {
  ResourceInstance module = ResourceRegisterModule("LoaderTest.module");
  std::uint32_t unused = 123;
  // No path known for the module.
  EXPECT_EQ(LoadLanguageModule(CONDUIT_LANGUAGE_FILE, module, &unused), module);
  EXPECT_EQ(unused, 0u);

  CTempFolder temp("lang");
  const std::filesystem::path& folder = temp.Path();
  ResourceSetModulePath(module, (folder / "libQuilletC.so").c_str());
  // Nothing beside the module.
  EXPECT_EQ(LoadLanguageModule(CONDUIT_LANGUAGE_FILE, module, nullptr), module);
  // A file of that name that is no loadable library.
  std::ofstream(folder / CONDUIT_LANGUAGE_FILE) << "not a library";
  EXPECT_EQ(LoadLanguageModule(CONDUIT_LANGUAGE_FILE, module, nullptr), module);
  FreeLanguageModule(module, module);
  EXPECT_EQ(ResourceModulePath(module), (folder / "libQuilletC.so").string());
}

}  // namespace
