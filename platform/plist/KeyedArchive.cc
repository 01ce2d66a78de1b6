#include "plist/KeyedArchive.h"

#include <cstdlib>
#include <memory>

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

}  // namespace velquarin::platform
