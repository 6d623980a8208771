// The HotSync Manager's folders.

#include "hosts/hotsync/HotSyncPaths.h"

#include <cstdlib>

#include "platform/text/Hex.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::filesystem::path QuilletHome(const std::string& homeOption) {
  if (!homeOption.empty()) return homeOption;
  std::string home = Env("QUILLET_HOME");
  if (!home.empty()) return home;
  std::string data = Env("XDG_DATA_HOME");
  if (!data.empty()) return std::filesystem::path(data) / "quillet";
  std::string user = Env("HOME");
  if (user.empty()) return {};
  return std::filesystem::path(user) / ".local" / "share" / "quillet";
}

std::filesystem::path DefaultDeviceFolder(const std::filesystem::path& home) {
  return home / "devices" / "default";
}

std::string FolderNameFor(const std::string& user) {
  std::string out;
  for (char c : user) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '%' || byte < 0x20 || byte == 0x7F) {
      out += '%';
      AppendHex(out, byte, 2, true);
    } else {
      out += c;
    }
  }
  if (out.empty() || out == "." || out == "..") {
    std::string dots;
    for (std::size_t i = 0; i < out.size(); ++i) dots += "%2E";
    out = dots.empty() ? "%00" : dots;
  }
  return out;
}

std::filesystem::path HotSyncFolder(const std::filesystem::path& home, const std::string& user) {
  return home / "HotSync" / FolderNameFor(user);
}
