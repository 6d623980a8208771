// Fuzz target: the blocks the HotSync Manager hands the conduit's entry
// points.  The first input byte picks the entry point and the answer given to
// the action dialog; the rest fills the block (zero-padded to its size):
//   0  GetConduitInfo with a request block and an information type
//   1  CfgConduit with a configuration block (the dialog shows its user and actions)
//   2  ConfigureConduit with a sync preference block
// Whatever the block holds, the entry points may change only their output
// fields, and only to values the dialog offers.  Runs offscreen.

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "conduit/ConduitBlocks.h"
#include "conduit/ConduitEntry.h"
#include "platform/ui/DialogWindow.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "ConduitBlocks: %s\n", what);
    std::abort();
  }
}

void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "fuzz_ConduitBlocks";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives for the whole run
}

// Answers the next modal dialog: OK after ticking "Set as default" and
// picking `button`, or Cancel.
void AnswerDialog(bool ok, int button, bool setDefault) {
  QTimer::singleShot(0, [=] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) {
      AnswerDialog(ok, button, setDefault);
      return;
    }
    auto click = [dialog](int id) {
      if (auto* b = dialog->findChild<QAbstractButton*>(QStringLiteral("item%1").arg(id))) b->click();
    };
    if (ok) {
      click(button);
      if (setDefault) click(411);  // "Set as default"
    }
    click(ok ? IDOK : IDCANCEL);
  });
}

bool IsOfferedSyncType(std::int32_t type) {
  return type == SYNC_TYPE_FAST || type == SYNC_TYPE_HANDHELD_OVERWRITES ||
         type == SYNC_TYPE_DESKTOP_OVERWRITES || type == SYNC_TYPE_NOTHING;
}

template <typename Block>
Block FromInput(const std::uint8_t* data, std::size_t size) {
  Block block;
  std::memset(&block, 0, sizeof block);
  std::memcpy(&block, data, size < sizeof block ? size : sizeof block);
  return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  ++data;
  --size;
  const bool ok = (choice & 0x10) != 0;
  const int button = 404 + ((choice >> 5) & 3);  // one of the four action buttons
  const bool setDefault = (choice & 0x80) != 0;

  switch (choice % 3) {
    case 0: {
      auto request = FromInput<ConduitRequestBlock>(data, size);
      char output[256];
      std::uint32_t outputSize = size > 0 ? data[0] : 0;
      const std::int32_t infoType = (choice >> 4) % 4;
      const std::int32_t rc = GetConduitInfo(infoType, &request, output, &outputSize);
      if (rc == 0 && infoType == CONDUIT_INFO_NAME && outputSize > 0) {
        Check(std::memchr(output, 0, outputSize) != nullptr, "the name is not terminated");
      }
      break;
    }
    case 1: {
      EnsureApplication();
      auto config = FromInput<ConduitConfigBlock>(data, size);
      const ConduitConfigBlock before = config;
      std::uint32_t blockSize = sizeof config;
      if (config.version == CONDUIT_CONFIG_VERSION) AnswerDialog(ok, button, setDefault);
      const std::int32_t rc = CfgConduit(CONDUIT_CFG_STANDARD, &config, &blockSize);
      if (config.version == CONDUIT_CONFIG_VERSION) Check(rc == 0, "the dialog did not run");
      ConduitConfigBlock unchanged = config;
      unchanged.chosenSyncType = before.chosenSyncType;
      unchanged.preference = before.preference;
      Check(std::memcmp(&unchanged, &before, sizeof before) == 0, "an input field changed");
      if (rc == 0 && ok) {
        Check(IsOfferedSyncType(config.chosenSyncType), "an action the dialog does not offer");
        Check(config.preference == (setDefault ? SYNC_PREF_PERMANENT : SYNC_PREF_TEMPORARY), "a wrong preference");
      } else {
        Check(std::memcmp(&config, &before, sizeof before) == 0, "a cancelled dialog changed the block");
      }
      break;
    }
    default: {
      EnsureApplication();
      auto preferences = FromInput<SyncPreferenceBlock>(data, size);
      const SyncPreferenceBlock before = preferences;
      AnswerDialog(ok, button, setDefault);
      const std::int32_t rc = ConfigureConduit(&preferences);
      Check(std::memcmp(preferences.managerData, before.managerData, sizeof before.managerData) == 0,
            "the HotSync Manager's part changed");
      if (rc == 0) {
        Check(IsOfferedSyncType(preferences.syncType), "an action the dialog does not offer");
      } else {
        Check(std::memcmp(&preferences, &before, sizeof before) == 0, "a cancelled dialog changed the block");
      }
      break;
    }
  }
  return 0;
}
