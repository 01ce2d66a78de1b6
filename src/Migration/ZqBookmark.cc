#include "Migration/ZqBookmark.h"

std::optional<nlohmann::json> ZqBookmark::dictionaryWithValues() const {
  nlohmann::json record = nlohmann::json::object();
  for (const char* key : {"order", "title", "url"}) {
    auto converted = ZqJSONFromStoredValue(value(key));
    if (!converted) return std::nullopt;
    record[key] = std::move(*converted);
  }
  return record;
}
