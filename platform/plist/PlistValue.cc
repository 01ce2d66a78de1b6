#include "plist/PlistValue.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "plist/PlistNesting.h"

namespace velquarin::platform {
namespace {

// Property-list dates count from 2001-01-01 UTC.
constexpr double kReferenceDateOffset = 978307200;

std::optional<PlistValue> fromNode(plist_t node, std::size_t depth);

std::optional<PlistValue> dictionaryFromNode(plist_t node, std::size_t depth) {
  PlistDictionary result;
  plist_dict_iter iter = nullptr;
  plist_dict_new_iter(node, &iter);
  if (!iter) return result;
  for (;;) {
    char* key = nullptr;
    plist_t item = nullptr;
    plist_dict_next_item(node, iter, &key, &item);
    if (!key) break;
    auto value = fromNode(item, depth + 1);
    if (value) result.insert_or_assign(key, std::move(*value));
    std::free(key);
  }
  std::free(iter);
  return result;
}

std::optional<PlistValue> fromNode(plist_t node, std::size_t depth) {
  if (!node || depth > kMaxPropertyListNesting) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return PlistValue(value != 0);
    }
    case PLIST_UINT: {
      uint64_t value = 0;
      plist_get_uint_val(node, &value);
      // libplist keeps every integer in 64 unsigned bits; negative ones are two's complement.
      return PlistValue(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return PlistValue(value);
    }
    case PLIST_STRING: {
      char* value = nullptr;
      plist_get_string_val(node, &value);
      PlistValue result(std::string(value ? value : ""));
      std::free(value);
      return result;
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      PlistData data(length);
      if (bytes && length) std::memcpy(data.data(), bytes, length);
      std::free(bytes);
      return PlistValue(std::move(data));
    }
    case PLIST_DATE: {
      int32_t sec = 0;
      int32_t usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return PlistValue(PlistDate{kReferenceDateOffset + sec + usec / 1e6});
    }
    case PLIST_ARRAY: {
      PlistArray result;
      const uint32_t count = plist_array_get_size(node);
      result.reserve(count);
      for (uint32_t i = 0; i < count; ++i) {
        if (auto item = fromNode(plist_array_get_item(node, i), depth + 1)) {
          result.push_back(std::move(*item));
        }
      }
      return PlistValue(std::move(result));
    }
    case PLIST_DICT:
      return dictionaryFromNode(node, depth);
    default:
      return std::nullopt;
  }
}

plist_t dateNode(const PlistDate& date) {
  double since2001 = date.seconds - kReferenceDateOffset;
  if (!std::isfinite(since2001)) since2001 = 0;
  double whole = std::floor(since2001);
  double micro = std::round((since2001 - whole) * 1e6);
  if (micro >= 1e6) {
    whole += 1;
    micro = 0;
  }
  // libplist holds 32-bit seconds: 1933 to 2069.
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  if (whole < kMin) whole = kMin, micro = 0;
  if (whole > kMax) whole = kMax, micro = 0;
  return plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>(micro));
}

plist_t dictionaryNode(const PlistDictionary& dictionary);

plist_t toNode(const PlistValue& value) {
  switch (value.type()) {
    case PlistValue::Type::Boolean:
      return plist_new_bool(*value.asBoolean() ? 1 : 0);
    case PlistValue::Type::Integer:
      return plist_new_uint(static_cast<uint64_t>(*value.asInteger()));
    case PlistValue::Type::Real:
      return plist_new_real(*value.asReal());
    case PlistValue::Type::String:
      return plist_new_string(value.asString()->c_str());
    case PlistValue::Type::Data: {
      const auto& data = *value.asData();
      return plist_new_data(reinterpret_cast<const char*>(data.data()), data.size());
    }
    case PlistValue::Type::Date:
      return dateNode(*value.asDate());
    case PlistValue::Type::Array: {
      plist_t array = plist_new_array();
      for (const auto& item : *value.asArray()) plist_array_append_item(array, toNode(item));
      return array;
    }
    case PlistValue::Type::Dictionary:
      return dictionaryNode(*value.asDictionary());
  }
  return plist_new_bool(0);
}

plist_t dictionaryNode(const PlistDictionary& dictionary) {
  plist_t dict = plist_new_dict();
  for (const auto& [key, item] : dictionary) plist_dict_set_item(dict, key.c_str(), toNode(item));
  return dict;
}

}  // namespace

std::optional<double> PlistValue::numberValue() const {
  switch (type()) {
    case Type::Boolean:
      return *asBoolean() ? 1.0 : 0.0;
    case Type::Integer:
      return static_cast<double>(*asInteger());
    case Type::Real:
      return *asReal();
    default:
      return std::nullopt;
  }
}

std::optional<PlistValue> plistValueFromNode(plist_t node) {
  return fromNode(node, 0);
}

PlistPtr plistNodeFromValue(const PlistValue& value) {
  return PlistPtr(toNode(value));
}

std::optional<PlistValue> parsePlistValue(const std::string& bytes) {
  auto root = parsePropertyList(bytes);
  if (!root) return std::nullopt;
  return plistValueFromNode(root.get());
}

PlistPtr plistNodeFromDictionary(const PlistDictionary& dictionary) {
  return PlistPtr(dictionaryNode(dictionary));
}

std::string plistValueToXml(const PlistValue& value) {
  return plistNodeToXml(plistNodeFromValue(value).get());
}

std::string plistNodeToXml(plist_t node) {
  char* xml = nullptr;
  uint32_t length = 0;
  if (node) plist_to_xml(node, &xml, &length);
  std::string result(xml ? xml : "", xml ? length : 0);
  if (xml) plist_to_xml_free(xml);
  return result;
}

}  // namespace velquarin::platform
