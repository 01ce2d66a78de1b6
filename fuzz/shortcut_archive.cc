// Stored shortcuts (a keyed archive in user defaults, any bytes another program may have put
// there): what reads is a shortcut with only modifier bits, and archiving it again reads back
// as the same shortcut.

#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "Shortcuts/MASShortcut.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const std::string text(bytes.begin(), bytes.end());
  const auto shortcut = MASShortcut::unarchive(bytes);
  if (!shortcut) return 0;
  ZQ_FUZZ_CHECK(size <= MASShortcut::kMaxArchiveBytes, text);
  ZQ_FUZZ_CHECK((shortcut->modifierFlags() & ~MASShortcut::kModifierMask) == 0, text);
  ZQ_FUZZ_CHECK(shortcut->keyCode() <= MASShortcut::kNotFound, text);
  const auto again = MASShortcut::unarchive(shortcut->archive());
  ZQ_FUZZ_CHECK(again && *again == *shortcut, text);
  return 0;
}
