#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// Modifier bits of system-wide hot keys (not the event modifier flags).
namespace HotKeyModifiers {
inline constexpr std::uint32_t Command = 0x100;
inline constexpr std::uint32_t Shift = 0x200;
inline constexpr std::uint32_t Option = 0x800;
inline constexpr std::uint32_t Control = 0x1000;
inline constexpr std::uint32_t All = Command | Shift | Option | Control;

// The bits of event modifier flags (shift 17, control 18, option 19, command 20).
inline constexpr std::uint32_t fromEventFlags(std::uint64_t flags) {
  return ((flags & (1ull << 20)) ? Command : 0) | ((flags & (1ull << 17)) ? Shift : 0) |
         ((flags & (1ull << 19)) ? Option : 0) | ((flags & (1ull << 18)) ? Control : 0);
}
}  // namespace HotKeyModifiers

// A key (the desktop's hardware key code) with HotKeyModifiers bits.
struct HotKeyCombination {
  std::uint16_t keyCode = 0;
  std::uint32_t modifiers = 0;
  auto operator<=>(const HotKeyCombination&) const = default;
};

// One entry of the system's own shortcuts (switch desktops, screenshots, ...).
struct SymbolicHotKey {
  HotKeyCombination combination;
  bool enabled = true;
};

// An identifier the owner of a hot key chose: a four-character signature and a number.
struct HotKeyIdentifier {
  std::uint32_t signature = 0;
  std::uint32_t id = 0;
  auto operator<=>(const HotKeyIdentifier&) const = default;
};

// Where presses come from: a display server's key grabs (one backend per display kind).
class HotKeyBackend {
 public:
  virtual ~HotKeyBackend() = default;
  virtual std::string name() const = 0;
  // False when the display server refuses (another client holds the combination).
  virtual bool grab(const HotKeyCombination& combination) = 0;
  virtual void ungrab(const HotKeyCombination& combination) = 0;
  // Whether another client holds the combination; only asked for combinations not grabbed here.
  virtual bool heldElsewhere(const HotKeyCombination& combination) = 0;
};

// System-wide hot keys of the process. A press of a registered combination, from the display
// server or from pressGlobalKey, calls the handler on the main thread. Main thread only.
class HotKeyCenter {
 public:
  using Handler = std::function<void(const HotKeyIdentifier&)>;
  struct Registration {
    HotKeyIdentifier identifier;
    HotKeyCombination combination;
  };

  static HotKeyCenter& shared();

  void setHandler(Handler handler) { handler_ = std::move(handler); }
  // False, and nothing registered, for a key code the keyboard does not have, a combination
  // registered already (here or by another client) or an identifier in use.
  bool registerHotKey(const HotKeyIdentifier& identifier, const HotKeyCombination& combination);
  void unregisterHotKey(const HotKeyIdentifier& identifier);
  std::vector<Registration> registrations() const { return registrations_; }

  // A press as the display server delivers it; true when a registered hot key fired.
  bool press(const HotKeyCombination& combination);

  // Combinations other programs hold, for the in-process path (X11 knows its own).
  void setTakenElsewhere(std::vector<HotKeyCombination> combinations);
  bool isTakenElsewhere(const HotKeyCombination& combination);

  // The system's shortcuts as the desktop lists them; nothing when the list cannot be read.
  std::optional<std::vector<SymbolicHotKey>> symbolicHotKeys() const { return symbolic_; }
  void setSymbolicHotKeys(std::optional<std::vector<SymbolicHotKey>> list) {
    symbolic_ = std::move(list);
  }

  // "x11" when key grabs on an X display serve the hot keys, else "in-process".
  std::string backendName() const;

 private:
  HotKeyCenter();
  const Registration* find(const HotKeyCombination& combination) const;

  Handler handler_;
  std::unique_ptr<HotKeyBackend> backend_;
  std::vector<Registration> registrations_;
  std::vector<HotKeyCombination> takenElsewhere_;
  std::optional<std::vector<SymbolicHotKey>> symbolic_ = std::vector<SymbolicHotKey>();
};

}  // namespace velquarin::platform
