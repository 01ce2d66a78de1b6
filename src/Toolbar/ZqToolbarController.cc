#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::entries {

Napi::Value addToolbarToWindow(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsInt32());
  ZQ_CONTRACT(args[2]->IsString());
  return ZqNotAvailableYet(args, "addToolbarToWindow");
}

Napi::Value setToolbarCallbackFunctions(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  return ZqNotAvailableYet(args, "setToolbarCallbackFunctions");
}

Napi::Value validateToolbarItems(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  return ZqNotAvailableYet(args, "validateToolbarItems");
}

Napi::Value selectToolbarItem(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsInt32());
  ZQ_CONTRACT(args[1]->IsString());
  return ZqNotAvailableYet(args, "selectToolbarItem");
}

Napi::Value toggleToolbarVisibility(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  return ZqNotAvailableYet(args, "toggleToolbarVisibility");
}

Napi::Value isToolbarVisible(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  return ZqNotAvailableYet(args, "isToolbarVisible");
}

Napi::Value customizeToolbar(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  return ZqNotAvailableYet(args, "customizeToolbar");
}

Napi::Value changeImageOfToolbarItem(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsInt32());
  ZQ_CONTRACT(args[1]->IsString());
  ZQ_CONTRACT(args[2]->IsString());
  return ZqNotAvailableYet(args, "changeImageOfToolbarItem");
}

Napi::Value showAddTabButton(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  return ZqNotAvailableYet(args, "showAddTabButton");
}

Napi::Value hideAddTabButton(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  return ZqNotAvailableYet(args, "hideAddTabButton");
}

}  // namespace zq::entries
