#include "plist/KeyedArchive.h"

#include <cstdlib>
#include <memory>

#include "plist/PropertyList.h"

namespace velquarin::platform {

plist_t plistMember(plist_t dictionary, const char* key) {
  if (!dictionary || plist_get_node_type(dictionary) != PLIST_DICT) return nullptr;
  return plist_dict_get_item(dictionary, key);
}

std::optional<std::uint64_t> plistUnsigned(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_UINT) return std::nullopt;
  std::uint64_t value = 0;
  plist_get_uint_val(node, &value);
  return value;
}

std::optional<std::uint64_t> plistUid(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_UID) return std::nullopt;
  std::uint64_t value = 0;
  plist_get_uid_val(node, &value);
  return value;
}

std::optional<std::string> plistString(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
  char* value = nullptr;
  plist_get_string_val(node, &value);
  const std::unique_ptr<char, decltype(&std::free)> owned(value, &std::free);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

plist_t archivedObject(plist_t objects, std::optional<std::uint64_t> uid) {
  if (!objects || plist_get_node_type(objects) != PLIST_ARRAY) return nullptr;
  if (!uid || *uid >= plist_array_get_size(objects)) return nullptr;
  return plist_array_get_item(objects, static_cast<std::uint32_t>(*uid));
}

std::vector<std::uint8_t> keyedArchive(plist_t object, const char* className) {
  const PlistPtr root(plist_new_dict());
  plist_dict_set_item(root.get(), "$version", plist_new_uint(100000));
  plist_dict_set_item(root.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
  plist_t top = plist_new_dict();
  plist_dict_set_item(top, "root", plist_new_uid(1));
  plist_dict_set_item(root.get(), "$top", top);
  plist_t objects = plist_new_array();
  plist_array_append_item(objects, plist_new_string("$null"));
  plist_array_append_item(objects, object);
  plist_t kind = plist_new_dict();
  plist_dict_set_item(kind, "$classname", plist_new_string(className));
  plist_t classes = plist_new_array();
  plist_array_append_item(classes, plist_new_string(className));
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

}  // namespace velquarin::platform
