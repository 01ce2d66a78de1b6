#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value deliverUserNotification(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "deliverUserNotification");
}

Napi::Value removeUserNotifications(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "removeUserNotifications");
}

Napi::Value removeUserNotification(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "removeUserNotification");
}

Napi::Value setNotificationCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setNotificationCallbackFunction");
}

}  // namespace zq::exports
