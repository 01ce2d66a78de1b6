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

// The library's tree builder with a depth count: a per-value parser callback costs about a
// third of the parse on large documents.
class DepthLimitedBuilder : public nlohmann::detail::json_sax_dom_parser<nlohmann::json> {
  using Base = nlohmann::detail::json_sax_dom_parser<nlohmann::json>;

 public:
  using Base::Base;
  bool tooDeep = false;

  bool start_object(std::size_t elements) { return enter() && Base::start_object(elements); }
  bool start_array(std::size_t elements) { return enter() && Base::start_array(elements); }
  bool end_object() {
    --depth_;
    return Base::end_object();
  }
  bool end_array() {
    --depth_;
    return Base::end_array();
  }

 private:
  bool enter() {
    tooDeep = tooDeep || ++depth_ > kMaxDepth;
    return !tooDeep;
  }
  int depth_ = 0;
};

}  // namespace

std::optional<nlohmann::json> ZqConvertFromJSONString(std::string_view text, std::string* error) {
  bool tooDeep = false;
  try {
    nlohmann::json value;
    DepthLimitedBuilder builder(value);
    nlohmann::json::sax_parse(text.begin(), text.end(), &builder);
    tooDeep = builder.tooDeep;
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
