#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "Shortcuts/MASShortcut.h"

// One system-wide hot key, registered while this object lives.
class MASHotKey {
 public:
  using Action = std::function<void()>;
  // "MASS": the signature of the module's hot keys.
  static constexpr std::uint32_t kSignature = 0x4D415353;

  // Null when the system refuses the combination (or the key does not exist).
  static std::unique_ptr<MASHotKey> registeredHotKeyWithShortcut(const MASShortcut& shortcut);
  ~MASHotKey();
  MASHotKey(const MASHotKey&) = delete;
  MASHotKey& operator=(const MASHotKey&) = delete;

  std::uint32_t carbonID() const { return carbonID_; }
  const Action& action() const { return action_; }
  void setAction(Action action) { action_ = std::move(action); }

 private:
  explicit MASHotKey(std::uint32_t carbonID) : carbonID_(carbonID) {}
  std::uint32_t carbonID_;
  Action action_;
};
