#include "Defaults/ZqStartAtLogin.h"
#include "Defaults/ZqUserDefaults.h"
#include "Exports.h"
#include "Utilities/ZqConvert.h"

namespace zq::exports {
namespace {

// The host-to-stored table, in its order: boolean, int32 number, string, null, anything else.
ZqUserDefaultInput classify(const ZqArgs& args, std::size_t index) {
  const auto value = args[index];
  if (value->IsBoolean()) return ZqBooleanValue(value->value());
  if (value->IsInt32()) return ZqInt32Value(value->value());
  if (value->IsString()) return ToCString(value->value());
  if (value->IsNull()) return nullptr;
  return std::monostate{};
}

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

Napi::Value toHost(Napi::Env env, const ZqUserDefaultOutput& value) {
  return std::visit(
      Overloaded{
          [&](std::nullptr_t) -> Napi::Value { return env.Null(); },
          [&](bool flag) -> Napi::Value { return Napi::Boolean::New(env, flag); },
          [&](std::int32_t number) -> Napi::Value { return Napi::Number::New(env, number); },
          [&](const std::string& text) { return ZqToHostString(env, text); },
          [&](ZqUndefinedDefault) -> Napi::Value { return env.Undefined(); },
      },
      value);
}

}  // namespace

Napi::Value setUserDefault(const ZqArgs& args) {
  ZqSetUserDefault(ToCString(args.at(0)), classify(args, 1));
  return args.Env().Undefined();
}

Napi::Value getUserDefault(const ZqArgs& args) {
  return toHost(args.Env(), ZqGetUserDefault(ToCString(args.at(0))));
}

Napi::Value removeUserDefault(const ZqArgs& args) {
  ZqRemoveUserDefault(ToCString(args.at(0)));
  return args.Env().Undefined();
}

Napi::Value synchronizeUserDefaults(const ZqArgs& args) {
  ZqSynchronizeUserDefaults();
  return args.Env().Undefined();
}

Napi::Value getStartAtLogin(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), ZqGetStartAtLogin());
}

Napi::Value migrateStartAtLogin(const ZqArgs& args) {
  ZqMigrateStartAtLogin();
  return args.Env().Undefined();
}

Napi::Value setStartAtLogin(const ZqArgs& args) {
  ZqSetStartAtLogin(ZqBooleanValue(args.at(0)));
  // The state read back, so the host learns when the change did not take.
  return Napi::Boolean::New(args.Env(), ZqGetStartAtLogin());
}

}  // namespace zq::exports
