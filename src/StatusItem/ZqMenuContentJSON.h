#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>

// The host's menu content, read from its JSON text at every opening of the menu (megabytes
// with many accounts) by a vectorised parser. Nullopt when that parser refuses the text or it
// nests deeper than ZqConvertFromJSONString allows: the strict parser then says why. The
// values are typed as that parser types them (a number without sign is unsigned).
// Text with at least kZqMenuContentSpareCapacity bytes of capacity beyond its size is read
// where it is; other text is copied first.
inline constexpr std::size_t kZqMenuContentSpareCapacity = 64;
std::optional<nlohmann::json> ZqMenuContentFromJSONText(const std::string& text);

// simdjson is opened with the first menu content, not at start-up: it lives behind
// libvelquarin-menujson.so, beside the platform library, whose one C entry hands back this.
// Without it every text goes to the strict parser, which reads the same values.
struct ZqMenuContentReader {
  bool (*read)(const std::string& text, nlohmann::json& out);
};
inline constexpr char kZqMenuContentReaderEntry[] = "velquarin_menu_content_reader";
