#include "Shortcuts/MASHotKey.h"

#include "hotkeys/HotKeyCenter.h"

using velquarin::platform::HotKeyCenter;

namespace {

std::uint32_t nextCarbonID() {
  static std::uint32_t counter = 0;  // main thread only
  return ++counter;
}

}  // namespace

std::unique_ptr<MASHotKey> MASHotKey::registeredHotKeyWithShortcut(const MASShortcut& shortcut) {
  if (!shortcut.hasKey() || shortcut.keyCode() > 0xffff) return nullptr;
  const auto carbonID = nextCarbonID();
  const bool accepted = HotKeyCenter::shared().registerHotKey(
      {kSignature, carbonID},
      {static_cast<std::uint16_t>(shortcut.carbonKeyCode()), shortcut.carbonFlags()});
  if (!accepted) return nullptr;
  return std::unique_ptr<MASHotKey>(new MASHotKey(carbonID));
}

MASHotKey::~MASHotKey() {
  HotKeyCenter::shared().unregisterHotKey({kSignature, carbonID_});
}
