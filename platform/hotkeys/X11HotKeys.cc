#include "hotkeys/X11HotKeys.h"

#include <array>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "keyboard/KeyCodes.h"
#include "logging/Log.h"
#include "runloop/FdWatch.h"
#include "runloop/MainQueue.h"
#include "x11/X11Library.h"

namespace velquarin::platform {
namespace {

struct Free {
  void operator()(void* pointer) const { std::free(pointer); }
};
template <class T>
using Reply = std::unique_ptr<T, Free>;

struct Disconnect {
  void operator()(xcb_connection_t* connection) const { x11().xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

// X key codes are the evdev codes shifted by 8.
constexpr int kEvdevOffset = 8;
constexpr xcb_keysym_t kNumLock = 0xff7f;
constexpr xcb_keysym_t kSuperLeft = 0xffeb;
constexpr xcb_keysym_t kSuperRight = 0xffec;

void logLine(LogLevel level, int line, std::string_view text) {
  Log::write(level, {"hotkeys/X11HotKeys", "X11HotKeys", line}, text);
}

class X11Backend final : public HotKeyBackend {
 public:
  X11Backend(Connection connection, xcb_window_t root, HotKeyPress press)
      : connection_(std::move(connection)), root_(root), press_(std::move(press)) {
    enableDetectableAutoRepeat();
    readModifierMap();
    const std::uint32_t mask = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;
    x11().xcb_change_window_attributes(connection_.get(), root_, XCB_CW_EVENT_MASK, &mask);
    x11().xcb_flush(connection_.get());
    watch_ = std::make_unique<FdWatch>(x11().xcb_get_file_descriptor(connection_.get()),
                                       kFdReadable, false, [this](unsigned) { readEvents(); });
  }

  std::string name() const override { return "x11"; }

  // Once the display is gone, registrations live on for the in-process path.
  bool grab(const HotKeyCombination& combination) override {
    if (!lost_ && !grabAll(combination)) return false;
    grabbed_.insert(combination);
    return true;
  }

  void ungrab(const HotKeyCombination& combination) override {
    if (!grabbed_.erase(combination) || lost_) return;
    ungrabAll(combination);
  }

  bool heldElsewhere(const HotKeyCombination& combination) override {
    if (lost_ || grabbed_.count(combination)) return false;
    if (!grabAll(combination)) return true;
    ungrabAll(combination);
    return false;
  }

 private:
  xcb_connection_t* get() const { return connection_.get(); }

  // A held key repeats presses only, so one press per hold reaches the handler.
  void enableDetectableAutoRepeat() {
    Reply<xcb_xkb_use_extension_reply_t> use(x11().xcb_xkb_use_extension_reply(
        get(), x11().xcb_xkb_use_extension(get(), 1, 0), nullptr));
    if (!use || !use->supported) return;
    const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    Reply<xcb_xkb_per_client_flags_reply_t> flags(x11().xcb_xkb_per_client_flags_reply(
        get(), x11().xcb_xkb_per_client_flags(get(), XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
        nullptr));
  }

  // Which modifier bits Num Lock and Super set on this server.
  void readModifierMap() {
    numLock_ = XCB_MOD_MASK_2;
    super_ = XCB_MOD_MASK_4;
    const auto* setup = x11().xcb_get_setup(get());
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> keyboard(x11().xcb_get_keyboard_mapping_reply(
        get(),
        x11().xcb_get_keyboard_mapping(get(), setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr));
    Reply<xcb_get_modifier_mapping_reply_t> modifiers(x11().xcb_get_modifier_mapping_reply(
        get(), x11().xcb_get_modifier_mapping(get()), nullptr));
    if (!keyboard || !modifiers) return;
    std::map<xcb_keycode_t, xcb_keysym_t> keysymOf;
    const auto* keysyms = x11().xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perKey = keyboard->keysyms_per_keycode;
    for (int key = 0; key < count && perKey > 0; ++key) {
      for (int level = 0; level < perKey; ++level) {
        const auto sym = keysyms[key * perKey + level];
        if (sym == kNumLock || sym == kSuperLeft || sym == kSuperRight) {
          keysymOf[static_cast<xcb_keycode_t>(first + key)] = sym;
        }
      }
    }
    const auto* codes = x11().xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    std::optional<std::uint16_t> numLock, super;
    for (int modifier = 0; modifier < 8; ++modifier) {
      for (int i = 0; i < perModifier; ++i) {
        const auto found = keysymOf.find(codes[modifier * perModifier + i]);
        if (found == keysymOf.end()) continue;
        const auto bit = static_cast<std::uint16_t>(1u << modifier);
        if (found->second == kNumLock && !numLock) numLock = bit;
        if (found->second != kNumLock && !super && modifier >= 3) super = bit;
      }
    }
    if (numLock) numLock_ = *numLock;
    if (super) super_ = *super;
  }

  std::uint16_t modifiersOf(std::uint32_t hotKeyModifiers) const {
    std::uint16_t mask = 0;
    if (hotKeyModifiers & HotKeyModifiers::Shift) mask |= XCB_MOD_MASK_SHIFT;
    if (hotKeyModifiers & HotKeyModifiers::Control) mask |= XCB_MOD_MASK_CONTROL;
    if (hotKeyModifiers & HotKeyModifiers::Option) mask |= XCB_MOD_MASK_1;
    if (hotKeyModifiers & HotKeyModifiers::Command) mask |= super_;
    return mask;
  }

  std::uint32_t hotKeyModifiersOf(std::uint16_t state) const {
    std::uint32_t modifiers = 0;
    if (state & XCB_MOD_MASK_SHIFT) modifiers |= HotKeyModifiers::Shift;
    if (state & XCB_MOD_MASK_CONTROL) modifiers |= HotKeyModifiers::Control;
    if (state & XCB_MOD_MASK_1) modifiers |= HotKeyModifiers::Option;
    if (state & super_) modifiers |= HotKeyModifiers::Command;
    return modifiers;
  }

  // Caps Lock and Num Lock must not stop a hot key, so each is grabbed with every lock state.
  std::array<std::uint16_t, 4> lockCombinations() const {
    return {0, XCB_MOD_MASK_LOCK, numLock_,
            static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock_)};
  }

  static std::optional<xcb_keycode_t> keycodeOf(std::uint16_t keyCode) {
    const auto key = keyCodeForVirtualKey(keyCode);
    if (!key || key->evdev + kEvdevOffset > 255) return std::nullopt;
    return static_cast<xcb_keycode_t>(key->evdev + kEvdevOffset);
  }

  // Checked requests: another client's grab of any lock state refuses the whole combination.
  bool grabAll(const HotKeyCombination& combination) {
    const auto keycode = keycodeOf(combination.keyCode);
    if (!keycode) return false;
    const auto base = modifiersOf(combination.modifiers);
    std::vector<xcb_void_cookie_t> cookies;
    for (const auto lock : lockCombinations()) {
      cookies.push_back(x11().xcb_grab_key_checked(get(), 1, root_, base | lock, *keycode,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    for (const auto cookie : cookies) {
      Reply<xcb_generic_error_t> error(x11().xcb_request_check(get(), cookie));
      if (error) refused = true;
    }
    if (refused) ungrabAll(combination);
    scheduleRead();
    return !refused && !x11().xcb_connection_has_error(get());
  }

  void ungrabAll(const HotKeyCombination& combination) {
    const auto keycode = keycodeOf(combination.keyCode);
    if (!keycode) return;
    const auto base = modifiersOf(combination.modifiers);
    for (const auto lock : lockCombinations()) {
      x11().xcb_ungrab_key(get(), *keycode, root_, base | lock);
    }
    x11().xcb_flush(get());
  }

  // Replies read meanwhile may have queued events the socket no longer announces.
  void scheduleRead() {
    MainQueue::shared().async([alive = std::weak_ptr<bool>(alive_), this] {
      if (alive.lock()) readEvents();
    });
  }

  void readEvents() {
    if (lost_) return;
    while (Reply<xcb_generic_event_t> event{x11().xcb_poll_for_event(get())}) {
      handle(*event);
    }
    if (x11().xcb_connection_has_error(get())) {
      lost_ = true;
      watch_.reset();
      logLine(LogLevel::Error, __LINE__,
              "lost the connection to the X display; global hot keys are off");
    }
  }

  void handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
      case XCB_KEY_PRESS: {
        const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
        if (!down_.insert(key.detail).second) return;  // a repeat of a held key
        const auto code = keyCodeForEvdev(static_cast<std::uint16_t>(key.detail - kEvdevOffset));
        if (code) press_({code->virtualKey, hotKeyModifiersOf(key.state)});
        return;
      }
      case XCB_KEY_RELEASE:
        down_.erase(reinterpret_cast<const xcb_key_release_event_t&>(event).detail);
        return;
      case XCB_MAPPING_NOTIFY:
        remap();
        return;
      default:
        return;
    }
  }

  // The modifier bits may have moved: grab again under the new ones.
  void remap() {
    for (const auto& combination : grabbed_) ungrabAll(combination);
    readModifierMap();
    for (const auto& combination : grabbed_) grabAll(combination);
  }

  Connection connection_;
  xcb_window_t root_;
  HotKeyPress press_;
  std::unique_ptr<FdWatch> watch_;
  std::set<HotKeyCombination> grabbed_;
  std::set<xcb_keycode_t> down_;
  std::uint16_t numLock_ = XCB_MOD_MASK_2;
  std::uint16_t super_ = XCB_MOD_MASK_4;
  bool lost_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

std::unique_ptr<HotKeyBackend> openX11HotKeys(const char* display, HotKeyPress press,
                                              std::string* why) {
  if (!X11Library::get()) {
    if (why) *why = "the X11 library could not be loaded";
    return nullptr;
  }
  int screenNumber = 0;
  Connection connection(x11().xcb_connect(display, &screenNumber));
  if (!connection || x11().xcb_connection_has_error(connection.get())) {
    if (why) *why = "cannot connect to the X display";
    return nullptr;
  }
  auto screens = x11().xcb_setup_roots_iterator(x11().xcb_get_setup(connection.get()));
  for (int i = 0; i < screenNumber && screens.rem; ++i) x11().xcb_screen_next(&screens);
  if (!screens.rem) {
    if (why) *why = "the X display has no such screen";
    return nullptr;
  }
  const xcb_window_t root = screens.data->root;
  return std::make_unique<X11Backend>(std::move(connection), root, std::move(press));
}

}  // namespace velquarin::platform
