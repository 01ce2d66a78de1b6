#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "runtime/ClassRegistry.h"

namespace velquarin::platform {

template <class Signature>
class MethodTable;

// Operations of one signature, by class and selector, that code can add or replace at run
// time as the desktop's runtime allows: a replacement gets back the operation it displaced, so
// it can call the original. Lookup walks the class chain. Callers get a copy of the operation
// and call it outside the lock, so an operation may replace itself or others while it runs.
template <class R, class... Args>
class MethodTable<R(Args...)> {
 public:
  using Method = std::function<R(Args...)>;

  // Adds `method` unless `cls` has `selector` of its own; true when added.
  bool add(const std::string& cls, const std::string& selector, Method method) {
    std::lock_guard lock(mutex_);
    return methods_.emplace(Key{cls, selector}, std::move(method)).second;
  }

  // Puts `method` on `cls` (an empty one removes the class's own) and returns what a call on
  // `cls` reached before: its own method, else the inherited one, else an empty function.
  Method replace(const std::string& cls, const std::string& selector, Method method) {
    auto previous = lookup(cls, selector);
    std::lock_guard lock(mutex_);
    if (method) {
      methods_[Key{cls, selector}] = std::move(method);
    } else {
      methods_.erase(Key{cls, selector});
    }
    return previous;
  }

  // The method a call on an object of class `cls` reaches; empty when none.
  Method lookup(const std::string& cls, const std::string& selector) const {
    auto classes = ClassRegistry::shared().chain(cls);
    std::lock_guard lock(mutex_);
    for (const auto& each : classes) {
      auto found = methods_.find(Key{each, selector});
      if (found != methods_.end()) return found->second;
    }
    return {};
  }

  bool respondsTo(const std::string& cls, const std::string& selector) const {
    return static_cast<bool>(lookup(cls, selector));
  }

 private:
  using Key = std::pair<std::string, std::string>;
  mutable std::mutex mutex_;
  std::map<Key, Method> methods_;
};

}  // namespace velquarin::platform
