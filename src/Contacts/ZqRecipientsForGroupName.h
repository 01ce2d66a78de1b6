#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// The recipients of the first address-book group named exactly `name`, as
// [{"name": ..., "email": ...}] ("name" left out when empty); nullopt when no group has
// that name.
std::optional<nlohmann::json> ZqRecipientsForGroupName(const std::string& name);
