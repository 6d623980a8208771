// Fuzz target: device.json, the handheld's user and HotSync bookkeeping.  Any
// bytes are parsed as JSON on their own (what parses must write and parse back
// to the same text) and opened as the device file of a device folder; a file
// that opens must save and open again with the same fields.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "ScratchFolder.h"
#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "handheld/JsonValue.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "DeviceFile: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CJsonValue json;
  if (CJsonValue::Parse(text, json) == HandheldResult::HH_OK) {
    const std::string written = json.Write();
    CJsonValue again;
    Check(CJsonValue::Parse(written, again) == HandheldResult::HH_OK, "written JSON does not parse");
    Check(again.Write() == written, "JSON changes when written twice");
  }

  const auto folder = CScratchFolder::Path() / "device";
  std::filesystem::create_directories(folder);
  {
    std::ofstream out(folder / CDevice::DEVICE_FILE, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    Check(static_cast<bool>(out), "cannot write the input");
  }
  CDevice device;
  if (device.Open(folder) != HandheldResult::HH_OK) return 0;
  Check(device.Save() == HandheldResult::HH_OK, "an opened device does not save");
  CDevice reopened;
  Check(reopened.Open(folder) == HandheldResult::HH_OK, "a saved device does not open");
  Check(reopened.UserName() == device.UserName() && reopened.UserId() == device.UserId() &&
            reopened.LastSyncPc() == device.LastSyncPc() && reopened.LastSyncDate() == device.LastSyncDate() &&
            reopened.SuccessfulSyncDate() == device.SuccessfulSyncDate() &&
            reopened.CardNumber() == device.CardNumber() && reopened.RomVersion() == device.RomVersion(),
        "device fields change when saved");
  return 0;
}
