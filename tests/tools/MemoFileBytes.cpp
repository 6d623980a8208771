#include "tools/MemoFileBytes.h"

#include <cstring>

#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"

namespace tooltest {

namespace {

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}
void Put16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v);
  s[at + 1] = static_cast<char>(v >> 8);
}
void PutText(std::string& s, std::size_t at, const std::string& text) {
  std::memcpy(s.data() + at, text.data(), text.size());
}

std::string Block(const std::string& data, const std::string& name, std::uint32_t reserved) {
  std::string b(56, '\0');
  Put32(b, 0, static_cast<std::uint32_t>(56 + data.size()));
  Put16(b, 4, 0x1002);
  Put32(b, 8, 56);
  PutText(b, 12, name);
  Put32(b, 44, static_cast<std::uint32_t>(data.size()));
  Put32(b, 48, static_cast<std::uint32_t>(data.size()));
  Put32(b, 52, reserved);
  return b + data;
}

std::uint16_t Get16(const std::string& s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(s[at]) |
                                    (static_cast<std::uint8_t>(s[at + 1]) << 8));
}

}  // namespace

std::uint32_t U32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
  return v;
}

std::string FileSpec::Bytes() const {
  std::string appInfo;
  if (withAppInfo) {
    std::string data(276, '\0');
    data[0] = static_cast<char>(renamed >> 8);
    data[1] = static_cast<char>(renamed);
    for (std::size_t i = 0; i < 16; ++i) {
      PutText(data, 2 + 16 * i, names[i]);
      data[258 + i] = static_cast<char>(ids[i]);
    }
    appInfo = Block(data + appSpecific, dbName, appInfoReserved);
  }
  const std::string sortInfo = sortInfoData.empty() ? "" : Block(sortInfoData, dbName, 0);

  std::string header(84, '\0');
  Put32(header, 0, headerSize);
  Put16(header, 4, 1);
  PutText(header, 6, dbName);
  Put32(header, 40, version);
  Put32(header, 44, creator);
  Put32(header, 48, type);
  Put32(header, 64, creationDate);
  Put32(header, 72, static_cast<std::uint32_t>(records.size()));
  Put32(header, 76, static_cast<std::uint32_t>(appInfo.size()));
  Put32(header, 80, static_cast<std::uint32_t>(sortInfo.size()));

  std::string file = header + appInfo + sortInfo;
  for (const RecordSpec& r : records) {
    std::string h(40, '\0');
    Put32(h, 0, r.sizeOverride != 0 ? r.sizeOverride : static_cast<std::uint32_t>(40 + r.data.size()));
    Put32(h, 4, 0x1002);
    Put32(h, 8, 40);
    Put32(h, 16, r.id);
    Put16(h, 24, r.attributes);
    Put32(h, 28, r.category);
    Put32(h, 36, static_cast<std::uint32_t>(r.data.size()));
    file += h + r.data;
  }
  return file + trailing;
}

std::string PlainBody(const std::string& text) {
  std::string body = text;
  body.push_back('\0');
  body.resize((body.size() + 7) / 8 * 8, '\0');
  return body;
}

std::string EncryptedBody(const std::string& text, const std::string& password) {
  std::string body = PlainBody(text);
  CBlowfish cipher;
  cipher.SetKey(password);
  for (std::size_t at = 0; at + 8 <= body.size(); at += 8) {
    // The handheld's halves are big-endian; the cipher takes native
    // little-endian halves, so each word is reversed around the call.
    std::uint8_t block[8];
    for (int i = 0; i < 8; ++i) block[i] = static_cast<std::uint8_t>(body[at + static_cast<std::size_t>((i / 4) * 4 + 3 - i % 4)]);
    cipher.Encrypt(block, 8);
    for (int i = 0; i < 8; ++i) body[at + static_cast<std::size_t>((i / 4) * 4 + 3 - i % 4)] = static_cast<char>(block[i]);
  }
  return body;
}

std::string ProtectedAppSpecific(const std::string& password, const std::string& hint) {
  const auto digest = CMd5::Of(password);
  return std::string(4, '\0') + std::string(reinterpret_cast<const char*>(digest.data()), 16) +
         hint + std::string(1, '\0');
}

std::string ParsedFile::AppInfoData() const {
  if (appInfo.size() < 56) return {};
  return appInfo.substr(U32(appInfo, 8));
}

bool ParseFile(const std::string& bytes, ParsedFile& out) {
  out = ParsedFile();
  if (bytes.size() < 84 || U32(bytes, 0) != 84) return false;
  out.header = bytes.substr(0, 84);
  std::size_t at = 84;
  const std::uint32_t appSize = U32(bytes, 76), sortSize = U32(bytes, 80);
  if (bytes.size() < at + appSize) return false;
  out.appInfo = bytes.substr(at, appSize);
  at += appSize;
  if (bytes.size() < at + sortSize) return false;
  out.sortInfo = bytes.substr(at, sortSize);
  at += sortSize;
  for (std::uint32_t i = 0, n = U32(bytes, 72); i < n; ++i) {
    if (bytes.size() < at + 40) return false;
    ParsedRecord r;
    r.size = U32(bytes, at);
    if (r.size < 40 || bytes.size() < at + r.size) return false;
    r.id = U32(bytes, at + 16);
    r.attributes = Get16(bytes, at + 24);
    r.category = U32(bytes, at + 28);
    const std::uint32_t length = U32(bytes, at + 36);
    if (length != r.size - 40) return false;
    r.data = bytes.substr(at + 40, length);
    out.records.push_back(r);
    at += r.size;
  }
  out.end = at;
  return true;
}

}  // namespace tooltest
