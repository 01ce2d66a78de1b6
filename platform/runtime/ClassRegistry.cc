#include "runtime/ClassRegistry.h"

namespace velquarin::platform {

ClassRegistry& ClassRegistry::shared() {
  static ClassRegistry* registry = new ClassRegistry();
  return *registry;
}

bool ClassRegistry::declare(const std::string& name, const std::string& superclass) {
  if (name.empty() || name == superclass) return false;
  std::lock_guard lock(mutex_);
  return superclass_.emplace(name, superclass).second;
}

bool ClassRegistry::exists(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return superclass_.contains(name);
}

std::optional<std::string> ClassRegistry::superclassOf(const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto found = superclass_.find(name);
  if (found == superclass_.end() || found->second.empty()) return std::nullopt;
  return found->second;
}

std::vector<std::string> ClassRegistry::chain(const std::string& name) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> result{name};
  // First declarations win and a class cannot be its own superclass, but a chain through
  // classes declared in a ring (a → b → a) is still possible: stop at a repeat.
  for (auto found = superclass_.find(name); found != superclass_.end() && !found->second.empty();
       found = superclass_.find(found->second)) {
    for (const auto& seen : result) {
      if (seen == found->second) return result;
    }
    result.push_back(found->second);
  }
  return result;
}

bool ClassRegistry::isKindOf(const std::string& name, const std::string& ancestor) const {
  for (const auto& cls : chain(name)) {
    if (cls == ancestor) return true;
  }
  return false;
}

}  // namespace velquarin::platform
