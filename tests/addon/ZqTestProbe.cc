// A test-only add-on that exposes the module's conversion and callback machinery, built
// from the same sources, so the JavaScript suite can check them directly. Never shipped.

#include <napi.h>

#include <cstring>
#include <limits>
#include <memory>

#include "Extensions/NSApplication+ZqExtensions.h"
#include "Utilities/ZqApplicationIsolate.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "UvLoopDriver.h"
#include "runloop/MainQueue.h"

namespace {

ZqCallbackSlot probeSlot("ProbeCallback");
ZqCallbackSlot oneShotSlot("ProbeOneShot");

// convertToString(value): the native string, or null when there is none.
Napi::Value convertToStringProbe(const Napi::CallbackInfo& info) {
  return ZqToHostStringOrNull(info.Env(), convertToString(info[0]));
}

// roundTrip(value): native string back to the host (cut at NUL both ways).
Napi::Value roundTrip(const Napi::CallbackInfo& info) {
  return ZqToHostString(info.Env(), ToCString(info[0]));
}

// windowHandle(handle): the registry's fresh handle for the designated window, or null.
Napi::Value windowHandle(const Napi::CallbackInfo& info) {
  auto window = ToWindow(info[0]);
  return ToBuffer(info.Env(), window.get());
}

Napi::Value dataLength(const Napi::CallbackInfo& info) {
  auto data = convertToData(info[0]);
  if (!data) return info.Env().Null();
  return Napi::Number::New(info.Env(), static_cast<double>(data->size()));
}

Napi::Value setCallback(const Napi::CallbackInfo& info) {
  probeSlot.set(info[0]);
  return info.Env().Undefined();
}

// fireLater(seconds, text): the event arrives from the loop, with no JavaScript on the stack.
Napi::Value fireLater(const Napi::CallbackInfo& info) {
  const double seconds = info[0].As<Napi::Number>().DoubleValue();
  const std::string text = ToCString(info[1]);
  velquarin::platform::MainQueue::shared().after(seconds, [text] {
    probeSlot.invoke(
        [text](Napi::Env env) { return std::vector<napi_value>{ZqToHostString(env, text)}; });
  });
  return info.Env().Undefined();
}

// fireNow(text): the event arrives while the host is calling us; returns the callback's result.
Napi::Value fireNow(const Napi::CallbackInfo& info) {
  const std::string text = ToCString(info[0]);
  Napi::Value result = info.Env().Undefined();
  const bool called = probeSlot.invoke(
      [&](Napi::Env env) { return std::vector<napi_value>{ZqToHostString(env, text)}; },
      [&](Napi::Value value) { result = Napi::String::New(info.Env(), ToCString(value)); });
  if (!called) return Napi::Boolean::New(info.Env(), false);
  return result;
}

// startOneShot(fn) then completeOneShot(text): the slot is empty while fn runs.
Napi::Value startOneShot(const Napi::CallbackInfo& info) {
  oneShotSlot.set(info[0]);
  return info.Env().Undefined();
}

Napi::Value completeOneShot(const Napi::CallbackInfo& info) {
  const std::string text = ToCString(info[0]);
  const bool called = oneShotSlot.invokeOnce(
      [text](Napi::Env env) { return std::vector<napi_value>{ZqToHostString(env, text)}; });
  return Napi::Boolean::New(info.Env(), called);
}

Napi::Value oneShotPending(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), oneShotSlot.isSet());
}

// The application-environment methods that no export reaches directly.
Napi::Value applicationSupportDirectory(const Napi::CallbackInfo& info) {
  return ZqToHostString(info.Env(), zq_applicationSupportDirectory());
}

Napi::Value relaunch(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), zq_relaunch());
}

// Deliberate faults for the sanitizer run's self-check (tests/js/sanitizers.test.js): each proves
// that a fault of its kind in the module's own code is reported and fails the process, whatever
// the leak suppressions hide of the engine's. Called only in a sanitizer build.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitized = true;
#else
constexpr bool kAddressSanitized = false;
#endif

// leakForSanitizerCheck(bytes): a block nothing points to once the call returns.
[[gnu::noinline]] void leakBlock(std::size_t bytes) {
  char* block = std::make_unique<char[]>(bytes).release();
  std::memset(block, 0x5a, bytes);
  block = nullptr;
}

Napi::Value leakForSanitizerCheck(const Napi::CallbackInfo& info) {
  leakBlock(static_cast<std::size_t>(info[0].As<Napi::Number>().Uint32Value()));
  return info.Env().Undefined();
}

// overflowForSanitizerCheck(bytes): reads the byte after a block of that size.
Napi::Value overflowForSanitizerCheck(const Napi::CallbackInfo& info) {
  const std::size_t bytes = info[0].As<Napi::Number>().Uint32Value();
  auto block = std::make_unique<char[]>(bytes);
  const volatile char* past = block.get() + bytes;
  return Napi::Number::New(info.Env(), *past);
}

// overflowIntForSanitizerCheck(value): value + INT_MAX as a signed int.
Napi::Value overflowIntForSanitizerCheck(const Napi::CallbackInfo& info) {
  const int value = info[0].As<Napi::Number>().Int32Value();
  return Napi::Number::New(info.Env(), value + std::numeric_limits<int>::max());
}

Napi::Object Init(Napi::Env env, Napi::Object exports) {
  ZqSetApplicationIsolate(env);
  velquarin::node::UvLoopDriver::attach(env);
  exports.Set("convertToString", Napi::Function::New(env, convertToStringProbe));
  exports.Set("roundTrip", Napi::Function::New(env, roundTrip));
  exports.Set("windowHandle", Napi::Function::New(env, windowHandle));
  exports.Set("dataLength", Napi::Function::New(env, dataLength));
  exports.Set("setCallback", Napi::Function::New(env, setCallback));
  exports.Set("fireLater", Napi::Function::New(env, fireLater));
  exports.Set("fireNow", Napi::Function::New(env, fireNow));
  exports.Set("startOneShot", Napi::Function::New(env, startOneShot));
  exports.Set("completeOneShot", Napi::Function::New(env, completeOneShot));
  exports.Set("oneShotPending", Napi::Function::New(env, oneShotPending));
  exports.Set("applicationSupportDirectory", Napi::Function::New(env, applicationSupportDirectory));
  exports.Set("relaunch", Napi::Function::New(env, relaunch));
  exports.Set("addressSanitized", Napi::Boolean::New(env, kAddressSanitized));
  exports.Set("leakForSanitizerCheck", Napi::Function::New(env, leakForSanitizerCheck));
  exports.Set("overflowForSanitizerCheck", Napi::Function::New(env, overflowForSanitizerCheck));
  exports.Set("overflowIntForSanitizerCheck",
              Napi::Function::New(env, overflowIntForSanitizerCheck));
  return exports;
}

}  // namespace

NODE_API_MODULE(ZqTestProbe, Init)
