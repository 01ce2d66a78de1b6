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
