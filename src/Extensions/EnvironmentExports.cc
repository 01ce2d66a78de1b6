#include <nlohmann/json.hpp>

#include "Exports.h"
#include "Extensions/NSApplication+ZqExtensions.h"
#include "Extensions/ZqIsDarkMode.h"
#include "Extensions/ZqIsRosetta.h"
#include "Extensions/ZqPosixPath.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"
#include "bundle/Bundle.h"
#include "locale/Locale.h"

namespace zq::exports {

using velquarin::platform::Bundle;

Napi::Value getBundlePath(const ZqArgs& args) {
  return ZqToHostString(args.Env(), Bundle::main()->path());
}

Napi::Value getPreferredLanguages(const ZqArgs& args) {
  const nlohmann::json languages = velquarin::platform::Locale::preferredLanguages();
  return ZqToHostStringOrNull(args.Env(), ZqConvertToJSONString(languages));
}

Napi::Value bundleId(const ZqArgs& args) {
  auto identifier = Bundle::main()->identifier();
  if (!identifier) ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Couldn't get bundleId");
  return ZqToHostStringOrNull(args.Env(), identifier);
}

Napi::Value getBuildNumber(const ZqArgs& args) {
  auto version = zq_bundleVersion();
  if (!version) ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Couldn't get build number");
  return ZqToHostStringOrNull(args.Env(), version);
}

Napi::Value isDarkMode(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), ZqIsDarkMode());
}

Napi::Value isRosetta(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), ZqIsRosetta());
}

Napi::Value macOSVersion(const ZqArgs& args) {
  return ZqToHostString(args.Env(), zq_osVersion());
}

Napi::Value convertToPosixPath(const ZqArgs& args) {
  return ZqToHostString(args.Env(), ZqConvertToPosixPath(ToCString(args.at(0))));
}

}  // namespace zq::exports

namespace {

void logAppearance(Napi::Env) {
  ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Debug, "Dark Mode: %d %@ (%d)", ZqIsDarkMode(),
            zq_osVersion(), zq_isMojaveOrBetter());
}

const ZqStartupStep appearanceLine(18, "dark mode and system version line", logAppearance);

}  // namespace
