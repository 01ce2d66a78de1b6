#include "Utilities/ZqCallbackSlot.h"

#include "HostCall.h"
#include "Utilities/ZqApplicationIsolate.h"
#include "Utilities/ZqLog.h"
#include "runloop/MainQueue.h"

ZqCallbackSlot::ZqCallbackSlot(std::string name) : name_(std::move(name)) {}

void ZqCallbackSlot::release() {
  napi_env env = GetApplicationIsolate();
  if (env) {
    if (function_) napi_delete_reference(env, function_);
    if (context_) napi_async_destroy(env, context_);
  }
  function_ = nullptr;
  context_ = nullptr;
}

void ZqCallbackSlot::clear() {
  release();
}

void ZqCallbackSlot::set(Napi::Value function) {
  release();
  napi_env env = GetApplicationIsolate();
  if (!env || function.IsEmpty()) return;
  if (!function.IsFunction()) {
    ZQ_LOG_WARN("%@: the host passed no function; nothing will be called", name_);
    return;
  }
  Napi::HandleScope scope(function.Env());
  if (napi_create_reference(env, function, 1, &function_) != napi_ok) {
    function_ = nullptr;
    return;
  }
  napi_value resourceName = Napi::String::New(function.Env(), name_);
  if (napi_async_init(env, Napi::Object::New(function.Env()), resourceName, &context_) != napi_ok) {
    context_ = nullptr;
  }
  if (!teardownRegistered_) {
    teardownRegistered_ = true;
    ZqOnApplicationIsolateTeardown([this] { release(); });
  }
}

namespace {

bool onMainThread(const std::string& name) {
  if (velquarin::platform::MainQueue::shared().isMainThread()) return true;
  ZQ_LOG_ERROR("%@ was invoked off the main thread; nothing was called", name);
  return false;
}

}  // namespace

bool ZqCallbackSlot::invoke(const ArgsBuilder& build, const ResultHandler& onResult) const {
  napi_env env = GetApplicationIsolate();
  if (!function_ || !env || !onMainThread(name_)) return false;
  Napi::Env host(env);
  Napi::HandleScope scope(host);
  napi_value fn = nullptr;
  if (napi_get_reference_value(env, function_, &fn) != napi_ok || !fn) return false;
  return velquarin::node::callHost(host, Napi::Function(env, fn), context_, build, onResult);
}

bool ZqCallbackSlot::invokeOnce(const ArgsBuilder& build, const ResultHandler& onResult) {
  napi_env env = GetApplicationIsolate();
  if (!function_ || !env || !onMainThread(name_)) return false;
  Napi::Env host(env);
  Napi::HandleScope scope(host);
  napi_value fn = nullptr;
  if (napi_get_reference_value(env, function_, &fn) != napi_ok || !fn) return false;
  // The local handle keeps the function alive once the slot lets go of it.
  napi_async_context context = context_;
  context_ = nullptr;
  release();
  const bool called =
      velquarin::node::callHost(host, Napi::Function(env, fn), context, build, onResult);
  if (context && GetApplicationIsolate()) napi_async_destroy(env, context);
  return called;
}
