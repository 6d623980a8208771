// "UiPrefs.DAT": reading the fields, an empty or short file, the bytes written
// and a file that cannot be opened.

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/files/ScopedFileEnv.h"
#include "support/FaultInjectionEnv.h"
#include "viewer/UiPrefsFile.h"

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(UiPrefsFile, ReadsFilterAndPositionAndKeepsValuesWhereBytesRunOut) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("UiPrefs.DAT").toStdString();
  CUiPrefsFile prefs;
  EXPECT_EQ(prefs.categoryFilter, -1);
  EXPECT_EQ(prefs.currentPosition, 0);

  Write(path, std::string("\x00\x01\x00\x00\x03\x00\x00\x00\x05\x00\x00\x00", 12));
  ASSERT_EQ(prefs.Open(path, PREFS_MODE_DEFAULT), 0);
  EXPECT_EQ(prefs.categoryFilter, 3);
  EXPECT_EQ(prefs.currentPosition, 5);

  // An empty file keeps the values in force and is not grown by reading.
  Write(path, "");
  ASSERT_EQ(prefs.Open(path), 0);
  EXPECT_EQ(prefs.categoryFilter, 3);
  EXPECT_EQ(prefs.currentPosition, 5);
  EXPECT_EQ(FileText(path).size(), 0u);

  // A missing file is created empty.
  const std::string fresh = dir.filePath("new.DAT").toStdString();
  CUiPrefsFile created;
  ASSERT_EQ(created.Open(fresh), 0);
  EXPECT_EQ(created.categoryFilter, -1);
  EXPECT_EQ(FileText(fresh), "");

  // A file of 8 bytes sets the filter only.
  Write(path, std::string("\x00\x01\x00\x00\xff\xff\xff\xff", 8));
  ASSERT_EQ(prefs.Open(path), 0);
  EXPECT_EQ(prefs.categoryFilter, -1);
  EXPECT_EQ(prefs.currentPosition, 5);
}

TEST(UiPrefsFile, SaveWritesTwelveBytesOverTheStartWithoutTruncating) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("UiPrefs.DAT").toStdString();
  Write(path, std::string(16, 'z'));
  CUiPrefsFile prefs;
  ASSERT_EQ(prefs.Open(path), 0);
  prefs.categoryFilter = 0;
  prefs.currentPosition = -1;
  ASSERT_EQ(prefs.Save(), 0);
  EXPECT_EQ(FileText(path), std::string("\x00\x01\x00\x00\x00\x00\x00\x00\xff\xff\xff\xffzzzz", 16));
}

TEST(UiPrefsFile, OpenFailuresChangeNothing) {
  QTemporaryDir dir;
  CUiPrefsFile prefs;
  prefs.categoryFilter = 4;
  const std::string missingDir = dir.filePath("no/such/dir/UiPrefs.DAT").toStdString();
  EXPECT_EQ(prefs.Open(missingDir), -1);
  EXPECT_EQ(prefs.categoryFilter, 4);
  EXPECT_TRUE(prefs.path.empty());
  prefs.path = missingDir;
  EXPECT_EQ(prefs.Save(), -1);
}

// A save that fails at any file operation says so and leaves the old file as
// it was; one that succeeds leaves the new one, the bytes after the fields kept.
TEST(UiPrefsFile, FailedSaveLeavesTheOldFileWhole) {
  using Op = IFileEnv::Op;
  QTemporaryDir dir;
  const std::string path = dir.filePath("UiPrefs.DAT").toStdString();
  const std::string old("\x00\x01\x00\x00\x03\x00\x00\x00\x07\x00\x00\x00tail", 16);
  const std::string saved("\x00\x01\x00\x00\x05\x00\x00\x00\x09\x00\x00\x00tail", 16);
  CFaultInjectionEnv faults;
  const auto save = [&](const CFaultInjectionEnv::SFault* fault) {
    Write(path, old);
    CUiPrefsFile prefs;
    EXPECT_EQ(prefs.Open(path), 0);
    prefs.categoryFilter = 5;
    prefs.currentPosition = 9;
    if (fault != nullptr) {
      faults.Plan(*fault);
    } else {
      faults.Reset();
    }
    CScopedFileEnv use(faults);
    return prefs.Save();
  };
  ASSERT_EQ(save(nullptr), 0);
  ASSERT_EQ(FileText(path), saved);
  for (const auto& fault : faults.EachFault({Op::OPEN_READ, Op::OPEN_WRITE, Op::READ, Op::WRITE, Op::SYNC,
                                             Op::CLOSE, Op::RENAME, Op::SYNC_FOLDER})) {
    const int rc = save(&fault);
    EXPECT_EQ(faults.Injected(), 1) << fault.Describe();
    if (fault.op == Op::WRITE || fault.op == Op::SYNC || fault.op == Op::RENAME) {
      EXPECT_EQ(rc, -1) << fault.Describe();
    }
    EXPECT_EQ(FileText(path), rc == 0 ? saved : old) << fault.Describe();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << fault.Describe();
  }
}
