#include "objectgraph/ArchivedColor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "plist/KeyedArchive.h"
#include "plist/PropertyList.h"

namespace velquarin::platform::objectgraph {
namespace {

// The colour-space codes of archived colours.
constexpr std::uint64_t kCalibratedRGB = 1;
constexpr std::uint64_t kDeviceRGB = 2;
constexpr std::uint64_t kCalibratedWhite = 3;
constexpr std::uint64_t kDeviceWhite = 4;
constexpr std::uint64_t kDeviceCMYK = 5;
constexpr std::uint64_t kNamed = 6;
// A named colour refers to its RGB form; a chain of them is followed this far at most.
constexpr int kMaxFallbacks = 4;

struct FreeDeleter {
  void operator()(void* memory) const { std::free(memory); }
};

// The text of a string or data member ("0.2 0.4 0.6" with a trailing NUL as archived).
std::optional<std::string> textOf(plist_t node) {
  if (!node) return std::nullopt;
  if (plist_get_node_type(node) == PLIST_STRING) return plistString(node);
  if (plist_get_node_type(node) == PLIST_DATA) {
    char* value = nullptr;
    std::uint64_t length = 0;
    plist_get_data_val(node, &value, &length);
    std::unique_ptr<char, FreeDeleter> owned(value);
    if (!value) return std::string();
    std::string text(value, static_cast<std::size_t>(length));
    if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
  }
  return std::nullopt;
}

// Space-separated numbers; nothing when one is not a finite number or there are too many.
std::optional<std::vector<double>> componentsOf(plist_t node, std::size_t maxCount) {
  const auto text = textOf(node);
  if (!text) return std::nullopt;
  std::vector<double> components;
  std::string_view rest = *text;
  while (true) {
    const auto start = rest.find_first_not_of(" \t\n\r");
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const auto end = std::min(rest.find_first_of(" \t\n\r"), rest.size());
    double value = 0;
    const auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + end, value);
    if (ec != std::errc() || ptr != rest.data() + end || !std::isfinite(value)) {
      return std::nullopt;
    }
    if (components.size() == maxCount) return std::nullopt;
    components.push_back(std::clamp(value, 0.0, 1.0));
    rest.remove_prefix(end);
  }
  return components;
}

class Unarchiver {
 public:
  explicit Unarchiver(plist_t root) : objects_(plistMember(root, "$objects")) {
    if (objects_ && plist_get_node_type(objects_) != PLIST_ARRAY) objects_ = nullptr;
  }

  plist_t object(std::optional<std::uint64_t> uid) const { return archivedObject(objects_, uid); }

  std::optional<Color> color(plist_t object, int fallbacks) const {
    if (!object || plist_get_node_type(object) != PLIST_DICT) return std::nullopt;
    const auto space = plistUnsigned(plistMember(object, "NSColorSpace"));
    if (!space) return std::nullopt;
    switch (*space) {
      case kCalibratedRGB:
      case kDeviceRGB: {
        const auto c = componentsOf(plistMember(object, "NSRGB"), 4);
        if (!c || c->size() < 3) return std::nullopt;
        return Color{(*c)[0], (*c)[1], (*c)[2], c->size() > 3 ? (*c)[3] : 1.0};
      }
      case kCalibratedWhite:
      case kDeviceWhite: {
        const auto c = componentsOf(plistMember(object, "NSWhite"), 2);
        if (!c || c->empty()) return std::nullopt;
        return Color{(*c)[0], (*c)[0], (*c)[0], c->size() > 1 ? (*c)[1] : 1.0};
      }
      case kDeviceCMYK: {
        const auto c = componentsOf(plistMember(object, "NSCMYK"), 5);
        if (!c || c->size() < 4) return std::nullopt;
        const double k = 1 - (*c)[3];
        return Color{(1 - (*c)[0]) * k, (1 - (*c)[1]) * k, (1 - (*c)[2]) * k,
                     c->size() > 4 ? (*c)[4] : 1.0};
      }
      case kNamed:
        if (fallbacks >= kMaxFallbacks) return std::nullopt;
        return color(this->object(plistUid(plistMember(object, "NSColor"))), fallbacks + 1);
      default:
        return std::nullopt;
    }
  }

 private:
  plist_t objects_;
};

}  // namespace

std::optional<Color> unarchiveColor(const std::vector<std::uint8_t>& archive) {
  if (archive.empty() || archive.size() > kMaxColorArchiveBytes) return std::nullopt;
  const PlistPtr root = parsePropertyList(std::string(archive.begin(), archive.end()));
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  const Unarchiver unarchiver(root.get());
  const plist_t top = plistMember(root.get(), "$top");
  return unarchiver.color(unarchiver.object(plistUid(plistMember(top, "root"))), 0);
}

std::vector<std::uint8_t> archiveColor(const Color& color) {
  const auto component = [](double value) {
    char buffer[32];
    const auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::clamp(value, 0.0, 1.0));
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("0");
  };
  std::string rgb =
      component(color.red) + ' ' + component(color.green) + ' ' + component(color.blue);
  if (color.alpha != 1) rgb += ' ' + component(color.alpha);
  rgb.push_back('\0');

  const PlistPtr root(plist_new_dict());
  plist_dict_set_item(root.get(), "$version", plist_new_uint(100000));
  plist_dict_set_item(root.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
  plist_t top = plist_new_dict();
  plist_dict_set_item(top, "root", plist_new_uid(1));
  plist_dict_set_item(root.get(), "$top", top);
  plist_t objects = plist_new_array();
  plist_array_append_item(objects, plist_new_string("$null"));
  plist_t object = plist_new_dict();
  plist_dict_set_item(object, "NSColorSpace", plist_new_uint(kCalibratedRGB));
  plist_dict_set_item(object, "NSRGB", plist_new_data(rgb.data(), rgb.size()));
  plist_dict_set_item(object, "$class", plist_new_uid(2));
  plist_array_append_item(objects, object);
  plist_t kind = plist_new_dict();
  plist_dict_set_item(kind, "$classname", plist_new_string("NSColor"));
  plist_t classes = plist_new_array();
  plist_array_append_item(classes, plist_new_string("NSColor"));
  plist_array_append_item(classes, plist_new_string("NSObject"));
  plist_dict_set_item(kind, "$classes", classes);
  plist_array_append_item(objects, kind);
  plist_dict_set_item(root.get(), "$objects", objects);

  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(root.get(), &bytes, &length);
  const std::unique_ptr<char, decltype(&plist_to_bin_free)> owned(bytes, &plist_to_bin_free);
  if (!bytes) return {};
  return std::vector<std::uint8_t>(bytes, bytes + length);
}

}  // namespace velquarin::platform::objectgraph
