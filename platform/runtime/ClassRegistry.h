#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace velquarin::platform {

// The class runtime the host framework's objects live in: classes by name, each with its
// superclass. Windows, views and delegates name their class here, so "is kind of" works the
// way the desktop's own runtime answers it. Thread-safe.
class ClassRegistry {
 public:
  static ClassRegistry& shared();

  // Declares `name` below `superclass` ("" for a root class). A class keeps the superclass it
  // was first declared with; declaring it again returns false and changes nothing.
  bool declare(const std::string& name, const std::string& superclass = "");
  bool exists(const std::string& name) const;
  std::optional<std::string> superclassOf(const std::string& name) const;
  // The class and its superclasses, nearest first. An undeclared name is a chain of itself.
  std::vector<std::string> chain(const std::string& name) const;
  bool isKindOf(const std::string& name, const std::string& ancestor) const;

 private:
  ClassRegistry() = default;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::string> superclass_;
};

}  // namespace velquarin::platform
