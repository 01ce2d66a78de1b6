#include "AppleScript/ZqTextFromHTML.h"
#include "Exports.h"
#include "Integrations/ZqClipPage.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "runloop/BackgroundQueue.h"

namespace zq::exports {
namespace {

constexpr std::uint32_t kMaxAttachments = 10000;

// A getter of the host's options threw: the exception goes to the host as uncaught (the call
// itself returns normally) and the clip does not start.
bool passOnException(Napi::Env env) {
  if (!env.IsExceptionPending()) return false;
  auto error = env.GetAndClearPendingException();
  napi_fatal_exception(env, error.Value());
  return true;
}

bool readText(Napi::Object options, const char* key, std::optional<std::string>& out) {
  const Napi::Value value = options.Get(key);
  if (passOnException(options.Env())) return false;
  out = convertToString(value);
  return true;
}

bool readAttachments(Napi::Object options, std::vector<std::string>& out) {
  const Napi::Value value = options.Get("attachments");
  if (passOnException(options.Env())) return false;
  if (value.IsUndefined() || value.IsNull()) return true;
  if (!value.IsArray()) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning,
              "Clip option attachments is not an array; no attachments");
    return true;
  }
  auto array = value.As<Napi::Array>();
  const std::uint32_t length = array.Length();
  if (length > kMaxAttachments) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning,
              "Clip option attachments holds %@ elements; only the first %@ are used", length,
              kMaxAttachments);
  }
  for (std::uint32_t i = 0; i < std::min(length, kMaxAttachments); ++i) {
    const Napi::Value element = array.Get(i);
    if (passOnException(options.Env())) return false;
    if (auto path = convertToString(element)) out.push_back(std::move(*path));
  }
  return true;
}

std::optional<ZqClipOptions> readOptions(Napi::Object options) {
  ZqClipOptions clip;
  const bool read =
      readText(options, "url", clip.url) && readText(options, "web-url", clip.webURL) &&
      readText(options, "title", clip.title) && readText(options, "html", clip.html) &&
      readText(options, "html-path", clip.htmlPath) && readText(options, "account", clip.account) &&
      readText(options, "eml-path", clip.emlPath) && readAttachments(options, clip.attachments);
  if (!read) return std::nullopt;
  clip.text = ZqTextFromHTML(clip.html.value_or(""));
  return clip;
}

}  // namespace

Napi::Value importIntoApplication(const ZqArgs& args) {
  ZqImportIntoApplication(ToCString(args.at(0)), ToCString(args.at(1)));
  return args.Env().Undefined();
}

Napi::Value clipPage(const ZqArgs& args) {
  auto env = args.Env();
  auto options = readOptions(args.at(1).As<Napi::Object>());
  if (!options) return env.Undefined();
  // The host waits for nothing, but the process stays until the hand-off is done.
  velquarin::platform::BackgroundQueue::shared().async(
      [target = ToCString(args.at(0)), clip = std::move(*options)] {
        ZqClipPage(target, clip);
        return true;
      },
      [](bool) {}, true);
  return env.Undefined();
}

Napi::Value installedClipperApps(const ZqArgs& args) {
  auto json = ZqConvertToJSONString(nlohmann::json(ZqInstalledClipperApps()));
  if (!json) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Couldn't convert to JSON");
    return args.Env().Null();
  }
  return ZqToHostString(args.Env(), *json);
}

}  // namespace zq::exports
