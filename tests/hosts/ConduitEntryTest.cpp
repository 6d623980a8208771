// The conduit library's entry points, loaded with dlopen as the HotSync
// Manager loads them: every result code of the information and configuration
// entry points, in their order of checks, and the dialogs run through them.

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "conduit/ConduitBlocks.h"
#include "conduit/ConduitEntry.h"
#include "dbfiles/ResultCodes.h"
#include "support/TempFolder.h"

namespace {

class ConduitEntryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library = dlopen(QUILLET_CONDUIT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    openConduit = reinterpret_cast<OpenConduitFn>(dlsym(library, "OpenConduit"));
    getConduitName = reinterpret_cast<GetConduitNameFn>(dlsym(library, "GetConduitName"));
    getConduitVersion = reinterpret_cast<GetConduitVersionFn>(dlsym(library, "GetConduitVersion"));
    configureConduit = reinterpret_cast<ConfigureConduitFn>(dlsym(library, "ConfigureConduit"));
    cfgConduit = reinterpret_cast<CfgConduitFn>(dlsym(library, "CfgConduit"));
    getConduitInfo = reinterpret_cast<GetConduitInfoFn>(dlsym(library, "GetConduitInfo"));
  }
  static void TearDownTestSuite() {
    if (library != nullptr) dlclose(library);
    library = nullptr;
  }
  void SetUp() override { ASSERT_NE(library, nullptr); }

  static ConduitConfigBlock ValidConfig() {
    ConduitConfigBlock block;
    std::memset(&block, 0, sizeof block);
    block.version = 1;
    block.size = 352;
    block.creator = 0x44655275;
    block.userId = 77;
    std::strcpy(block.userName, "Ann");
    block.defaultSyncType = 0;
    block.nextSyncType = 2;
    block.chosenSyncType = -99;
    block.preference = -99;
    return block;
  }

  // Presses the buttons `ids` of the modal dialog once it is up.
  static void PressWhenShown(std::vector<int> ids) {
    QTimer::singleShot(0, [ids] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      for (int id : ids) {
        auto* button = dialog->findChild<QAbstractButton*>(QStringLiteral("item%1").arg(id));
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
      }
    });
  }

  static void* library;
  static OpenConduitFn openConduit;
  static GetConduitNameFn getConduitName;
  static GetConduitVersionFn getConduitVersion;
  static ConfigureConduitFn configureConduit;
  static CfgConduitFn cfgConduit;
  static GetConduitInfoFn getConduitInfo;
};

void* ConduitEntryTest::library = nullptr;
OpenConduitFn ConduitEntryTest::openConduit = nullptr;
GetConduitNameFn ConduitEntryTest::getConduitName = nullptr;
GetConduitVersionFn ConduitEntryTest::getConduitVersion = nullptr;
ConfigureConduitFn ConduitEntryTest::configureConduit = nullptr;
CfgConduitFn ConduitEntryTest::cfgConduit = nullptr;
GetConduitInfoFn ConduitEntryTest::getConduitInfo = nullptr;

void NoProgress(const char*) {}

TEST_F(ConduitEntryTest, ExportsOnlyTheEntryPointsAndTheHostLibraries) {
  EXPECT_NE(openConduit, nullptr);
  EXPECT_NE(getConduitName, nullptr);
  EXPECT_NE(getConduitVersion, nullptr);
  EXPECT_NE(configureConduit, nullptr);
  EXPECT_NE(cfgConduit, nullptr);
  EXPECT_NE(getConduitInfo, nullptr);
  // The conduit's own machinery stays inside.
  EXPECT_EQ(dlsym(library, "ResourceRegisterModule"), nullptr);
  EXPECT_EQ(dlsym(library, "LoadLanguageModule"), nullptr);
  EXPECT_EQ(dlsym(library, "_Z24ConduitResourceInstancev"), nullptr);
}

TEST_F(ConduitEntryTest, VersionAndName) {
  EXPECT_EQ(getConduitVersion(), 258);
  char name[256];
  EXPECT_EQ(getConduitName(name, sizeof name), 0);
  EXPECT_STREQ(name, "Quillet Conduit");
  // A short buffer gets the start of the name.
  char shortName[6];
  EXPECT_EQ(getConduitName(shortName, sizeof shortName), 0);
  EXPECT_STREQ(shortName, "Quill");
  // Sizes above 16 bits count as the largest 16-bit size rather than wrapping
  // round to a small (or zero) one.
  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(getConduitName(name, 0x10000), 0);
  EXPECT_STREQ(name, "Quillet Conduit");
  EXPECT_EQ(getConduitName(name, 0), -1);
  EXPECT_EQ(getConduitName(nullptr, 256), -1);
}

TEST_F(ConduitEntryTest, InfoCodesInTheirOrder) {
  ConduitRequestBlock request;
  std::memset(&request, 0, sizeof request);
  request.version = 1;
  request.size = 80;
  char out[256];
  std::uint32_t size = sizeof out;
  // Null output first, then the null size pointer.
  EXPECT_EQ(getConduitInfo(0, &request, nullptr, nullptr), 4209);
  EXPECT_EQ(getConduitInfo(3, nullptr, nullptr, &size), 4209);
  EXPECT_EQ(getConduitInfo(0, &request, out, nullptr), 4215);
  EXPECT_EQ(getConduitInfo(3, nullptr, out, nullptr), 4215);
  // Type 0, the name.
  EXPECT_EQ(getConduitInfo(0, nullptr, out, &size), 4212);
  request.version = 2;
  EXPECT_EQ(getConduitInfo(0, &request, out, &size), 4213);
  request.version = 1;
  request.size = 81;
  EXPECT_EQ(getConduitInfo(0, &request, out, &size), 4213);
  request.size = 80;
  EXPECT_EQ(getConduitInfo(0, &request, out, &size), 0);
  EXPECT_STREQ(out, "Quillet Conduit");
  EXPECT_EQ(size, sizeof out) << "the output size is not updated";
  std::uint32_t tiny = 1;
  EXPECT_EQ(getConduitInfo(0, &request, out, &tiny), 4214);
  // Types 1 and 2 take exactly four bytes.
  std::uint32_t value = 0xDEADBEEF;
  std::uint32_t four = 4;
  std::uint32_t eight = 8;
  EXPECT_EQ(getConduitInfo(1, nullptr, &value, &eight), 4211);
  EXPECT_EQ(value, 0xDEADBEEFu);
  EXPECT_EQ(getConduitInfo(1, nullptr, &value, &four), 0);
  EXPECT_EQ(value, 0x10000000u);
  EXPECT_EQ(getConduitInfo(2, nullptr, &value, &eight), 4211);
  EXPECT_EQ(getConduitInfo(2, nullptr, &value, &four), 0);
  EXPECT_EQ(value, 0u);
  // Anything else, after the null checks.
  EXPECT_EQ(getConduitInfo(3, nullptr, &value, &four), 4208);
  EXPECT_EQ(getConduitInfo(-1, nullptr, &value, &four), 4208);
}

TEST_F(ConduitEntryTest, CfgConduitCodesInTheirOrder) {
  ConduitConfigBlock block = ValidConfig();
  std::uint32_t size = 352;
  std::uint32_t wrongSize = 351;
  EXPECT_EQ(cfgConduit(0, nullptr, nullptr), 4212);
  EXPECT_EQ(cfgConduit(1, nullptr, &size), 4212);
  EXPECT_EQ(cfgConduit(0, &block, nullptr), 4216);
  EXPECT_EQ(cfgConduit(1, &block, &wrongSize), 4218) << "size before type";
  EXPECT_EQ(cfgConduit(1, &block, &size), 4217) << "a valid block with another type";
  block.version = 2;
  EXPECT_EQ(cfgConduit(1, &block, &size), 4217) << "type before version";
  EXPECT_EQ(cfgConduit(0, &block, &size), 4219);
  block.version = 1;
  ConduitConfigBlock expected = ValidConfig();
  EXPECT_EQ(std::memcmp(&block, &expected, sizeof block), 0) << "refusals leave the block alone";
}

TEST_F(ConduitEntryTest, CfgConduitReturnsTheDialogsResultsInTheBlock) {
  ConduitConfigBlock block = ValidConfig();
  std::uint32_t size = 352;
  PressWhenShown({405, 411, 1});
  EXPECT_EQ(cfgConduit(0, &block, &size), 0);
  EXPECT_EQ(block.chosenSyncType, 3);
  EXPECT_EQ(block.preference, 1);

  // Cancel also returns 0 and leaves the block as it was.
  block = ValidConfig();
  PressWhenShown({407, 2});
  EXPECT_EQ(cfgConduit(0, &block, &size), 0);
  ConduitConfigBlock expected = ValidConfig();
  EXPECT_EQ(std::memcmp(&block, &expected, sizeof block), 0);
}

TEST_F(ConduitEntryTest, CfgConduitShowsTheFullDialog) {
  ConduitConfigBlock block = ValidConfig();
  std::uint32_t size = 352;
  bool hasSettings = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    hasSettings = dialog->findChild<QWidget*>(QStringLiteral("item1006")) != nullptr;
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("item2")), Qt::LeftButton);
  });
  EXPECT_EQ(cfgConduit(0, &block, &size), 0);
  EXPECT_TRUE(hasSettings);
}

TEST_F(ConduitEntryTest, ConfigureConduitWritesOnlyItsTwoFieldsOnOk) {
  SyncPreferenceBlock preferences;
  std::memset(&preferences, 0xA5, sizeof preferences);
  preferences.preference = 2;
  preferences.syncType = 1;
  SyncPreferenceBlock before = preferences;

  bool shortDialog = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    shortDialog = dialog->findChild<QWidget*>(QStringLiteral("item1006")) == nullptr;
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("item406")), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("item411")), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("item1")), Qt::LeftButton);
  });
  EXPECT_EQ(configureConduit(&preferences), 0);
  EXPECT_TRUE(shortDialog);
  EXPECT_EQ(preferences.syncType, 2);
  EXPECT_EQ(preferences.preference, 1);
  EXPECT_EQ(std::memcmp(preferences.managerData, before.managerData, sizeof before.managerData), 0);

  // Cancel: -1 and nothing changed.
  before = preferences;
  PressWhenShown({404, 411, 2});
  EXPECT_EQ(configureConduit(&preferences), -1);
  EXPECT_EQ(std::memcmp(&preferences, &before, sizeof before), 0);

  EXPECT_EQ(configureConduit(nullptr), -1);
}

TEST_F(ConduitEntryTest, ConfigureConduitStartsFromTheBlocksSyncType) {
  SyncPreferenceBlock preferences;
  std::memset(&preferences, 0, sizeof preferences);
  preferences.syncType = 3;
  int checked = 0;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    for (int id = 404; id <= 407; ++id) {
      auto* button = dialog->findChild<QAbstractButton*>(QStringLiteral("item%1").arg(id));
      if (button != nullptr && button->isChecked()) checked = id;
    }
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("item1")), Qt::LeftButton);
  });
  EXPECT_EQ(configureConduit(&preferences), 0);
  EXPECT_EQ(checked, 405);
  EXPECT_EQ(preferences.syncType, 3);
  EXPECT_EQ(preferences.preference, 2);
}

TEST_F(ConduitEntryTest, OpenConduitWithoutACallbackDoesNothing) {
  CTempFolder folder;
  SyncProperties properties{};
  properties.syncType = 0;
  std::strcpy(properties.directory, folder.Path().c_str());
  std::strcpy(properties.localFileName, "record.dat");
  properties.databaseCount = 1;
  properties.creator = 0x44655275;
  properties.type = 0x44415441;
  properties.databaseNames[0] = "QuilletMemoDB";
  EXPECT_EQ(openConduit(nullptr, &properties), -1);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << "nothing was created";
  EXPECT_EQ(openConduit(&NoProgress, nullptr), -1);

  // With a callback the synchronizer runs: "do nothing" succeeds untouched, a
  // sync type above 7 is refused before anything else.
  properties.syncType = 6;
  EXPECT_EQ(openConduit(&NoProgress, &properties), 0);
  properties.syncType = 8;
  EXPECT_EQ(openConduit(&NoProgress, &properties), DB_ERR_BAD_START_SYNC_TYPE);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
