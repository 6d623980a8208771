#pragma once
// What the HotSync Manager keeps between HotSyncs, in the registry:
//
//   HKEY_CURRENT_USER\Software\Quillet\HotSync
//     "PcId"        this desktop's id, made once at random, never 0
//     "LastUser"    the user of the last HotSync
//   ...\HotSync\Users\<user>
//     "UserId"      the handheld's user id
//   ...\HotSync\Users\<user>\Conduits\Quillet
//     "SyncAction"      the permanent action (sync type; none stored: synchronise)
//     "NextSyncAction"  the action of the next HotSync only, when one was chosen
//     "SlowSyncNeeded"  1 after a HotSync that failed: the next one compares
//                       every memo, since one side may hold changes the other
//                       side already took as synchronised
//
// A backslash in a user name is written as %5C in its key name (and '%' as
// %25), so that every name is one key.  A user name that is empty or holds a
// control character is refused: nothing is stored for it, and reading its
// settings gives the defaults.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/Registry.h"

class CHotSyncSettings {
 public:
  static constexpr const char* ROOT_KEY = "HKEY_CURRENT_USER\\Software\\Quillet\\HotSync";

  struct Actions {
    std::int32_t permanent = 0;          // SyncAction, 0 when none is stored
    std::optional<std::int32_t> next;    // NextSyncAction
  };

  explicit CHotSyncSettings(CRegistry registry = CRegistry());

  // Why the last change failed: the user name or the registry.
  const std::string& Error() const { return m_error; }
  const CRegistry& Registry() const { return m_registry; }

  // This desktop's id, made (and stored) on first use.  0 when the registry
  // cannot be written.
  std::uint32_t PcId();

  // Every change below returns false, with Error() set, when nothing could be
  // stored: a refused user name, a registry that cannot be read or written.

  // Records a HotSync user (and makes it the last user).
  bool RememberUser(const std::string& user, std::uint32_t userId);
  std::vector<std::string> Users();
  // The name of a user who has HotSynced with this desktop, spelt as it was
  // stored (names compare without regard to ASCII case, as keys do); "" for
  // a user it does not know.
  std::string KnownUser(const std::string& user);
  // The user a command means when none is named: the last user, else the
  // only user; "" when that is not clear.
  std::string DefaultUser();
  // The user's handheld id; 0 when not known.
  std::uint32_t UserId(const std::string& user);

  Actions GetActions(const std::string& user);
  // Stores an action: permanent (and the next-only one dropped) or for the
  // next HotSync only.
  bool SetAction(const std::string& user, std::int32_t syncType, bool permanent);
  // Drops the next-only action after the HotSync it was meant for (true when
  // there was none).
  bool ConsumeNextAction(const std::string& user);

  // Whether the last HotSync of the user failed, so that the next one must be
  // slow; and setting or clearing that mark.
  bool SlowSyncNeeded(const std::string& user);
  bool SetSlowSyncNeeded(const std::string& user, bool needed);

  // Key of a user, and of the user's Quillet conduit settings.
  static std::string UserKey(const std::string& user);
  static std::string ConduitKey(const std::string& user);
  static std::string EscapeKeyName(const std::string& name);
  static std::string UnescapeKeyName(const std::string& name);

 private:
  // What a change made of the registry it was given.
  enum class Edit { WRITE, NOTHING_TO_WRITE, FAILED };
  // Runs `change` under the registry's lock and saves when it asks to.  False
  // with Error() set when the registry could not be read or saved, or when
  // `change` failed (its `why` becomes the error).
  bool Change(const std::function<Edit(CRegistry&, std::string& why)>& change);
  // Deletes a value; NOTHING_TO_WRITE when it is not there.
  static Edit RemoveValue(CRegistry& registry, const std::string& key, const char* name, std::string& why);
  // Refuses a user name that cannot name a key (Error() says why).
  bool AcceptUser(const std::string& user);
  bool Read();

  CRegistry m_registry;
  std::string m_error;
};
