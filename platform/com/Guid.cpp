#include "platform/com/Guid.h"

#include <cstdio>
#include <tuple>

bool operator<(const GUID& a, const GUID& b) {
  auto key = [](const GUID& g) { return std::tie(g.Data1, g.Data2, g.Data3); };
  if (key(a) != key(b)) return key(a) < key(b);
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return a.Data4[i] < b.Data4[i];
  }
  return false;
}

bool GuidFromString(std::string_view text, GUID& out) {
  GUID parsed{};
  if (!com_detail::ParseGuid(text, parsed)) return false;
  out = parsed;
  return true;
}

std::string GuidToString(const GUID& guid) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}
