// Writing registry.ini while the disk fails: each file operation of an update
// fails in turn (and each write is cut short); afterwards the file loads with
// its old or its new values, and a failed write was reported.

#include <gtest/gtest.h>

#include "RegistryFileFixture.h"
#include "platform/files/ScopedFileEnv.h"
#include "platform/registry/Registry.h"
#include "support/FaultInjectionEnv.h"

namespace {

class RegistryFault : public CRegistryFileFixture {};

TEST_F(RegistryFault, FailedUpdateLeavesTheOldFileWholeAndIsReported) {
  using Op = IFileEnv::Op;
  const auto& file = m_file;
  CRegistry first(file);
  ASSERT_EQ(first.SetString(KEY, "InstallPath", "/old/place"), CRegistry::REG_OK);
  ASSERT_EQ(first.SetDword(KEY, "Tab", 1), CRegistry::REG_OK);
  ASSERT_EQ(first.Save(), CRegistry::REG_OK) << first.Error();
  const std::string old = ReadFile();

  CFaultInjectionEnv faults;
  const auto update = [&](const CFaultInjectionEnv::SFault* fault) {
    WriteFile(old);
    if (fault != nullptr) {
      faults.Plan(*fault);
    } else {
      faults.Reset();
    }
    CScopedFileEnv use(faults);
    CRegistry registry(file);
    return registry.Update([](CRegistry& r) {
      return r.SetString(KEY, "InstallPath", "/new/place") == CRegistry::REG_OK &&
             r.SetDword(KEY, "Tab", 2) == CRegistry::REG_OK;
    });
  };
  ASSERT_EQ(update(nullptr), CRegistry::REG_OK);
  const std::string saved = ReadFile();
  ASSERT_NE(saved, old);

  for (const auto& fault : faults.EachFault({Op::OPEN_READ, Op::OPEN_WRITE, Op::READ, Op::LOCK, Op::WRITE,
                                             Op::SYNC, Op::CLOSE, Op::RENAME, Op::SYNC_FOLDER})) {
    const int rc = update(&fault);
    EXPECT_EQ(faults.Injected(), 1) << fault.Describe();
    if (fault.op == Op::WRITE || fault.op == Op::SYNC || fault.op == Op::RENAME || fault.op == Op::LOCK) {
      EXPECT_NE(rc, CRegistry::REG_OK) << fault.Describe();
    }
    EXPECT_EQ(ReadFile(), rc == CRegistry::REG_OK ? saved : old) << fault.Describe();
    CRegistry reread(file);
    EXPECT_EQ(reread.Load(), CRegistry::REG_OK) << fault.Describe() << ": " << reread.Error();
  }
}

}  // namespace
