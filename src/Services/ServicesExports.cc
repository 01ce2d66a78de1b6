// The search service's road to the host: the observer of the search notification (a start-up
// step) and the setter of its callback. Its lines belong to the module's entry.

#include "Exports.h"
#include "Services/ZqServicesBus.h"
#include "Services/ZqServicesProvider.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"
#include "notificationcenter/NotificationCenter.h"

using velquarin::platform::Notification;
using velquarin::platform::NotificationCenter;

namespace {

ZqCallbackSlot searchSlot("setSearchServiceCallbackFunction");

void searchRequested(const Notification& notification) {
  if (!searchSlot.isSet()) return;
  // Anyone may post this name: only a string object is a search.
  if (!notification.value.is_string()) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning,
              "Ignoring %@ whose object is not a search string", notification.name);
    return;
  }
  const auto& text = notification.value.get_ref<const std::string&>();
  searchSlot.invoke(
      [&](Napi::Env env) -> std::vector<napi_value> { return {ZqToHostString(env, text)}; });
}

const ZqStartupStep observeSearch(10, "search service observer", [](Napi::Env) {
  NotificationCenter::defaultCenter().addObserver(kZqServiceProviderSearchNotification, nullptr,
                                                  NotificationCenter::Delivery::MainQueue,
                                                  searchRequested);
});

const ZqStartupStep servicesProvider(12, "services provider", [](Napi::Env) {
  ZqRegisterServicesProvider();
  ZqPublishServicesOnBus();
});

}  // namespace

namespace zq::exports {

Napi::Value setSearchServiceCallbackFunction(const ZqArgs& args) {
  searchSlot.set(args.at(0));
  return args.Env().Undefined();
}

}  // namespace zq::exports
