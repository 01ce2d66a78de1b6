// The keyed archive of a shortcut: {$archiver, $version, $top: {root: UID 1}, $objects:
// ["$null", {$class: UID, KeyCode, ModifierFlags}, {$classname, $classes}]}.
#include <memory>
#include <string>

#include "Shortcuts/MASShortcut.h"
#include "plist/KeyedArchive.h"
#include "plist/PropertyList.h"

using velquarin::platform::archivedObject;
using velquarin::platform::parsePropertyList;
using velquarin::platform::plistMember;
using velquarin::platform::PlistPtr;
using velquarin::platform::plistString;
using velquarin::platform::plistUid;
using velquarin::platform::plistUnsigned;

namespace {

constexpr const char* kClassName = "MASShortcut";

bool isShortcutClass(plist_t kind) {
  return plistString(plistMember(kind, "$classname")) == std::string(kClassName);
}

}  // namespace

std::optional<MASShortcut> MASShortcut::unarchive(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.size() > kMaxArchiveBytes) return std::nullopt;
  const PlistPtr root = parsePropertyList(std::string(data.begin(), data.end()));
  const plist_t objects = plistMember(root.get(), "$objects");
  const plist_t object =
      archivedObject(objects, plistUid(plistMember(plistMember(root.get(), "$top"), "root")));
  if (!isShortcutClass(archivedObject(objects, plistUid(plistMember(object, "$class"))))) {
    return std::nullopt;
  }
  // Any width; an 8-byte integer is signed, so -1 reads as all ones.
  const auto keyCode = plistUnsigned(plistMember(object, "KeyCode"));
  const auto modifierFlags = plistUnsigned(plistMember(object, "ModifierFlags"));
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
