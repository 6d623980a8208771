#include "handheld/MemoApp.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "handheld/HandheldResult.h"
#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"
#include "platform/crypto/SecureWipe.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/text/Mbcs.h"

using namespace HandheldResult;
using namespace PdbLayout;
using FileLayout::APP_DIGEST;
using FileLayout::APP_DIGEST_SIZE;
using FileLayout::APP_HINT;
using FileLayout::CAT_COUNT;
using FileLayout::CAT_IDS;
using FileLayout::CAT_LAST_ID;
using FileLayout::CAT_NAME_FIELD_SIZE;
using FileLayout::CAT_NAME_MAX;
using FileLayout::CAT_NAMES;
using FileLayout::CAT_RENAMED;

namespace {

// The memo application's app-info data with an empty hint: category block,
// four unused bytes, the digest and the hint's zero byte.
constexpr std::size_t APP_INFO_MIN_SIZE = APP_HINT + 1;
constexpr std::size_t CIPHER_BLOCK = 8;

// The text of a body: its bytes up to the first zero byte, or all of them.
std::string TextOfBody(const std::uint8_t* body, std::size_t size) {
  const std::uint8_t* end = static_cast<const std::uint8_t*>(std::memchr(body, 0, size));
  return std::string(reinterpret_cast<const char*>(body), end != nullptr ? static_cast<std::size_t>(end - body) : size);
}

// text, one zero byte and, for an encrypted body, zero padding to a whole block.
std::vector<std::uint8_t> PlainBody(std::string_view text, bool padded) {
  std::size_t size = text.size() + 1;
  if (padded) size = (size + CIPHER_BLOCK - 1) / CIPHER_BLOCK * CIPHER_BLOCK;
  std::vector<std::uint8_t> body(size, 0);
  if (!text.empty()) std::memcpy(body.data(), text.data(), text.size());
  return body;
}

// Whether the app-info block holds a password digest.
bool HoldsDigest(const std::optional<std::vector<std::uint8_t>>& info) {
  if (!info || info->size() < APP_DIGEST + APP_DIGEST_SIZE) return false;
  return std::any_of(info->begin() + APP_DIGEST, info->begin() + APP_DIGEST + APP_DIGEST_SIZE,
                     [](std::uint8_t b) { return b != 0; });
}

std::string DecryptText(CBlowfish& keyed, const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> copy(body);
  keyed.DecryptBody(copy.data(), copy.size());
  std::string text = TextOfBody(copy.data(), copy.size());
  if (!copy.empty()) SecureWipe(copy.data(), copy.size());
  return text;
}

}  // namespace

CMemoApp::CMemoApp(CDevice& device) : m_device(device) {}

CMemoApp::~CMemoApp() = default;

void CMemoApp::Lock() { m_cipher.reset(); }

// ---- Database ----------------------------------------------------------------------

int CMemoApp::Create() {
  try {
    CPdbFile::Info info;
    info.name = DB_NAME;
    info.attributes = PDB_DB_ATTR_BACKUP;
    info.type = DB_TYPE;
    info.creator = DB_CREATOR;
    CPdbFile db;
    int rc = m_device.CreateDatabase(info, db);
    if (rc != HH_OK) return rc;
    m_db = std::move(db);
    m_open = true;
    Lock();
    rc = EnsureAppInfo();
    if (rc != HH_OK) return rc;
    // The first write of a new database is not a modification of it.
    m_db.SetChanged(false);
    return m_device.WriteDatabase(m_db);
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CMemoApp::CheckDatabase(const CPdbFile& database) {
  // A memo database is a record database; an app-info block that cannot hold
  // the category block is not the memo application's.
  if (database.IsResourceDb()) return HH_ERR_DAMAGED;
  const auto& info = database.AppInfo();
  if (info && info->size() < FileLayout::CAT_BLOCK_SIZE) return HH_ERR_DAMAGED;
  // The last record's data runs to the end of the file, so a file cut short
  // loses the end of that body and nothing else shows it.  Every body the
  // application or a HotSync writes ends with the text's zero byte (plain, or
  // padded) or is whole cipher blocks (encrypted), and only a deleted memo
  // has no body.
  const std::size_t count = database.RecordCount();
  if (count == 0) return HH_OK;
  const CPdbRecord& last = *database.RecordAt(count - 1);
  if (last.data.empty()) return last.IsDeleted() ? HH_OK : HH_ERR_DAMAGED;
  if (last.data.back() == 0) return HH_OK;
  if (HoldsDigest(info) && last.data.size() % CIPHER_BLOCK == 0) return HH_OK;
  return HH_ERR_DAMAGED;
}

int CMemoApp::Open() {
  CPdbFile db;
  const int rc = m_device.ReadDatabase(DB_NAME, db);
  if (rc != HH_OK) return rc;
  m_db = std::move(db);
  m_open = true;
  Lock();
  return HH_OK;
}

int CMemoApp::Save() {
  if (!m_open) return HH_ERR_NOT_FOUND;
  return m_device.WriteDatabase(m_db);
}

int CMemoApp::EnsureAppInfo() {
  const auto& current = m_db.AppInfo();
  if (current && current->size() >= APP_INFO_MIN_SIZE) return HH_OK;
  std::vector<std::uint8_t> block = current ? *current : std::vector<std::uint8_t>();
  const bool fresh = block.size() < CAT_NAMES + CAT_NAME_FIELD_SIZE;
  block.resize(APP_INFO_MIN_SIZE, 0);
  if (fresh) std::memcpy(block.data() + CAT_NAMES, UNFILED, std::strlen(UNFILED));
  m_db.SetAppInfo(std::move(block));
  return HH_OK;
}

std::uint8_t* CMemoApp::AppInfoData() {
  // Only called after EnsureAppInfo: the block exists and is long enough.
  return m_db.MutableAppInfo()->data();
}

// ---- Password ----------------------------------------------------------------------

bool CMemoApp::IsProtected() const { return HoldsDigest(m_db.AppInfo()); }

std::string CMemoApp::Hint() const {
  const auto& info = m_db.AppInfo();
  if (!info || info->size() <= APP_HINT) return {};
  return TextOfBody(info->data() + APP_HINT, info->size() - APP_HINT);
}

int CMemoApp::Unlock(std::string_view password) {
  try {
    if (!m_open) return HH_ERR_NOT_FOUND;
    if (!IsProtected()) return HH_OK;
    const auto digest = CMd5::Of(password);
    const bool match = std::equal(digest.begin(), digest.end(), m_db.AppInfo()->begin() + APP_DIGEST);
    if (!match) {
      Lock();
      return HH_ERR_PASSWORD;
    }
    auto cipher = std::make_unique<CBlowfish>();
    cipher->SetKey(password);
    m_cipher = std::move(cipher);
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CMemoApp::SetPassword(std::string_view password, std::string_view hint) {
  try {
    if (!m_open) return HH_ERR_NOT_FOUND;
    if (IsProtected()) return HH_ERR_PROTECTED;
    if (hint.find('\0') != std::string_view::npos) return HH_ERR_ARGUMENT;
    if (APP_HINT + hint.size() + 1 > FileLayout::REC_MAX_SIZE) return HH_ERR_TOO_LARGE;
    const auto digest = CMd5::Of(password);
    // An all-zero digest would read back as "not protected"; MD5 gives none in
    // practice, but refuse it rather than lose the memos behind it.
    if (std::all_of(digest.begin(), digest.end(), [](std::uint8_t b) { return b == 0; })) return HH_ERR_ARGUMENT;
    auto cipher = std::make_unique<CBlowfish>();
    cipher->SetKey(password);

    // Build every new body first, so that running out of memory half-way leaves
    // the database as it was.
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> bodies;
    for (std::size_t i = 0; i < m_db.RecordCount(); ++i) {
      const CPdbRecord* record = m_db.RecordAt(i);
      if (record->data.empty()) continue;
      std::vector<std::uint8_t> body = PlainBody(TextOfBody(record->data.data(), record->data.size()), true);
      cipher->EncryptBody(body.data(), body.size());
      bodies.emplace_back(i, std::move(body));
    }
    int rc = EnsureAppInfo();
    if (rc != HH_OK) return rc;
    std::vector<std::uint8_t> block = *m_db.AppInfo();
    block.resize(APP_HINT + hint.size() + 1);
    std::copy(digest.begin(), digest.end(), block.begin() + APP_DIGEST);
    std::copy(hint.begin(), hint.end(), block.begin() + APP_HINT);
    block[APP_HINT + hint.size()] = 0;

    for (auto& [index, body] : bodies) {
      m_db.SetData(index, std::move(body));
      m_db.SetAttributes(index, static_cast<std::uint8_t>(m_db.RecordAt(index)->attributes | PDB_REC_DIRTY));
    }
    m_db.SetAppInfo(std::move(block));
    m_cipher = std::move(cipher);
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CMemoApp::ClearPassword() {
  try {
    if (!m_open) return HH_ERR_NOT_FOUND;
    if (!IsProtected()) return HH_ERR_NOT_PROTECTED;
    if (!m_cipher) return HH_ERR_PASSWORD;
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> bodies;
    for (std::size_t i = 0; i < m_db.RecordCount(); ++i) {
      const CPdbRecord* record = m_db.RecordAt(i);
      if (record->data.empty()) continue;
      std::string text = DecryptText(*m_cipher, record->data);
      bodies.emplace_back(i, PlainBody(text, false));
    }
    std::vector<std::uint8_t> block = *m_db.AppInfo();
    std::fill(block.begin() + APP_DIGEST, block.begin() + APP_DIGEST + APP_DIGEST_SIZE, 0);
    block.resize(APP_INFO_MIN_SIZE);
    block[APP_HINT] = 0;
    for (auto& [index, body] : bodies) {
      m_db.SetData(index, std::move(body));
      m_db.SetAttributes(index, static_cast<std::uint8_t>(m_db.RecordAt(index)->attributes | PDB_REC_DIRTY));
    }
    m_db.SetAppInfo(std::move(block));
    Lock();
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

// ---- Memos ----------------------------------------------------------------------------

int CMemoApp::MemoAt(std::size_t index, Memo& memo) const {
  const CPdbRecord* record = m_db.RecordAt(index);
  if (record == nullptr) return HH_ERR_NOT_FOUND;
  memo.id = record->uniqueId;
  memo.index = index;
  memo.attributes = record->attributes;
  memo.category = record->Category();
  memo.deleted = record->IsDeleted();
  memo.dirty = record->IsDirty();
  memo.archived = record->IsArchived();
  memo.secret = record->IsSecret();
  memo.hasBody = !record->data.empty();
  return HH_OK;
}

int CMemoApp::TextAt(std::size_t index, std::string& text) const {
  try {
    const CPdbRecord* record = m_db.RecordAt(index);
    if (record == nullptr) return HH_ERR_NOT_FOUND;
    if (record->data.empty()) {
      text.clear();
      return HH_OK;
    }
    if (!IsProtected()) {
      text = TextOfBody(record->data.data(), record->data.size());
      return HH_OK;
    }
    if (!m_cipher) return HH_ERR_PASSWORD;
    text = DecryptText(*m_cipher, record->data);
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CMemoApp::CheckText(std::string_view text) const {
  if (text.find('\0') != std::string_view::npos) return HH_ERR_ARGUMENT;
  // The body must fit in one desktop record, so that the conduit can carry it.
  if (text.size() + 1 > FileLayout::REC_MAX_DATA) return HH_ERR_TOO_LARGE;
  return HH_OK;
}

int CMemoApp::MakeBody(std::string_view text, std::vector<std::uint8_t>& body) const {
  int rc = CheckText(text);
  if (rc != HH_OK) return rc;
  if (!IsProtected()) {
    body = PlainBody(text, false);
    return HH_OK;
  }
  if (!m_cipher) return HH_ERR_PASSWORD;
  body = PlainBody(text, true);
  m_cipher->EncryptBody(body.data(), body.size());
  return HH_OK;
}

int CMemoApp::AddMemo(std::string_view text, std::uint8_t category, bool secret, std::uint32_t* id) {
  try {
    if (!m_open) return HH_ERR_NOT_FOUND;
    if (category >= CAT_COUNT || !IsCategoryUsed(category)) return HH_ERR_NOT_FOUND;
    CPdbRecord record;
    int rc = MakeBody(text, record.data);
    if (rc != HH_OK) return rc;
    record.attributes = static_cast<std::uint8_t>(PDB_REC_DIRTY | category | (secret ? PDB_REC_SECRET : 0));
    return m_db.WriteRecord(std::move(record), id);
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

// The live (not deleted) memo with this id.
int CMemoApp::DirtyRecord(std::uint32_t id, long& index, const CPdbRecord*& record) {
  if (!m_open) return HH_ERR_NOT_FOUND;
  index = m_db.IndexOfId(id);
  if (index < 0) return HH_ERR_NOT_FOUND;
  record = m_db.RecordAt(static_cast<std::size_t>(index));
  if (record->IsDeleted()) return HH_ERR_NOT_FOUND;
  return HH_OK;
}

int CMemoApp::SetMemoText(std::uint32_t id, std::string_view text) {
  try {
    long index = -1;
    const CPdbRecord* record = nullptr;
    int rc = DirtyRecord(id, index, record);
    if (rc != HH_OK) return rc;
    std::vector<std::uint8_t> body;
    rc = MakeBody(text, body);
    if (rc != HH_OK) return rc;
    const auto at = static_cast<std::size_t>(index);
    m_db.SetData(at, std::move(body));
    return m_db.SetAttributes(at, static_cast<std::uint8_t>(record->attributes | PDB_REC_DIRTY));
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CMemoApp::SetMemoCategory(std::uint32_t id, std::uint8_t category) {
  long index = -1;
  const CPdbRecord* record = nullptr;
  const int rc = DirtyRecord(id, index, record);
  if (rc != HH_OK) return rc;
  if (category >= CAT_COUNT || !IsCategoryUsed(category)) return HH_ERR_NOT_FOUND;
  const auto attributes = static_cast<std::uint8_t>((record->attributes & ~PDB_REC_CATEGORY_MASK) | category | PDB_REC_DIRTY);
  return m_db.SetAttributes(static_cast<std::size_t>(index), attributes);
}

int CMemoApp::SetMemoSecret(std::uint32_t id, bool secret) {
  long index = -1;
  const CPdbRecord* record = nullptr;
  const int rc = DirtyRecord(id, index, record);
  if (rc != HH_OK) return rc;
  auto attributes = static_cast<std::uint8_t>((record->attributes & ~PDB_REC_SECRET) | PDB_REC_DIRTY);
  if (secret) attributes = static_cast<std::uint8_t>(attributes | PDB_REC_SECRET);
  return m_db.SetAttributes(static_cast<std::size_t>(index), attributes);
}

int CMemoApp::DeleteMemo(std::uint32_t id, bool archive) {
  long index = -1;
  const CPdbRecord* record = nullptr;
  const int rc = DirtyRecord(id, index, record);
  if (rc != HH_OK) return rc;
  const auto at = static_cast<std::size_t>(index);
  auto attributes = static_cast<std::uint8_t>(PDB_REC_DELETED | PDB_REC_DIRTY | (record->attributes & PDB_REC_SECRET));
  if (archive) {
    attributes = static_cast<std::uint8_t>(attributes | PDB_REC_ARCHIVED);
  } else {
    m_db.SetData(at, {});
  }
  return m_db.SetAttributes(at, attributes);
}

// ---- Categories ------------------------------------------------------------------------

std::string CMemoApp::CategoryName(std::uint8_t slot) const {
  const auto& info = m_db.AppInfo();
  if (slot >= CAT_COUNT) return {};
  const std::size_t at = CAT_NAMES + slot * CAT_NAME_FIELD_SIZE;
  if (!info || info->size() < at + CAT_NAME_FIELD_SIZE) return slot == 0 ? UNFILED : std::string();
  return TextOfBody(info->data() + at, CAT_NAME_FIELD_SIZE);
}

std::uint8_t CMemoApp::CategoryId(std::uint8_t slot) const {
  const auto& info = m_db.AppInfo();
  if (slot >= CAT_COUNT || !info || info->size() <= CAT_IDS + slot) return 0;
  return (*info)[CAT_IDS + slot];
}

bool CMemoApp::IsCategoryRenamed(std::uint8_t slot) const {
  const auto& info = m_db.AppInfo();
  if (slot >= CAT_COUNT || !info || info->size() < CAT_RENAMED + 2) return false;
  return (FileLayout::ReadU16BE(info->data() + CAT_RENAMED) & (1u << slot)) != 0;
}

int CMemoApp::FindCategory(std::string_view name) const {
  for (std::uint8_t slot = 0; slot < CAT_COUNT; ++slot) {
    const std::string existing = CategoryName(slot);
    if (!existing.empty() && MbsCompareNoCase(existing, name) == 0) return slot;
  }
  return -1;
}

int CMemoApp::CheckName(std::string_view name, int except) const {
  if (name.empty() || name.find('\0') != std::string_view::npos) return HH_ERR_ARGUMENT;
  if (name.size() > CAT_NAME_MAX) return HH_ERR_TOO_LARGE;
  const int existing = FindCategory(name);
  if (existing >= 0 && existing != except) return HH_ERR_EXISTS;
  return HH_OK;
}

int CMemoApp::AddCategory(std::string_view name, std::uint8_t* slot) {
  try {
    if (!m_open) return HH_ERR_NOT_FOUND;
    int rc = CheckName(name, -1);
    if (rc != HH_OK) return rc;
    rc = EnsureAppInfo();
    if (rc != HH_OK) return rc;
    // Slot 0 is Unfiled and never free, so 0 stands for "none".
    std::uint8_t freeSlot = 0;
    for (std::uint8_t s = 1; s < CAT_COUNT && freeSlot == 0; ++s) {
      if (!IsCategoryUsed(s)) freeSlot = s;
    }
    if (freeSlot == 0) return HH_ERR_FULL;
    // The next id after the last one given out, below 128 and not in use.
    bool used[HANDHELD_CATEGORY_ID_LIMIT] = {};
    for (std::uint8_t s = 0; s < CAT_COUNT; ++s) {
      const std::uint8_t id = CategoryId(s);
      if (IsCategoryUsed(s) && id < HANDHELD_CATEGORY_ID_LIMIT) used[id] = true;
    }
    std::uint8_t* data = AppInfoData();
    int newId = -1;
    for (int step = 1; step < HANDHELD_CATEGORY_ID_LIMIT && newId < 0; ++step) {
      const int candidate = (data[CAT_LAST_ID] % HANDHELD_CATEGORY_ID_LIMIT + step) % HANDHELD_CATEGORY_ID_LIMIT;
      if (candidate != 0 && !used[candidate]) newId = candidate;
    }
    if (newId < 0) return HH_ERR_FULL;
    std::uint8_t* field = data + CAT_NAMES + freeSlot * CAT_NAME_FIELD_SIZE;
    std::memset(field, 0, CAT_NAME_FIELD_SIZE);
    std::memcpy(field, name.data(), name.size());
    data[CAT_IDS + freeSlot] = static_cast<std::uint8_t>(newId);
    data[CAT_LAST_ID] = static_cast<std::uint8_t>(newId);
    FileLayout::WriteU16BE(data + CAT_RENAMED,
                           static_cast<std::uint16_t>(FileLayout::ReadU16BE(data + CAT_RENAMED) | (1u << freeSlot)));
    if (slot != nullptr) *slot = freeSlot;
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CMemoApp::RenameCategory(std::uint8_t slot, std::string_view name) {
  try {
    if (!m_open) return HH_ERR_NOT_FOUND;
    if (slot == 0) return HH_ERR_ARGUMENT;  // "Unfiled" keeps its name
    if (slot >= CAT_COUNT || !IsCategoryUsed(slot)) return HH_ERR_NOT_FOUND;
    int rc = CheckName(name, slot);
    if (rc != HH_OK) return rc;
    rc = EnsureAppInfo();
    if (rc != HH_OK) return rc;
    std::uint8_t* data = AppInfoData();
    std::uint8_t* field = data + CAT_NAMES + slot * CAT_NAME_FIELD_SIZE;
    std::memset(field, 0, CAT_NAME_FIELD_SIZE);
    std::memcpy(field, name.data(), name.size());
    FileLayout::WriteU16BE(data + CAT_RENAMED,
                           static_cast<std::uint16_t>(FileLayout::ReadU16BE(data + CAT_RENAMED) | (1u << slot)));
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CMemoApp::DeleteCategory(std::uint8_t slot) {
  try {
    if (!m_open) return HH_ERR_NOT_FOUND;
    if (slot == 0) return HH_ERR_ARGUMENT;
    if (slot >= CAT_COUNT || !IsCategoryUsed(slot)) return HH_ERR_NOT_FOUND;
    const int rc = EnsureAppInfo();
    if (rc != HH_OK) return rc;
    for (long i = m_db.NextInCategory(0, slot); i >= 0; i = m_db.NextInCategory(static_cast<std::size_t>(i) + 1, slot)) {
      const auto at = static_cast<std::size_t>(i);
      const std::uint8_t attributes = m_db.RecordAt(at)->attributes;
      m_db.SetAttributes(at, static_cast<std::uint8_t>((attributes & ~PDB_REC_CATEGORY_MASK) | PDB_REC_DIRTY));
    }
    std::uint8_t* data = AppInfoData();
    std::memset(data + CAT_NAMES + slot * CAT_NAME_FIELD_SIZE, 0, CAT_NAME_FIELD_SIZE);
    data[CAT_IDS + slot] = 0;
    FileLayout::WriteU16BE(data + CAT_RENAMED,
                           static_cast<std::uint16_t>(FileLayout::ReadU16BE(data + CAT_RENAMED) & ~(1u << slot)));
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}
