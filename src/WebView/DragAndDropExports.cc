#include <cctype>
#include <charconv>
#include <cmath>

#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "WebView/ZqWebContentsView.h"

namespace zq::exports {

namespace {

// A coordinate as a 32-bit float: from a number, or from the numeric start of a string (C
// locale, leading white space skipped); anything else, and anything not finite, is 0.
float coordinate(const nlohmann::json& point, const char* key) {
  const auto found = point.find(key);
  if (found == point.end()) return 0;
  float value = 0;
  if (found->is_number()) {
    value = static_cast<float>(found->get<double>());
  } else if (found->is_string()) {
    const auto& text = found->get_ref<const std::string&>();
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(*begin))) ++begin;
    if (begin < end && *begin == '+') ++begin;
    double parsed = 0;
    if (std::from_chars(begin, end, parsed).ec == std::errc()) value = static_cast<float>(parsed);
  }
  return std::isfinite(value) ? value : 0;
}

// The paths of a JSON array of strings; nullopt (with the reason) for anything else.
std::optional<std::vector<std::string>> pathsOf(const nlohmann::json& value, std::string& why) {
  if (!value.is_array()) {
    why = "the paths are not an array";
    return std::nullopt;
  }
  std::vector<std::string> paths;
  for (const auto& each : value) {
    if (!each.is_string() || each.get_ref<const std::string&>().find('\0') != std::string::npos) {
      why = "a path is not a string without NUL characters";
      return std::nullopt;
    }
    paths.push_back(each.get<std::string>());
  }
  return paths;
}

}  // namespace

Napi::Value dropFiles(const ZqArgs& args) {
  auto env = args.Env();
  auto window = ToWindow(args.at(0));
  if (!window) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Error, "Need a window to attach files.");
    return env.Undefined();
  }
  const auto pointText = convertToString(args.at(1)).value_or("");
  std::string error;
  auto point = ZqConvertFromJSONString(pointText, &error);
  if (point && !point->is_object()) {
    error = "the point is not an object";
    point.reset();
  }
  if (!point) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Error, "Couldn't parse point %@ because of %@",
              pointText, error);
    return Napi::Boolean::New(env, false);
  }
  const velquarin::platform::Point location{coordinate(*point, "x"), coordinate(*point, "y")};

  const auto pathsText = convertToString(args.at(2)).value_or("");
  auto parsed = ZqConvertFromJSONString(pathsText, &error);
  auto paths = parsed ? pathsOf(*parsed, error) : std::nullopt;
  if (!paths) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Error,
              "Couldn't parse paths parameter %@ because of %@", pathsText, error);
    return Napi::Boolean::New(env, false);
  }
  return Napi::Boolean::New(env, DropFiles(*window, location, *paths));
}

Napi::Value setDragAndDropCallbackFunction(const ZqArgs& args) {
  SetDragAndDropCallback(args.at(0));
  return args.Env().Undefined();
}

}  // namespace zq::exports
