#include <napi.h>
#include <sys/stat.h>

#include <cstdlib>

#include "AppleScript/ZqCurrentState.h"
#include "AppleScript/ZqScriptingDefinition.h"
#include "Exports.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"

namespace {

ZqCallbackSlot currentStateCallback("current state callback");

std::optional<std::string> askHostForMessageText() {
  std::optional<std::string> answer;
  // The answer is read even when the callback replaced itself meanwhile; a throwing one
  // answers nothing (its exception reaches the host as uncaught).
  currentStateCallback.invoke(
      [](Napi::Env env) {
        return std::vector<napi_value>{Napi::String::New(env, "current-message-text")};
      },
      [&answer](Napi::Value result) { answer = convertToString(result); });
  return answer;
}

}  // namespace

namespace zq::exports {

Napi::Value loadFScript(const ZqArgs& args) {
  const char* home = std::getenv("HOME");
  const std::string path = std::string(home ? home : "") + "/Library/Frameworks/FScript.framework";
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Info, "Couldn't find FScript at path %@", path);
  } else {
    // Code from a folder in the user's home is never loaded into the host.
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Info, "FScript at path %@ is not loaded here", path);
  }
  return args.Env().Undefined();
}

Napi::Value setCurrentURL(const ZqArgs& args) {
  ZqCurrentState::sharedInstance().set(convertToString(args.at(0)), convertToString(args.at(1)),
                                       convertToString(args.at(2)));
  ZqAnnounceCurrentPage();
  return args.Env().Null();
}

Napi::Value setCurrentStateCallbackFunction(const ZqArgs& args) {
  static const bool sourceSet = [] {
    ZqCurrentState::sharedInstance().setMessageTextSource(askHostForMessageText);
    return true;
  }();
  (void)sourceSet;
  currentStateCallback.set(args.at(0));
  return args.Env().Null();
}

}  // namespace zq::exports
