// The registry file: parsing, writing and the key and value operations.

#include "platform/registry/Registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>
#include <utility>

#include "platform/files/AtomicFileWriter.h"
#include "platform/files/FileLock.h"
#include "platform/files/FileSystem.h"
#include "platform/files/StaleTemporaries.h"
#include "platform/text/Hex.h"

namespace {

constexpr const char* MAGIC = "QUILLET REGISTRY 1";

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// A quoted text with the escapes of the file.
std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += "\\x";
          AppendHex(out, byte, 2);
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

// Reads a quoted text starting at text[pos] == '"'; pos ends after the closing
// quote.  False when the text is not properly quoted.
bool Unquote(std::string_view text, std::size_t& pos, std::string& out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  out.clear();
  for (++pos; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++pos >= text.size()) return false;
    switch (text[pos]) {
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': {
        std::uint8_t byte = 0;
        if (pos + 2 >= text.size() || !ParseHex(text.substr(pos + 1, 2), byte)) return false;
        out += static_cast<char>(byte);
        pos += 2;
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

// Writes `bytes` to `path` through a temporary file in the same folder.
// REG_OK, REG_ERR_NO_MEMORY when memory ran out on the way, else REG_ERR_IO.
int WriteCrashSafe(const std::filesystem::path& path, const std::string& bytes, std::string& error) {
  std::filesystem::path folder = path.parent_path();
  if (!folder.empty() && !Files::MakeFolders(folder.string())) {
    if (errno == ENOMEM) return CRegistry::REG_ERR_NO_MEMORY;
    error = "cannot create " + folder.string() + ": " + std::strerror(errno);
    return CRegistry::REG_ERR_IO;
  }
  // A new registry is private to its user; an existing one keeps its permissions.
  CAtomicFileWriter out;
  CAtomicFileWriter::Options options;
  options.newFileMode = 0600;
  Files::FileResult rc = out.Begin(path.string(), options);
  if (rc == Files::FILE_OK) rc = out.Write(bytes.data(), bytes.size());
  if (rc == Files::FILE_OK) rc = out.Commit();
  // Flushing the folder is best effort: the file itself is whole by then.
  if (rc == Files::FILE_OK || rc == Files::FILE_ERR_FOLDER_SYNC) return CRegistry::REG_OK;
  if (rc == Files::FILE_ERR_NO_MEMORY) return CRegistry::REG_ERR_NO_MEMORY;
  error = "cannot write " + path.string() + ": " + std::strerror(out.SystemError());
  return CRegistry::REG_ERR_IO;
}

}  // namespace

std::filesystem::path CRegistry::DefaultPath() {
  std::string own = EnvOrEmpty("QUILLET_CONFIG_HOME");
  if (!own.empty()) return std::filesystem::path(own) / FILE_NAME;
  std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
  if (config.empty()) {
    std::string home = EnvOrEmpty("HOME");
    config = (std::filesystem::path(home.empty() ? "." : home) / ".config").string();
  }
  return std::filesystem::path(config) / "quillet" / FILE_NAME;
}

CRegistry::CRegistry(std::filesystem::path file) : m_file(std::move(file)) {}

std::string CRegistry::Fold(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string CRegistry::Normalize(std::string_view key) {
  std::string out;
  for (char c : key) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool CRegistry::ValidPath(std::string_view key) {
  std::string path = Normalize(key);
  if (path.empty() || Fold(path).rfind("hkey_", 0) != 0) return false;
  for (char c : path) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
  }
  return true;
}

bool CRegistry::KeyExists(std::string_view key) const {
  return m_keys.count(Fold(Normalize(key))) != 0;
}

int CRegistry::CreateKey(std::string_view key) {
  if (!ValidPath(key)) return REG_ERR_ARGUMENT;
  std::string path = Normalize(key);
  try {
    // Every key above it exists as well.
    for (std::size_t end = path.find('\\'); ; end = path.find('\\', end + 1)) {
      std::string part = end == std::string::npos ? path : path.substr(0, end);
      auto [it, added] = m_keys.try_emplace(Fold(part));
      if (added) it->second.path = part;
      if (end == std::string::npos) break;
    }
  } catch (const std::bad_alloc&) {
    return REG_ERR_NO_MEMORY;
  }
  return REG_OK;
}

int CRegistry::DeleteKey(std::string_view key) {
  std::string folded = Fold(Normalize(key));
  auto it = m_keys.find(folded);
  if (it == m_keys.end()) return REG_ERR_NOT_FOUND;
  std::string below = folded + '\\';
  for (it = m_keys.begin(); it != m_keys.end();) {
    if (it->first == folded || it->first.rfind(below, 0) == 0) {
      it = m_keys.erase(it);
    } else {
      ++it;
    }
  }
  return REG_OK;
}

std::vector<std::string> CRegistry::SubKeys(std::string_view key) const {
  std::vector<std::string> names;
  std::string below = Fold(Normalize(key)) + '\\';
  for (const auto& [folded, entry] : m_keys) {
    if (folded.rfind(below, 0) != 0) continue;
    if (folded.find('\\', below.size()) != std::string::npos) continue;
    names.push_back(entry.path.substr(below.size()));
  }
  return names;
}

std::vector<std::string> CRegistry::ValueNames(std::string_view key) const {
  std::vector<std::string> names;
  auto it = m_keys.find(Fold(Normalize(key)));
  if (it == m_keys.end()) return names;
  for (const auto& [folded, value] : it->second.values) names.push_back(value.name);
  return names;
}

int CRegistry::Set(std::string_view key, std::string_view name, ValueType type, std::string data) {
  int result = CreateKey(key);
  if (result != REG_OK) return result;
  try {
    Value& value = m_keys[Fold(Normalize(key))].values[Fold(name)];
    value.name = name;
    value.type = type;
    value.data = std::move(data);
  } catch (const std::bad_alloc&) {
    return REG_ERR_NO_MEMORY;
  }
  return REG_OK;
}

const CRegistry::Value* CRegistry::Find(std::string_view key, std::string_view name) const {
  auto it = m_keys.find(Fold(Normalize(key)));
  if (it == m_keys.end()) return nullptr;
  auto value = it->second.values.find(Fold(name));
  return value == it->second.values.end() ? nullptr : &value->second;
}

int CRegistry::SetString(std::string_view key, std::string_view name, std::string_view value) {
  return Set(key, name, TYPE_STRING, std::string(value));
}

int CRegistry::SetDword(std::string_view key, std::string_view name, std::uint32_t value) {
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return Set(key, name, TYPE_DWORD, std::move(data));
}

int CRegistry::SetBinary(std::string_view key, std::string_view name, std::string_view bytes) {
  return Set(key, name, TYPE_BINARY, std::string(bytes));
}

int CRegistry::GetString(std::string_view key, std::string_view name, std::string& value) const {
  const Value* found = Find(key, name);
  if (found == nullptr) return REG_ERR_NOT_FOUND;
  if (found->type != TYPE_STRING) return REG_ERR_TYPE;
  value = found->data;
  return REG_OK;
}

int CRegistry::GetDword(std::string_view key, std::string_view name, std::uint32_t& value) const {
  const Value* found = Find(key, name);
  if (found == nullptr) return REG_ERR_NOT_FOUND;
  if (found->type != TYPE_DWORD || found->data.size() != 4) return REG_ERR_TYPE;
  value = 0;
  for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(found->data[i]);
  return REG_OK;
}

int CRegistry::GetBinary(std::string_view key, std::string_view name, std::string& bytes) const {
  const Value* found = Find(key, name);
  if (found == nullptr) return REG_ERR_NOT_FOUND;
  if (found->type != TYPE_BINARY) return REG_ERR_TYPE;
  bytes = found->data;
  return REG_OK;
}

int CRegistry::DeleteValue(std::string_view key, std::string_view name) {
  auto it = m_keys.find(Fold(Normalize(key)));
  if (it == m_keys.end() || it->second.values.erase(Fold(name)) == 0) return REG_ERR_NOT_FOUND;
  return REG_OK;
}

int CRegistry::ValueTypeOf(std::string_view key, std::string_view name) const {
  const Value* found = Find(key, name);
  return found == nullptr ? 0 : found->type;
}

std::string CRegistry::Serialize() const {
  std::string out = MAGIC;
  out += '\n';
  for (const auto& [folded, key] : m_keys) {
    out += "\n[" + key.path + "]\n";
    for (const auto& [foldedName, value] : key.values) {
      out += value.name.empty() ? std::string("@") : Quote(value.name);
      out += '=';
      switch (value.type) {
        case TYPE_STRING:
          out += Quote(value.data);
          break;
        case TYPE_DWORD: {
          std::uint32_t number = 0;
          for (std::size_t i = 4; i-- > 0;) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
          out += "dword:";
          AppendHex(out, number, 8);
          break;
        }
        case TYPE_BINARY:
          out += "hex:";
          for (std::size_t i = 0; i < value.data.size(); ++i) {
            if (i > 0) out += ',';
            AppendHex(out, static_cast<unsigned char>(value.data[i]), 2);
          }
          break;
      }
      out += '\n';
    }
  }
  return out;
}

int CRegistry::Parse(std::string_view text) {
  std::map<std::string, Key> keys;
  std::swap(keys, m_keys);
  auto fail = [&](std::size_t lineNumber, const char* what) {
    m_keys = std::move(keys);
    m_error = m_file.string() + ":" + std::to_string(lineNumber) + ": " + what;
    return REG_ERR_DAMAGED;
  };
  try {
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    bool sawMagic = false;
    std::string current;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(pos, end - pos);
      pos = end + 1;
      ++lineNumber;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.empty() || line[0] == ';') continue;
      if (!sawMagic) {
        if (line != MAGIC) return fail(lineNumber, "not a registry file");
        sawMagic = true;
        continue;
      }
      if (line[0] == '[') {
        if (line.back() != ']') return fail(lineNumber, "key line without ']'");
        std::string_view path = line.substr(1, line.size() - 2);
        if (CreateKey(path) != REG_OK) return fail(lineNumber, "bad key path");
        current = std::string(path);
        continue;
      }
      if (current.empty()) return fail(lineNumber, "value outside a key");
      std::string name;
      std::size_t at = 0;
      if (line[0] == '@') {
        at = 1;
      } else if (!Unquote(line, at, name)) {
        return fail(lineNumber, "bad value name");
      }
      if (at >= line.size() || line[at] != '=') return fail(lineNumber, "'=' missing");
      std::string_view data = line.substr(at + 1);
      if (!data.empty() && data[0] == '"') {
        std::string value;
        std::size_t from = 0;
        if (!Unquote(data, from, value) || from != data.size()) return fail(lineNumber, "bad text value");
        SetString(current, name, value);
      } else if (data.rfind("dword:", 0) == 0) {
        std::string_view digits = data.substr(6);
        std::uint32_t number = 0;
        if (digits.size() != 8 || !ParseHex(digits, number)) return fail(lineNumber, "bad dword value");
        SetDword(current, name, number);
      } else if (data.rfind("hex:", 0) == 0) {
        std::string_view digits = data.substr(4);
        std::string bytes;
        for (std::size_t i = 0; i < digits.size(); i += 3) {
          std::uint8_t byte = 0;
          if (i + 1 >= digits.size() || !ParseHex(digits.substr(i, 2), byte) ||
              (i + 2 < digits.size() && digits[i + 2] != ',')) {
            return fail(lineNumber, "bad hex value");
          }
          bytes += static_cast<char>(byte);
        }
        SetBinary(current, name, bytes);
      } else {
        return fail(lineNumber, "unknown value type");
      }
    }
  } catch (const std::bad_alloc&) {
    m_keys = std::move(keys);
    m_error = "out of memory";
    return REG_ERR_NO_MEMORY;
  }
  return REG_OK;
}

int CRegistry::Load() {
  m_error.clear();
  try {
    std::vector<std::uint8_t> bytes;
    switch (Files::ReadWholeFile(m_file.string(), bytes)) {
      case Files::FILE_OK:
        break;
      case Files::FILE_ERR_NOT_FOUND:
        m_keys.clear();
        return REG_OK;
      case Files::FILE_ERR_NO_MEMORY:
        m_error = "out of memory";
        return REG_ERR_NO_MEMORY;
      default:
        m_error = "cannot read " + m_file.string() + ": " + std::strerror(errno);
        return REG_ERR_IO;
    }
    return Parse(std::string(bytes.begin(), bytes.end()));
  } catch (const std::bad_alloc&) {
    m_error = "out of memory";
    return REG_ERR_NO_MEMORY;
  }
}

int CRegistry::Save() {
  m_error.clear();
  try {
    const int result = WriteCrashSafe(m_file, Serialize(), m_error);
    if (result == REG_ERR_NO_MEMORY) m_error = "out of memory";
    return result;
  } catch (const std::bad_alloc&) {
    m_error = "out of memory";
    return REG_ERR_NO_MEMORY;
  }
}

int CRegistry::Update(const std::function<bool(CRegistry&)>& change) {
  try {
    if (!m_file.parent_path().empty()) (void)Files::MakeFolders(m_file.parent_path().string());
    // Another program that hangs while holding the lock must not hang this
    // one: the lock is waited for as long as every shared file of ours waits.
    const std::string lockPath = m_file.string() + ".lock";
    CFileLock lock;
    switch (lock.AcquireLockFile(lockPath)) {
      case CFileLock::LOCK_OK:
        break;
      case CFileLock::LOCK_BUSY:
        m_error = lockPath + " is in use by another program";
        return REG_ERR_BUSY;
      case CFileLock::LOCK_FAILED:
        if (lock.SystemError() == ENOMEM) {
          m_error = "out of memory";
          return REG_ERR_NO_MEMORY;
        }
        m_error = "cannot lock " + lockPath + ": " + std::strerror(lock.SystemError());
        return REG_ERR_IO;
    }
    int result = REG_OK;
    // Holding the lock, no other writer is busy with the file: what a killed
    // writer left behind can go.
    (void)Files::RemoveStaleTemporaries(m_file.string());
    result = Load();
    if (result == REG_OK && change(*this)) result = Save();
    return result;  // the lock goes with `lock`
  } catch (const std::bad_alloc&) {
    // From the paths or from `change`: nothing was saved.
    m_error = "out of memory";
    return REG_ERR_NO_MEMORY;
  }
}
