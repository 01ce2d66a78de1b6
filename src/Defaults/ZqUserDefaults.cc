#include "Defaults/ZqUserDefaults.h"

#include <cmath>
#include <limits>

#include "Utilities/ZqLog.h"
#include "defaults/UserDefaults.h"

using velquarin::platform::DefaultsLogLevel;
using velquarin::platform::PlistValue;
using velquarin::platform::UserDefaults;

namespace {

// The defaults store reports set-aside files and failed writes; they belong in our log.
void logDefaultsProblem(DefaultsLogLevel level, const std::string& text) {
  switch (level) {
    case DefaultsLogLevel::Error:
      ZQ_LOG_ERROR("%@", text);
      break;
    case DefaultsLogLevel::Warning:
      ZQ_LOG_WARN("%@", text);
      break;
    case DefaultsLogLevel::Info:
      ZQ_LOG_INFO("%@", text);
      break;
  }
}

const bool kDefaultsLogRouted = [] {
  UserDefaults::setLogHandler(&logDefaultsProblem);
  return true;
}();

// A number's integer value, cut towards zero and held to the 64-bit range (NaN is 0).
std::int64_t integerValueOf(double number) {
  if (std::isnan(number)) return 0;
  constexpr double kLimit = 9223372036854775807.0;
  if (number >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (number <= -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(number);
}

// Out-of-range values saturate: wrapping would turn 2^32 + 1 into 1 and a large positive
// count into a negative one.
std::int32_t toInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace

ZqUserDefaultOutput ZqUserDefaultHostValue(const std::optional<PlistValue>& stored) {
  (void)kDefaultsLogRouted;
  if (!stored) return nullptr;
  if (auto text = stored->asString()) return *text;
  if (!stored->isNumber()) return ZqUndefinedDefault{};
  const auto integer =
      stored->asInteger() ? *stored->asInteger() : integerValueOf(*stored->numberValue());
  const bool boolean = *stored->numberValue() != 0;
  if (integer == (boolean ? 1 : 0)) return boolean;
  return toInt32(integer);
}

void ZqSetUserDefault(const std::string& key, const ZqUserDefaultInput& value) {
  if (std::holds_alternative<std::monostate>(value)) {
    ZQ_LOG_ERROR("Unknown type - cannot set value for key %@", key);
    return;
  }
  auto defaults = UserDefaults::standard();
  if (std::holds_alternative<std::nullptr_t>(value)) {
    defaults->remove(key);
  } else if (auto flag = std::get_if<bool>(&value)) {
    defaults->set(key, *flag);
  } else if (auto number = std::get_if<std::int32_t>(&value)) {
    defaults->set(key, *number);
  } else if (auto text = std::get_if<std::string>(&value)) {
    defaults->set(key, *text);
  }
}

ZqUserDefaultOutput ZqGetUserDefault(const std::string& key) {
  return ZqUserDefaultHostValue(UserDefaults::standard()->value(key));
}

void ZqRemoveUserDefault(const std::string& key) {
  UserDefaults::standard()->remove(key);
}

void ZqSynchronizeUserDefaults() {
  UserDefaults::standard()->synchronize();
}
