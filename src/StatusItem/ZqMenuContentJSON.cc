#include "StatusItem/ZqMenuContentJSON.h"

#include "runtime/SideLibrary.h"

std::optional<nlohmann::json> ZqMenuContentFromJSONText(const std::string& text) {
  static const velquarin::platform::SideLibrary library(
      "libvelquarin-menujson.so", kZqMenuContentReaderEntry,
      "The fast reader of menu content is unavailable");
  static const ZqMenuContentReader* const reader = library.table<ZqMenuContentReader>();
  nlohmann::json value;
  if (!reader || !reader->read(text, value)) return std::nullopt;
  return value;
}
