#include "Utilities/ZqJSONFromPlistValue.h"

#include <cmath>

using velquarin::platform::PlistValue;

std::optional<nlohmann::json> ZqJSONFromPlistValue(const PlistValue& value) {
  switch (value.type()) {
    case PlistValue::Type::Boolean:
      return nlohmann::json(*value.asBoolean());
    case PlistValue::Type::Integer:
      if (auto big = value.asUnsignedInteger()) return nlohmann::json(*big);
      return nlohmann::json(*value.asInteger());
    case PlistValue::Type::Real:
      if (!std::isfinite(*value.asReal())) return std::nullopt;
      return nlohmann::json(*value.asReal());
    case PlistValue::Type::String:
      return nlohmann::json(*value.asString());
    case PlistValue::Type::Data:
    case PlistValue::Type::Date:
      return std::nullopt;
    case PlistValue::Type::Array: {
      nlohmann::json array = nlohmann::json::array();
      for (const PlistValue& element : *value.asArray()) {
        auto converted = ZqJSONFromPlistValue(element);
        if (!converted) return std::nullopt;
        array.push_back(std::move(*converted));
      }
      return array;
    }
    case PlistValue::Type::Dictionary: {
      nlohmann::json object = nlohmann::json::object();
      for (const auto& [key, element] : *value.asDictionary()) {
        auto converted = ZqJSONFromPlistValue(element);
        if (!converted) return std::nullopt;
        object[key] = std::move(*converted);
      }
      return object;
    }
  }
  return std::nullopt;
}
