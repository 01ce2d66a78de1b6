#include "Contacts/ZqAddressBookWindowController.h"
#include "Contacts/ZqRecipientsForGroupName.h"
#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"

namespace zq::exports {

Napi::Value pickEmailAddresses(const ZqArgs& args) {
  const auto window = ToWindow(args.at(0));
  if (!window) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Error,
              "No window to open the address book picker for");
    return args.Env().Undefined();
  }
  const std::string text = ToCString(args.at(1));
  std::string error;
  auto translations = ZqConvertFromJSONString(text, &error);
  if (translations && !translations->is_object()) {
    translations.reset();
    error = "JSON text is not an object";
  }
  if (!translations) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Error,
              "Couldn't parse translations JSON %@ because of %@", text, error);
    return args.Env().Undefined();
  }
  ZqAddressBookWindowController::sharedInstanceWithTranslations(*translations)
      .openForWindow(window);
  return args.Env().Undefined();
}

Napi::Value recipientsForGroupName(const ZqArgs& args) {
  const auto recipients = ZqRecipientsForGroupName(ToCString(args.at(0)));
  if (!recipients) return args.Env().Null();
  const auto text = ZqConvertToJSONString(*recipients);
  if (!text) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Couldn't convert to JSON");
    return args.Env().Null();
  }
  return ZqToHostString(args.Env(), *text);
}

}  // namespace zq::exports
