// The HotSync Manager's settings in the registry.

#include "hosts/hotsync/HotSyncSettings.h"

#include <algorithm>
#include <random>
#include <utility>

#include "platform/text/UserName.h"

namespace {

constexpr const char* USERS = "\\Users\\";
constexpr const char* CONDUIT = "\\Conduits\\Quillet";

std::uint32_t RandomId() {
  std::random_device device;
  std::uint32_t id = 0;
  while (id == 0) id = static_cast<std::uint32_t>(device());
  return id;
}

// A registry step that failed, for the error of a change.
std::string CannotSet(const CRegistry& registry, const std::string& key, const char* value) {
  return "cannot store " + std::string(value) + " under " + key + " in " + registry.File().string();
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

bool CHotSyncSettings::Change(const std::function<Edit(CRegistry&, std::string&)>& change) {
  Edit outcome = Edit::FAILED;
  std::string why;
  const int rc = m_registry.Update([&](CRegistry& registry) {
    outcome = change(registry, why);
    return outcome == Edit::WRITE;
  });
  if (rc != CRegistry::REG_OK) {
    m_error = m_registry.Error().empty() ? "cannot read or write " + m_registry.File().string()
                                         : m_registry.Error();
    return false;
  }
  if (outcome == Edit::FAILED) {
    m_error = why.empty() ? "cannot change " + m_registry.File().string() : why;
    return false;
  }
  return true;
}

bool CHotSyncSettings::AcceptUser(const std::string& user) {
  const std::string problem = UserName::Problem(user);
  if (problem.empty()) return true;
  m_error = "the user name " + problem;
  return false;
}

bool CHotSyncSettings::Read() { return m_registry.Load() == CRegistry::REG_OK; }

std::uint32_t CHotSyncSettings::PcId() {
  std::uint32_t id = 0;
  bool ok = Change([&id](CRegistry& registry, std::string& why) {
    if (registry.GetDword(ROOT_KEY, "PcId", id) == CRegistry::REG_OK && id != 0) return Edit::NOTHING_TO_WRITE;
    id = RandomId();
    if (registry.SetDword(ROOT_KEY, "PcId", id) == CRegistry::REG_OK) return Edit::WRITE;
    why = CannotSet(registry, ROOT_KEY, "PcId");
    return Edit::FAILED;
  });
  return ok ? id : 0;
}

bool CHotSyncSettings::RememberUser(const std::string& user, std::uint32_t userId) {
  if (!AcceptUser(user)) return false;
  return Change([&](CRegistry& registry, std::string& why) {
    if (registry.SetDword(UserKey(user), "UserId", userId) != CRegistry::REG_OK) {
      why = CannotSet(registry, UserKey(user), "UserId");
      return Edit::FAILED;
    }
    if (registry.SetString(ROOT_KEY, "LastUser", user) != CRegistry::REG_OK) {
      why = CannotSet(registry, ROOT_KEY, "LastUser");
      return Edit::FAILED;
    }
    return Edit::WRITE;
  });
}

std::vector<std::string> CHotSyncSettings::Users() {
  std::vector<std::string> users;
  if (!Read()) return users;
  for (const std::string& name : m_registry.SubKeys(std::string(ROOT_KEY) + "\\Users")) {
    // A key no user name can have written (one edited by hand) names no user.
    std::string user = UnescapeKeyName(name);
    if (UserName::IsValid(user)) users.push_back(std::move(user));
  }
  return users;
}

std::string CHotSyncSettings::KnownUser(const std::string& user) {
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (const std::string& known : Users()) {
    if (known.size() == user.size() &&
        std::equal(known.begin(), known.end(), user.begin(), [&](char a, char b) { return fold(a) == fold(b); })) {
      return known;
    }
  }
  return std::string();
}

std::string CHotSyncSettings::DefaultUser() {
  std::vector<std::string> users = Users();
  std::string last;
  if (m_registry.GetString(ROOT_KEY, "LastUser", last) == CRegistry::REG_OK && UserName::IsValid(last) &&
      m_registry.KeyExists(UserKey(last))) {
    return last;
  }
  return users.size() == 1 ? users.front() : std::string();
}

std::uint32_t CHotSyncSettings::UserId(const std::string& user) {
  std::uint32_t id = 0;
  if (!UserName::IsValid(user) || !Read() ||
      m_registry.GetDword(UserKey(user), "UserId", id) != CRegistry::REG_OK) {
    return 0;
  }
  return id;
}

CHotSyncSettings::Actions CHotSyncSettings::GetActions(const std::string& user) {
  Actions actions;
  if (!UserName::IsValid(user) || !Read()) return actions;
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
  if (!AcceptUser(user)) return false;
  return Change([&](CRegistry& registry, std::string& why) {
    const std::string key = ConduitKey(user);
    const char* name = permanent ? "SyncAction" : "NextSyncAction";
    if (registry.CreateKey(UserKey(user)) != CRegistry::REG_OK ||
        registry.SetDword(key, name, static_cast<std::uint32_t>(syncType)) != CRegistry::REG_OK) {
      why = CannotSet(registry, key, name);
      return Edit::FAILED;
    }
    if (permanent) registry.DeleteValue(key, "NextSyncAction");
    return Edit::WRITE;
  });
}

bool CHotSyncSettings::SlowSyncNeeded(const std::string& user) {
  std::uint32_t value = 0;
  return UserName::IsValid(user) && Read() &&
         m_registry.GetDword(ConduitKey(user), "SlowSyncNeeded", value) == CRegistry::REG_OK && value != 0;
}

bool CHotSyncSettings::SetSlowSyncNeeded(const std::string& user, bool needed) {
  if (!AcceptUser(user)) return false;
  return Change([&](CRegistry& registry, std::string& why) {
    const std::string key = ConduitKey(user);
    if (!needed) return RemoveValue(registry, key, "SlowSyncNeeded", why);
    if (registry.CreateKey(UserKey(user)) != CRegistry::REG_OK ||
        registry.SetDword(key, "SlowSyncNeeded", 1) != CRegistry::REG_OK) {
      why = CannotSet(registry, key, "SlowSyncNeeded");
      return Edit::FAILED;
    }
    return Edit::WRITE;
  });
}

bool CHotSyncSettings::ConsumeNextAction(const std::string& user) {
  if (!AcceptUser(user)) return false;
  return Change([&](CRegistry& registry, std::string& why) {
    return RemoveValue(registry, ConduitKey(user), "NextSyncAction", why);
  });
}

CHotSyncSettings::Edit CHotSyncSettings::RemoveValue(CRegistry& registry, const std::string& key,
                                                     const char* name, std::string& why) {
  switch (registry.DeleteValue(key, name)) {
    case CRegistry::REG_OK:
      return Edit::WRITE;
    case CRegistry::REG_ERR_NOT_FOUND:
      // Nothing to remove: the value (or its key) is not there.
      return Edit::NOTHING_TO_WRITE;
    default:
      why = "cannot remove " + std::string(name) + " from " + key + " in " + registry.File().string();
      return Edit::FAILED;
  }
}
