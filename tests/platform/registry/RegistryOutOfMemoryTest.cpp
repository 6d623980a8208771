// The registry file with memory running out at every allocation in turn: an
// update reports REG_ERR_NO_MEMORY, the file keeps its old content or takes the new
// one whole, and the registry works again once memory is back.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/registry/Registry.h"
#include "support/AllocationFailure.h"

namespace {

namespace fs = std::filesystem;

TEST(RegistryOutOfMemory, UpdateKeepsTheOldOrTheNewFile) {
  const fs::path folder = fs::temp_directory_path() / ("quillet-registry-oom-" + std::to_string(::getpid()));
  const fs::path file = folder / CRegistry::FILE_NAME;
  fs::remove_all(folder);
  {
    CRegistry seed(file);
    ASSERT_EQ(CRegistry::REG_OK, seed.Update([](CRegistry& r) {
      return r.SetString("HKEY_CURRENT_USER\\Software\\Quillet\\Old", "Name", "old value") == CRegistry::REG_OK &&
             r.SetDword("HKEY_CURRENT_USER\\Software\\Quillet\\Old", "Count", 3) == CRegistry::REG_OK;
    }));
  }
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    CRegistry registry(file);
    int rc = CRegistry::REG_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      rc = registry.Update([](CRegistry& r) {
        return r.SetString("HKEY_CURRENT_USER\\Software\\Quillet\\New\\Deeper", "Text", "a new value") ==
                   CRegistry::REG_OK &&
               r.SetBinary("HKEY_CURRENT_USER\\Software\\Quillet\\New", "Bytes", std::string(40, '\x01')) ==
                   CRegistry::REG_OK &&
               r.DeleteKey("HKEY_CURRENT_USER\\Software\\Quillet\\Old") == CRegistry::REG_OK;
      });
      fired = failure.Fired();
    }
    CRegistry check(file);
    EXPECT_EQ(CRegistry::REG_OK, check.Load()) << "allocation " << n;
    const bool isOld = check.KeyExists("HKEY_CURRENT_USER\\Software\\Quillet\\Old");
    const bool isNew = check.KeyExists("HKEY_CURRENT_USER\\Software\\Quillet\\New\\Deeper");
    EXPECT_TRUE(isOld != isNew) << "allocation " << n;
    if (!fired) {
      EXPECT_EQ(CRegistry::REG_OK, rc);
      return false;
    }
    // A change that could not be made is not saved.
    EXPECT_TRUE(rc == CRegistry::REG_ERR_NO_MEMORY || (rc == CRegistry::REG_OK && isOld)) << "allocation " << n;
    EXPECT_TRUE(isOld) << "allocation " << n;
    return true;
  });
  EXPECT_GT(failures, 10u);
  fs::remove_all(folder);
}

}  // namespace
