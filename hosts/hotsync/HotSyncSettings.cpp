// The HotSync Manager's settings in the registry.

#include "hosts/hotsync/HotSyncSettings.h"

#include <random>
#include <utility>

namespace {

constexpr const char* USERS = "\\Users\\";
constexpr const char* CONDUIT = "\\Conduits\\Quillet";

std::uint32_t RandomId() {
  std::random_device device;
  std::uint32_t id = 0;
  while (id == 0) id = static_cast<std::uint32_t>(device());
  return id;
}

}  // namespace

CHotSyncSettings::CHotSyncSettings(CRegistry registry) : m_registry(std::move(registry)) {}

std::string CHotSyncSettings::EscapeKeyName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '\\') {
      out += "%5C";
    } else if (c == '%') {
      out += "%25";
    } else {
      out += c;
    }
  }
  return out;
}

std::string CHotSyncSettings::UnescapeKeyName(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name.compare(i, 3, "%5C") == 0 || name.compare(i, 3, "%5c") == 0) {
      out += '\\';
      i += 2;
    } else if (name.compare(i, 3, "%25") == 0) {
      out += '%';
      i += 2;
    } else {
      out += name[i];
    }
  }
  return out;
}

std::string CHotSyncSettings::UserKey(const std::string& user) {
  return std::string(ROOT_KEY) + USERS + EscapeKeyName(user);
}

std::string CHotSyncSettings::ConduitKey(const std::string& user) { return UserKey(user) + CONDUIT; }

bool CHotSyncSettings::Change(const std::function<bool(CRegistry&)>& change) {
  return m_registry.Update(change) == CRegistry::REG_OK;
}

bool CHotSyncSettings::Read() { return m_registry.Load() == CRegistry::REG_OK; }

std::uint32_t CHotSyncSettings::PcId() {
  std::uint32_t id = 0;
  bool ok = Change([&id](CRegistry& registry) {
    if (registry.GetDword(ROOT_KEY, "PcId", id) == CRegistry::REG_OK && id != 0) return false;
    id = RandomId();
    return registry.SetDword(ROOT_KEY, "PcId", id) == CRegistry::REG_OK;
  });
  return ok ? id : 0;
}

bool CHotSyncSettings::RememberUser(const std::string& user, std::uint32_t userId) {
  return Change([&](CRegistry& registry) {
    return registry.SetDword(UserKey(user), "UserId", userId) == CRegistry::REG_OK &&
           registry.SetString(ROOT_KEY, "LastUser", user) == CRegistry::REG_OK;
  });
}

std::vector<std::string> CHotSyncSettings::Users() {
  std::vector<std::string> users;
  if (!Read()) return users;
  for (const std::string& name : m_registry.SubKeys(std::string(ROOT_KEY) + "\\Users")) {
    users.push_back(UnescapeKeyName(name));
  }
  return users;
}

std::string CHotSyncSettings::DefaultUser() {
  std::vector<std::string> users = Users();
  std::string last;
  if (m_registry.GetString(ROOT_KEY, "LastUser", last) == CRegistry::REG_OK &&
      m_registry.KeyExists(UserKey(last))) {
    return last;
  }
  return users.size() == 1 ? users.front() : std::string();
}

std::uint32_t CHotSyncSettings::UserId(const std::string& user) {
  std::uint32_t id = 0;
  if (!Read() || m_registry.GetDword(UserKey(user), "UserId", id) != CRegistry::REG_OK) return 0;
  return id;
}

CHotSyncSettings::Actions CHotSyncSettings::GetActions(const std::string& user) {
  Actions actions;
  if (!Read()) return actions;
  std::uint32_t value = 0;
  if (m_registry.GetDword(ConduitKey(user), "SyncAction", value) == CRegistry::REG_OK) {
    actions.permanent = static_cast<std::int32_t>(value);
  }
  if (m_registry.GetDword(ConduitKey(user), "NextSyncAction", value) == CRegistry::REG_OK) {
    actions.next = static_cast<std::int32_t>(value);
  }
  return actions;
}

bool CHotSyncSettings::SetAction(const std::string& user, std::int32_t syncType, bool permanent) {
  return Change([&](CRegistry& registry) {
    std::string key = ConduitKey(user);
    if (registry.CreateKey(UserKey(user)) != CRegistry::REG_OK) return false;
    if (permanent) {
      registry.DeleteValue(key, "NextSyncAction");
      return registry.SetDword(key, "SyncAction", static_cast<std::uint32_t>(syncType)) == CRegistry::REG_OK;
    }
    return registry.SetDword(key, "NextSyncAction", static_cast<std::uint32_t>(syncType)) == CRegistry::REG_OK;
  });
}

bool CHotSyncSettings::SlowSyncNeeded(const std::string& user) {
  std::uint32_t value = 0;
  return Read() && m_registry.GetDword(ConduitKey(user), "SlowSyncNeeded", value) == CRegistry::REG_OK &&
         value != 0;
}

bool CHotSyncSettings::SetSlowSyncNeeded(const std::string& user, bool needed) {
  return Change([&](CRegistry& registry) {
    if (!needed) return registry.DeleteValue(ConduitKey(user), "SlowSyncNeeded") == CRegistry::REG_OK;
    return registry.CreateKey(UserKey(user)) == CRegistry::REG_OK &&
           registry.SetDword(ConduitKey(user), "SlowSyncNeeded", 1) == CRegistry::REG_OK;
  });
}

bool CHotSyncSettings::ConsumeNextAction(const std::string& user) {
  return Change([&](CRegistry& registry) {
    // Nothing to write when there is no next-only action.
    return registry.DeleteValue(ConduitKey(user), "NextSyncAction") == CRegistry::REG_OK;
  });
}
