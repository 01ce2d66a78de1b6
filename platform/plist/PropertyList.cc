#include "plist/PropertyList.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>

#include "plist/PlistNesting.h"

namespace velquarin::platform {

PlistPtr parsePropertyList(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return nullptr;
  if (!propertyListNestingWithin(bytes) || !propertyListStringsWithoutNul(bytes)) return nullptr;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  return PlistPtr(root);
}

namespace {

std::string takeString(plist_t node) {
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string result = value ? value : "";
  std::free(value);
  return result;
}

// Nesting deeper than any real property list is cut off rather than recursed into.
constexpr int kMaxDepth = 200;

nlohmann::json toJson(plist_t node, int depth);

nlohmann::json dictionaryToJson(plist_t node, int depth) {
  auto result = nlohmann::json::object();
  plist_dict_iter iter = nullptr;
  plist_dict_new_iter(node, &iter);
  for (;;) {
    char* key = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(node, iter, &key, &value);
    if (!key) break;
    result[key] = toJson(value, depth + 1);
    std::free(key);
  }
  std::free(iter);
  return result;
}

nlohmann::json toJson(plist_t node, int depth) {
  if (!node || depth > kMaxDepth) return nullptr;
  switch (plist_get_node_type(node)) {
    case PLIST_DICT:
      return dictionaryToJson(node, depth);
    case PLIST_ARRAY: {
      auto result = nlohmann::json::array();
      const uint32_t count = plist_array_get_size(node);
      for (uint32_t i = 0; i < count; ++i) {
        result.push_back(toJson(plist_array_get_item(node, i), depth + 1));
      }
      return result;
    }
    case PLIST_STRING:
      return takeString(node);
    case PLIST_BOOLEAN: {
      uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return value != 0;
    }
    case PLIST_UINT: {
      uint64_t value = 0;
      plist_get_uint_val(node, &value);
      return value;
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return value;
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return sec + usec / 1e6;
    }
    default:
      return nullptr;
  }
}

}  // namespace

nlohmann::json propertyListToJson(plist_t node) {
  return toJson(node, 0);
}

std::optional<nlohmann::json> readPropertyListFile(const std::string& path, std::size_t maxBytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > maxBytes) return std::nullopt;
  }
  auto root = parsePropertyList(bytes);
  if (!root) return std::nullopt;
  return propertyListToJson(root.get());
}

}  // namespace velquarin::platform
