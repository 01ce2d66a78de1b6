#include "Shortcuts/MASDictionaryTransformer.h"

using velquarin::platform::PlistDictionary;
using velquarin::platform::PlistValue;

namespace {

constexpr const char* kKeyCode = "keyCode";
constexpr const char* kModifierFlags = "modifierFlags";

std::optional<std::uint64_t> integerOf(const PlistDictionary& dictionary, const char* key) {
  const auto found = dictionary.find(key);
  if (found == dictionary.end() || !found->second.isNumber()) return std::nullopt;
  if (auto value = found->second.asUnsignedInteger()) return value;
  if (auto value = found->second.asInteger()) return static_cast<std::uint64_t>(*value);
  const double number = *found->second.numberValue();
  if (!(number >= -9.2e18 && number <= 9.2e18)) return std::nullopt;
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(number));
}

}  // namespace

namespace MASDictionaryTransformer {

PlistDictionary transformedValue(const std::optional<MASShortcut>& shortcut) {
  if (!shortcut) return {};
  return {{kKeyCode, PlistValue(shortcut->keyCode())},
          {kModifierFlags, PlistValue(shortcut->modifierFlags())}};
}

std::optional<MASShortcut> reverseTransformedValue(const PlistValue& value) {
  const auto* dictionary = value.asDictionary();
  if (!dictionary) return std::nullopt;
  const auto keyCode = integerOf(*dictionary, kKeyCode);
  const auto modifierFlags = integerOf(*dictionary, kModifierFlags);
  if (!keyCode || !modifierFlags) return std::nullopt;
  return MASShortcut(*keyCode, *modifierFlags);
}

}  // namespace MASDictionaryTransformer
