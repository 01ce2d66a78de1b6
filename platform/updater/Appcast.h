#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquarin::platform::updater {

// The namespace of the updater's own elements and attributes; whatever prefix a feed binds to
// it, their names are written "sparkle:<name>".
inline constexpr const char* kUpdaterNamespace =
    "http://www.andymatuschak.org/xml-namespaces/sparkle";

// One /rss/channel/item: its properties (element name to trimmed text; "enclosure" to its
// attributes; "sparkle:deltas" to the attributes of each enclosure in it; "sparkle:tags" to
// the names of its children) and the version it offers.
struct AppcastItem {
  nlohmann::json properties = nlohmann::json::object();
  std::string versionString;
  std::optional<std::string> property(const std::string& name) const;
};

struct Appcast {
  std::vector<AppcastItem> items;
};

// Reads feed text. No network, no entities, no DTD: a feed with a DOCTYPE is refused, as is
// one that is not well-formed UTF-8 XML, nests too deep or has no rss/channel. Of repeated
// elements the first in the first of `languages` (xml:lang) is kept, else the first.
// nullopt, with a reason in `error`, when the text is no feed.
std::optional<Appcast> parseAppcast(std::string_view text,
                                    const std::vector<std::string>& languages,
                                    std::string* error = nullptr);

}  // namespace velquarin::platform::updater
