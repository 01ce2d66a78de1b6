// The keyed archive of a shortcut: {$archiver, $version, $top: {root: UID 1}, $objects:
// ["$null", {$class: UID, KeyCode, ModifierFlags}, {$classname, $classes}]}.
#include <memory>
#include <string>

#include "Shortcuts/MASShortcut.h"
#include "plist/PropertyList.h"

using velquarin::platform::parsePropertyList;
using velquarin::platform::PlistPtr;

namespace {

constexpr const char* kClassName = "MASShortcut";

plist_t member(plist_t dictionary, const char* key) {
  if (!dictionary || plist_get_node_type(dictionary) != PLIST_DICT) return nullptr;
  return plist_dict_get_item(dictionary, key);
}

// Any width; an 8-byte integer is signed, so -1 reads as all ones.
std::optional<std::uint64_t> integerOf(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_UINT) return std::nullopt;
  std::uint64_t value = 0;
  plist_get_uint_val(node, &value);
  return value;
}

plist_t objectAt(plist_t objects, plist_t uidNode) {
  if (!uidNode || plist_get_node_type(uidNode) != PLIST_UID) return nullptr;
  std::uint64_t uid = 0;
  plist_get_uid_val(uidNode, &uid);
  if (uid >= plist_array_get_size(objects)) return nullptr;
  return plist_array_get_item(objects, static_cast<std::uint32_t>(uid));
}

bool isShortcutClass(plist_t kind) {
  const plist_t name = member(kind, "$classname");
  if (!name || plist_get_node_type(name) != PLIST_STRING) return false;
  char* text = nullptr;
  plist_get_string_val(name, &text);
  const std::unique_ptr<char, decltype(&std::free)> owned(text, &std::free);
  return text && std::string(text) == kClassName;
}

}  // namespace

std::optional<MASShortcut> MASShortcut::unarchive(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.size() > kMaxArchiveBytes) return std::nullopt;
  const PlistPtr root = parsePropertyList(std::string(data.begin(), data.end()));
  const plist_t objects = member(root.get(), "$objects");
  if (!objects || plist_get_node_type(objects) != PLIST_ARRAY) return std::nullopt;
  const plist_t object = objectAt(objects, member(member(root.get(), "$top"), "root"));
  if (!isShortcutClass(objectAt(objects, member(object, "$class")))) return std::nullopt;
  const auto keyCode = integerOf(member(object, "KeyCode"));
  const auto modifierFlags = integerOf(member(object, "ModifierFlags"));
  if (!keyCode || !modifierFlags) return std::nullopt;
  return MASShortcut(*keyCode > kNotFound ? kNotFound : *keyCode, *modifierFlags);
}

std::vector<std::uint8_t> MASShortcut::archive() const {
  const PlistPtr root(plist_new_dict());
  plist_dict_set_item(root.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
  plist_dict_set_item(root.get(), "$version", plist_new_uint(100000));
  plist_t top = plist_new_dict();
  plist_dict_set_item(top, "root", plist_new_uid(1));
  plist_dict_set_item(root.get(), "$top", top);
  plist_t objects = plist_new_array();
  plist_array_append_item(objects, plist_new_string("$null"));
  plist_t object = plist_new_dict();
  plist_dict_set_item(object, "$class", plist_new_uid(2));
  // No key is stored as -1: the all-ones 8-byte integer, which readers take as signed.
  plist_dict_set_item(object, "KeyCode", plist_new_uint(hasKey() ? keyCode_ : ~0ull));
  plist_dict_set_item(object, "ModifierFlags", plist_new_uint(modifierFlags_));
  plist_array_append_item(objects, object);
  plist_t kind = plist_new_dict();
  plist_dict_set_item(kind, "$classname", plist_new_string(kClassName));
  plist_t classes = plist_new_array();
  plist_array_append_item(classes, plist_new_string(kClassName));
  plist_array_append_item(classes, plist_new_string("NSObject"));
  plist_dict_set_item(kind, "$classes", classes);
  plist_array_append_item(objects, kind);
  plist_dict_set_item(root.get(), "$objects", objects);

  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(root.get(), &bytes, &length);
  const std::unique_ptr<char, decltype(&plist_to_bin_free)> owned(bytes, &plist_to_bin_free);
  if (!bytes) return {};
  return std::vector<std::uint8_t>(bytes, bytes + length);
}
