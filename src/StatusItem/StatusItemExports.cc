#include <mutex>

#include "Exports.h"
#include "StatusItem/ZqHostFormat.h"
#include "StatusItem/ZqStatusItemController.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"

namespace {

ZqCallbackSlot menuContentSlot("setStatusItemMenuNeedsUpdateCallbackFunction");

// A reply that does not parse is quoted in the log up to this many characters.
constexpr std::size_t kLoggedReplyCharacters = 4096;

// Asks the host for the menu content; an empty object when there is no callback, it threw,
// or its reply is not the JSON text of an object.
nlohmann::json menuContentFromHost(const std::string& type, bool includeMessage) {
  auto content = nlohmann::json::object();
  if (!menuContentSlot.isSet()) return content;
  menuContentSlot.invoke(
      [&](Napi::Env env) -> std::vector<napi_value> {
        return {ZqToHostString(env, type), Napi::Boolean::New(env, includeMessage)};
      },
      [&](Napi::Value result) {
        const auto text = convertToString(result);
        std::string error;
        // Parsed in place: the reply may be megabytes.
        auto parsed = ZqConvertFromJSONString(text ? std::string_view(*text) : "", &error);
        if (parsed && !parsed->is_object()) {
          parsed.reset();
          error = "the content is not a JSON object";
        }
        if (!parsed) {
          std::optional<std::string> logged;
          if (text) logged = ZqTruncateCharacters(*text, kLoggedReplyCharacters);
          ZQ_LOG_ERROR("Couldn't update status item menu with %@ because of %@", logged, error);
          return;
        }
        content = std::move(*parsed);
      });
  return content;
}

void ZqListenForStatusItemMenuNeedsUpdate() {
  static std::once_flag once;
  std::call_once(once, [] {
    ZqStatusItemController::sharedInstance()->setMenuNeedsUpdateCallback(menuContentFromHost);
  });
}

const ZqStartupStep activate(13, "status item", [](Napi::Env) { ZqActivateStatusItem(); });
const ZqStartupStep listen(14, "status item menu content",
                           [](Napi::Env) { ZqListenForStatusItemMenuNeedsUpdate(); });

}  // namespace

namespace zq::exports {

Napi::Value setStatusItemTitle(const ZqArgs& args) {
  const auto title = args.at(0).IsString() ? convertToString(args.at(0)) : std::nullopt;
  const bool hasErrors = args.at(1).IsBoolean() && args.at(1).As<Napi::Boolean>().Value();
  auto controller = ZqStatusItemController::sharedInstance();
  controller->setHasErrors(hasErrors);
  controller->setTitle(title);
  return args.Env().Undefined();
}

Napi::Value setStatusItemMenuNeedsUpdateCallbackFunction(const ZqArgs& args) {
  menuContentSlot.set(args.at(0));
  return args.Env().Undefined();
}

}  // namespace zq::exports
