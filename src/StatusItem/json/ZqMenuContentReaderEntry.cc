// libvelquarin-menujson.so: the only part of the package linked to simdjson.

#include <simdjson.h>

#include "StatusItem/ZqMenuContentJSON.h"

namespace {

static_assert(kZqMenuContentSpareCapacity >= simdjson::SIMDJSON_PADDING);

// As deep as ZqConvertFromJSONString reads.
constexpr std::size_t kMaxDepth = 512;

bool convert(simdjson::dom::element element, nlohmann::json& out, std::size_t depth) {
  using simdjson::dom::element_type;
  switch (element.type()) {
    case element_type::ARRAY: {
      if (++depth > kMaxDepth) return false;
      out = nlohmann::json::array();
      auto& values = out.get_ref<nlohmann::json::array_t&>();
      simdjson::dom::array array;
      if (element.get(array) != simdjson::SUCCESS) return false;
      values.reserve(array.size());
      for (const auto child : array) {
        if (!convert(child, values.emplace_back(), depth)) return false;
      }
      return true;
    }
    case element_type::OBJECT: {
      if (++depth > kMaxDepth) return false;
      out = nlohmann::json::object();
      auto& members = out.get_ref<nlohmann::json::object_t&>();
      simdjson::dom::object object;
      if (element.get(object) != simdjson::SUCCESS) return false;
      for (const auto [key, value] : object) {
        auto& slot = members[std::string(key)];  // a repeated key: the last one counts
        slot = nullptr;
        if (!convert(value, slot, depth)) return false;
      }
      return true;
    }
    case element_type::INT64: {
      const std::int64_t number = element.get_int64().value_unsafe();
      if (number >= 0) {
        out = static_cast<std::uint64_t>(number);
      } else {
        out = number;
      }
      return true;
    }
    case element_type::UINT64:
      out = element.get_uint64().value_unsafe();
      return true;
    case element_type::DOUBLE:
      out = element.get_double().value_unsafe();
      return true;
    case element_type::STRING:
      out = std::string(element.get_string().value_unsafe());
      return true;
    case element_type::BOOL:
      out = element.get_bool().value_unsafe();
      return true;
    case element_type::NULL_VALUE:
      out = nullptr;
      return true;
  }
  return false;
}

bool readContent(const std::string& text, nlohmann::json& out) {
  // Kept between openings for content up to kKeptCapacity (fresh buffers would be faulted in
  // page by page every time); the parser holds about 14 bytes per byte of text, so larger
  // content gets a parser of its own, freed afterwards.
  constexpr std::size_t kKeptCapacity = std::size_t(1) << 20;
  thread_local simdjson::dom::parser kept;
  std::optional<simdjson::dom::parser> own;
  simdjson::dom::parser& parser = text.size() <= kKeptCapacity ? kept : own.emplace();
  if (parser.capacity() < text.size() || parser.max_depth() != kMaxDepth + 1) {
    const std::size_t capacity = &parser == &kept ? kKeptCapacity : text.size();
    if (parser.allocate(capacity, kMaxDepth + 1) != simdjson::SUCCESS) return false;
  }
  simdjson::dom::element root;
  const bool padded = text.capacity() - text.size() >= simdjson::SIMDJSON_PADDING;
  if (parser.parse(text.data(), text.size(), !padded).get(root) != simdjson::SUCCESS) {
    return false;
  }
  if (root.type() != simdjson::dom::element_type::OBJECT &&
      root.type() != simdjson::dom::element_type::ARRAY) {
    return false;
  }
  return convert(root, out, 0);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const ZqMenuContentReader*
velquarin_menu_content_reader() {
  static const ZqMenuContentReader reader{.read = &readContent};
  return &reader;
}
