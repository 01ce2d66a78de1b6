#include "Extensions/ZqSaveDialogOptions.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "Utilities/ZqJSON.h"

namespace {

std::optional<std::string> stringOption(const nlohmann::json& options, const char* key) {
  const auto found = options.find(key);
  if (found == options.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

}  // namespace

std::optional<ZqSaveDialogOptions> ZqSaveDialogOptionsFromJSON(std::string_view text,
                                                               std::string* error) {
  auto options = ZqConvertFromJSONString(text, error);
  if (!options) return std::nullopt;
  if (!options->is_object()) {
    if (error) *error = "the options are not a JSON object";
    return std::nullopt;
  }
  ZqSaveDialogOptions result;
  if (auto directory = stringOption(*options, "destination-path");
      directory && !directory->empty() && directory->find('\0') == std::string::npos) {
    std::error_code failed;
    const auto absolute = std::filesystem::absolute(*directory, failed);
    // An empty folder would turn the chosen name into a relative path.
    if (!failed && absolute.is_absolute()) result.directory = absolute.lexically_normal().string();
  }
  result.filename = stringOption(*options, "filename");
  return result;
}
