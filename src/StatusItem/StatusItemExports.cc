#include <mutex>

#include "Exports.h"
#include "StatusItem/ZqHostFormat.h"
#include "StatusItem/ZqMenuContentJSON.h"
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
// The largest reply whose buffer is kept for the next opening.
constexpr std::size_t kKeptReplyCapacity = std::size_t(2) << 20;

// The host's reply as text. A string is read into `buffer`, kept between openings with the
// spare room the JSON reader needs: no allocation of the reply's size at every opening.
std::optional<std::string_view> replyText(Napi::Value reply, std::string& buffer) {
  if (!reply.IsString()) {
    auto text = convertToString(reply);
    if (!text) return std::nullopt;
    buffer = std::move(*text);
    return buffer;
  }
  napi_env env = reply.Env();
  std::size_t length = 0;
  if (napi_get_value_string_utf8(env, reply, nullptr, 0, &length) != napi_ok) return std::nullopt;
  buffer.reserve(length + kZqMenuContentSpareCapacity);
  buffer.resize(length + 1);
  if (napi_get_value_string_utf8(env, reply, buffer.data(), length + 1, &length) != napi_ok) {
    return std::nullopt;
  }
  buffer.resize(std::min(length, buffer.find('\0')));  // cut at a NUL, as every host string is
  return buffer;
}

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
        thread_local std::string buffer;
        const auto text = replyText(result, buffer);
        if (!text) buffer.clear();
        std::string error;
        // Parsed in place: the reply may be megabytes. Text the fast reader refuses goes to
        // the strict one, for the reason to log.
        auto parsed = ZqMenuContentFromJSONText(buffer);
        if (!parsed) parsed = ZqConvertFromJSONString(buffer, &error);
        std::string logged;
        if (!parsed || !parsed->is_object())
          logged = ZqTruncateCharacters(buffer, kLoggedReplyCharacters);
        // A reply of megabytes is not kept for the rest of the process.
        if (buffer.capacity() > kKeptReplyCapacity) std::string().swap(buffer);
        if (parsed && !parsed->is_object()) {
          parsed.reset();
          error = "the content is not a JSON object";
        }
        if (!parsed) {
          ZQ_LOG_ERROR("Couldn't update status item menu with %@ because of %@",
                       text ? std::optional<std::string>(std::move(logged)) : std::nullopt, error);
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
