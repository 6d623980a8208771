// quillet-viewer's host side: which user and file it opens, the status text
// of the selection, why a file did not open, and what closing the window
// stores.

#include <QApplication>
#include <gtest/gtest.h>

#include <fstream>

#include "hosts/hotsync/HotSyncSettings.h"
#include "hosts/viewer/ViewerTarget.h"
#include "hosts/viewer/ViewerWindow.h"
#include "platform/registry/AppProfile.h"
#include "resources/extension/ExtensionModule.h"
#include "store/MemoFileBuilder.h"
#include "store/StoreTestDir.h"
#include "viewer/MainDlg.h"

namespace {

TEST(ViewerHost, ChoosesTheOnlyHotSyncUserAndRefusesWhenItIsNotClear) {
  memotest::CTempDir dir;
  CHotSyncSettings settings(CRegistry(dir / "registry.ini"));
  ViewerTarget target;
  std::string error;
  EXPECT_FALSE(ChooseViewerTarget(settings, dir.path(), "", false, "", target, error));
  EXPECT_NE(error.find("no HotSync user"), std::string::npos) << error;

  ASSERT_TRUE(settings.RememberUser("Ann Smith", 7));
  ASSERT_TRUE(ChooseViewerTarget(settings, dir.path(), "", false, "", target, error));
  EXPECT_EQ(target.user, "Ann Smith");
  EXPECT_EQ(target.file, dir.path() / "HotSync" / "Ann Smith" / "Quillet" / "record.dat");

  ASSERT_TRUE(settings.RememberUser("Bob", 8));
  error.clear();
  EXPECT_FALSE(ChooseViewerTarget(settings, dir.path(), "", false, "", target, error));
  EXPECT_NE(error.find("Ann Smith, Bob"), std::string::npos) << error;
  ASSERT_TRUE(ChooseViewerTarget(settings, dir.path(), "Bob", true, "/tmp/x.dat", target, error));
  EXPECT_EQ(target.user, "Bob");
  EXPECT_EQ(target.file, "/tmp/x.dat");
}

TEST(ViewerHost, StatusBarShowsTheSelectionOrWhyTheFileDidNotOpen) {
  EXPECT_EQ(CViewerWindow::SelectionText(2, 5), "3 / 5");
  EXPECT_EQ(CViewerWindow::SelectionText(-1, 5), "");
  EXPECT_EQ(CViewerWindow::SelectionText(0, 0), "");

  memotest::CTempDir dir;
  setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
  memotest::File file;
  file.appInfo = memotest::Block(memotest::MemoAppInfo(memotest::DefaultCategories(), std::nullopt, ""));
  for (const char* text : {"b", "a", "c"}) {
    memotest::Record record;
    record.body = memotest::PlainBody(text);
    file.records.push_back(record);
  }
  const memotest::Bytes bytes = file.Build();
  std::ofstream(dir / "record.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  {
    CViewerWindow window;
    EXPECT_EQ(window.Open("Ann", (dir / "record.dat").string()), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.StatusText(), QStringLiteral("2 / 3"));  // "b", position 0, between "a" and "c"
    EXPECT_EQ(window.Open("Ann", (dir / "none.dat").string()), -1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.StatusText().contains(QStringLiteral("there is no such file"))) << window.StatusText().toStdString();
    EXPECT_FALSE(window.View()->isEnabled());
    window.close();
    EXPECT_EQ(window.View(), nullptr);
  }
  // Closing destroyed the view, which stored its layout.
  EXPECT_EQ(ExtensionProfile().GetProfileString("", "Heading"), "(3) 0 150 1 100 2 100 (0) ");
}

}  // namespace
