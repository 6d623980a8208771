#pragma once
// The Quillet memo application of the simulated handheld: its rules for the
// memo database on a device.  Memo texts, category names, the password and the
// hint are CP932 bytes; texts have "\n" line ends.
//
// A memo body on the device is the text followed by one zero byte.  When the
// memos are protected the body is that, zero-padded to a multiple of 8 and
// encrypted with Blowfish (ECB, big-endian halves) under the password, and the
// app-info data holds the MD5 digest of the password and a hint.  The desktop
// store writes bodies the same way, so the conduit carries them unchanged.
//
// Every change marks the memo dirty so that the next HotSync carries it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "handheld/Device.h"
#include "handheld/PdbFile.h"

class CBlowfish;

class CMemoApp {
 public:
  static constexpr const char* DB_NAME = "QuilletMemoDB";
  static constexpr std::uint32_t DB_CREATOR = PdbLayout::FourCC("DeRu");
  static constexpr std::uint32_t DB_TYPE = PdbLayout::FourCC("DATA");
  static constexpr const char* UNFILED = "Unfiled";
  // Ids of categories made on the handheld stay below this; the desktop uses the rest.
  static constexpr std::uint8_t HANDHELD_CATEGORY_ID_LIMIT = 128;

  struct Memo {
    std::uint32_t id = 0;
    std::size_t index = 0;
    std::uint8_t attributes = 0;  // the raw record attribute byte
    std::uint8_t category = 0;    // 0 for a deleted memo
    bool deleted = false;
    bool dirty = false;
    bool archived = false;
    bool secret = false;
    bool hasBody = false;
  };

  explicit CMemoApp(CDevice& device);
  ~CMemoApp();
  CMemoApp(const CMemoApp&) = delete;
  CMemoApp& operator=(const CMemoApp&) = delete;

  // Makes an empty memo database with "Unfiled" in slot 0 (HH_ERR_EXISTS when
  // the device has one) and keeps it open.
  int Create();
  // Reads the memo database of the device.  HH_ERR_DAMAGED for a file that is
  // not a memo database (CheckDatabase), or whose header names another database.
  int Open();
  // The memo application's rules for its database image, which the device
  // applies whenever the memo database is read or written: a record database;
  // an app-info block, when there is one, that holds the category block; and a
  // last record whose body is whole: not empty unless the memo is deleted,
  // ending with its zero byte or, when the memos are protected, whole cipher
  // blocks.  A file cut inside its last record fails the last rule (a cut by
  // whole cipher blocks through an encrypted body cannot be told apart from a
  // shorter text).  HH_OK or HH_ERR_DAMAGED.
  static int CheckDatabase(const CPdbFile& database);
  // Writes it back, crash-safely.
  int Save();

  // ---- Password ----
  bool IsProtected() const;
  // The hint, up to its zero byte; empty when there is none.
  std::string Hint() const;
  // Accepts the password when its digest matches the stored one (HH_ERR_PASSWORD
  // otherwise).  On unprotected memos any password is accepted and ignored.
  int Unlock(std::string_view password);
  bool IsUnlocked() const { return m_cipher != nullptr; }
  // Protects the memos: stores the digest and the hint and encrypts every body
  // (those memos become dirty).  HH_ERR_PROTECTED when a password is set already.
  int SetPassword(std::string_view password, std::string_view hint);
  // Removes the protection: decrypts every body (dirty too), zeroes digest and
  // hint.  Needs the memos unlocked.
  int ClearPassword();

  // ---- Memos ----
  std::size_t MemoCount() const { return m_db.RecordCount(); }
  int MemoAt(std::size_t index, Memo& memo) const;
  long IndexOfMemo(std::uint32_t id) const { return m_db.IndexOfId(id); }
  // The text of a memo: the body up to its first zero byte, decrypted when the
  // memos are protected (which needs them unlocked).  Empty for a dropped body.
  int TextAt(std::size_t index, std::string& text) const;
  // A new memo under a new unique id, dirty.
  int AddMemo(std::string_view text, std::uint8_t category, bool secret, std::uint32_t* id);
  int SetMemoText(std::uint32_t id, std::string_view text);
  int SetMemoCategory(std::uint32_t id, std::uint8_t category);
  int SetMemoSecret(std::uint32_t id, bool secret);
  // Deleting drops the body; archiving keeps it.  Either way the memo is marked
  // deleted and dirty and stays until a HotSync removes it.
  int DeleteMemo(std::uint32_t id, bool archive);

  // ---- Categories (slot 0 is "Unfiled") ----
  std::string CategoryName(std::uint8_t slot) const;
  std::uint8_t CategoryId(std::uint8_t slot) const;
  bool IsCategoryRenamed(std::uint8_t slot) const;
  bool IsCategoryUsed(std::uint8_t slot) const { return slot == 0 || !CategoryName(slot).empty(); }
  // Slot of the category with this name (ASCII letters compared without case), or -1.
  int FindCategory(std::string_view name) const;
  // Adds a category in the first free slot 1-15 with a new id below 128; it is
  // marked renamed so that the next HotSync carries it over.
  int AddCategory(std::string_view name, std::uint8_t* slot);
  int RenameCategory(std::uint8_t slot, std::string_view name);
  // Moves the category's memos to Unfiled (dirty) and empties the slot.
  int DeleteCategory(std::uint8_t slot);

  const CPdbFile& Database() const { return m_db; }

 private:
  int EnsureAppInfo();
  std::uint8_t* AppInfoData();
  int CheckText(std::string_view text) const;
  int MakeBody(std::string_view text, std::vector<std::uint8_t>& body) const;
  int CheckName(std::string_view name, int except) const;
  int DirtyRecord(std::uint32_t id, long& index, const CPdbRecord*& record);
  void Lock();

  CDevice& m_device;
  CPdbFile m_db;
  bool m_open = false;
  std::unique_ptr<CBlowfish> m_cipher;  // keyed with the password while unlocked
};
