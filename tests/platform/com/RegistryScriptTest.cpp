// Registry scripts entered in and taken out of the registry: replacements,
// keys written whole, and parents that stay.

#include <gtest/gtest.h>

#include "platform/com/RegistryScript.h"
#include "platform/registry/Registry.h"

namespace {

using Key = CRegistryScript::Key;

const CRegistryScript kServer{
    "HKEY_CLASSES_ROOT",
    {{.name = "Thing.Object.1", .defaultValue = "Thing Class",
      .subKeys = {{.name = "CLSID", .defaultValue = "%CLSID%"}}},
     {.name = "CLSID", .removal = CRegistryScript::KEEP,
      .subKeys = {{.name = "%CLSID%", .removal = CRegistryScript::REPLACE, .defaultValue = "Thing Class",
                   .values = {{"AppID", std::string("%APPID%")}, {"Flags", std::uint32_t{0x20191}}},
                   .subKeys = {{.name = "InprocServer32", .defaultValue = "%MODULE%",
                                .values = {{"ThreadingModel", std::string("Apartment")}}},
                               {.name = "Programmable"}}}}},
     {.name = "AppID", .removal = CRegistryScript::KEEP,
      .subKeys = {{.name = "Thing.DLL", .values = {{"AppID", std::string("%APPID%")}}}}}}};

const CRegistryScript::Replacements kValues{{"CLSID", "{11111111-2222-3333-4444-555555555555}"},
                                            {"APPID", "{AAAAAAAA-2222-3333-4444-555555555555}"},
                                            {"MODULE", "/opt/100%/libThing.so"}};

const std::string kClass = "HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}";

TEST(RegistryScriptTest, RegisterWritesTheTreeReplacingItsOldClassKey) {
  CRegistry registry("/nonexistent/registry.ini");
  registry.SetString(kClass + "\\Stale", "", "left by an older version");

  ASSERT_EQ(kServer.Register(registry, kValues), S_OK);
  std::string text;
  std::uint32_t flags = 0;
  EXPECT_EQ(registry.GetString(kClass + "\\InprocServer32", "", text), CRegistry::REG_OK);
  EXPECT_EQ(text, "/opt/100%/libThing.so");
  EXPECT_EQ(registry.GetString(kClass, "AppID", text), CRegistry::REG_OK);
  EXPECT_EQ(text, "{AAAAAAAA-2222-3333-4444-555555555555}");
  EXPECT_EQ(registry.GetDword(kClass, "Flags", flags), CRegistry::REG_OK);
  EXPECT_EQ(flags, 0x20191u);
  EXPECT_TRUE(registry.KeyExists(kClass + "\\Programmable"));
  EXPECT_FALSE(registry.KeyExists(kClass + "\\Stale"));
  EXPECT_EQ(registry.GetString("HKEY_CLASSES_ROOT\\Thing.Object.1\\CLSID", "", text), CRegistry::REG_OK);
  EXPECT_EQ(text, "{11111111-2222-3333-4444-555555555555}");
}

TEST(RegistryScriptTest, UnregisterRemovesItsKeysButKeepsParentsAndOthers) {
  CRegistry registry("/nonexistent/registry.ini");
  registry.SetString("HKEY_CLASSES_ROOT\\CLSID\\{OTHER}", "", "another class");
  registry.SetString("HKEY_CLASSES_ROOT\\Thing.Object.1", "Note", "someone else's value");
  ASSERT_EQ(kServer.Register(registry, kValues), S_OK);
  ASSERT_EQ(kServer.Unregister(registry, kValues), S_OK);

  EXPECT_FALSE(registry.KeyExists(kClass));
  EXPECT_FALSE(registry.KeyExists("HKEY_CLASSES_ROOT\\AppID\\Thing.DLL"));
  EXPECT_FALSE(registry.KeyExists("HKEY_CLASSES_ROOT\\Thing.Object.1\\CLSID"));
  EXPECT_TRUE(registry.KeyExists("HKEY_CLASSES_ROOT\\Thing.Object.1"));  // still holds "Note"
  EXPECT_TRUE(registry.KeyExists("HKEY_CLASSES_ROOT\\CLSID\\{OTHER}"));
  EXPECT_TRUE(registry.KeyExists("HKEY_CLASSES_ROOT\\AppID"));
  // Unregistering again finds nothing to do.
  EXPECT_EQ(kServer.Unregister(registry, kValues), S_OK);
}

TEST(RegistryScriptTest, UnknownReplacementChangesNothing) {
  CRegistry registry("/nonexistent/registry.ini");
  CRegistryScript::Replacements partial{{"CLSID", "{X}"}};
  EXPECT_EQ(kServer.Register(registry, partial), E_INVALIDARG);
  EXPECT_TRUE(registry.SubKeys("HKEY_CLASSES_ROOT").empty());
  std::string out;
  EXPECT_FALSE(CRegistryScript::Expand("50%", {}, out));
  ASSERT_TRUE(CRegistryScript::Expand("50%% of %A%", {{"A", "x"}}, out));
  EXPECT_EQ(out, "50% of x");
}

}  // namespace
