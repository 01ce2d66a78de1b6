#include "Utilities/ZqJSON.h"

#include "Utilities/ZqLog.h"

std::optional<std::string> ZqConvertToJSONString(const nlohmann::json& object) {
  try {
    if (!object.is_object() && !object.is_array()) {
      throw std::invalid_argument("the top level is not an object or an array");
    }
    return object.dump();
  } catch (const std::exception& error) {
    ZQ_LOG_ERROR("Couldn't convert %@ to JSON because of %@",
                 object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                 error.what());
    return std::nullopt;
  }
}

namespace {
// Deeper nesting than any real document is refused before it can exhaust the stack of a
// recursive consumer.
constexpr int kMaxDepth = 512;
}  // namespace

std::optional<nlohmann::json> ZqConvertFromJSONString(std::string_view text, std::string* error) {
  bool tooDeep = false;
  auto limitDepth = [&](int nesting, nlohmann::json::parse_event_t event, nlohmann::json&) {
    using Event = nlohmann::json::parse_event_t;
    if (event == Event::object_start || event == Event::array_start) {
      if (nesting >= kMaxDepth) tooDeep = true;
    }
    return !tooDeep;
  };
  try {
    auto value = nlohmann::json::parse(text.begin(), text.end(), limitDepth);
    if (tooDeep) throw std::runtime_error("JSON text is nested too deeply");
    if (!value.is_object() && !value.is_array()) {
      throw std::runtime_error("JSON text did not start with an array or object");
    }
    return value;
  } catch (const std::exception& failure) {
    if (error) *error = tooDeep ? "JSON text is nested too deeply" : failure.what();
    return std::nullopt;
  }
}
