#include <cmath>

#include "binding/BindingRegistry.h"
#include "http/HTTPRequest.h"
#include "http/HTTPTransfer.h"

namespace velquarin::binding {
namespace {

// httpTransfersInFlight(): transfers started whose last event has not been delivered.
Napi::Value httpTransfersInFlight(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), static_cast<double>(platform::http::transfersInFlight()));
}

// httpReceiveBuffersKept(): receive buffers kept for the next transfers.
Napi::Value httpReceiveBuffersKept(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), static_cast<double>(platform::http::receiveBuffersKept()));
}

// setHTTPMaximumBodySize(bytes | null): caps every body at `bytes` (null removes the cap),
// so the too-large path can be driven without gigabytes of data.
Napi::Value setHTTPMaximumBodySize(const Napi::CallbackInfo& info) {
  const Napi::Value value = info[0];
  if (value.IsNull() || value.IsUndefined()) {
    platform::http::setMaximumBodySizeOverride(0);
    return info.Env().Undefined();
  }
  const bool number = value.IsNumber();
  const double bytes = number ? value.As<Napi::Number>().DoubleValue() : 0;
  if (failIf(info.Env(), !number || !std::isfinite(bytes) || bytes < 1 || bytes > 9.0e15,
             "setHTTPMaximumBodySize(bytes: positive integer | null)")) {
    return {};
  }
  platform::http::setMaximumBodySizeOverride(static_cast<std::size_t>(bytes));
  return info.Env().Undefined();
}

// failHTTPBodyAllocationsAbove(bytes | null): body blocks larger than `bytes` cannot be
// allocated from now on, as when memory runs out (null lifts it).
Napi::Value failHTTPBodyAllocationsAbove(const Napi::CallbackInfo& info) {
  const Napi::Value value = info[0];
  if (value.IsNull() || value.IsUndefined()) {
    platform::http::failBodyAllocationsAbove(0);
    return info.Env().Undefined();
  }
  const bool number = value.IsNumber();
  const double bytes = number ? value.As<Napi::Number>().DoubleValue() : 0;
  if (failIf(info.Env(), !number || !std::isfinite(bytes) || bytes < 1 || bytes > 9.0e15,
             "failHTTPBodyAllocationsAbove(bytes: positive integer | null)")) {
    return {};
  }
  platform::http::failBodyAllocationsAbove(static_cast<std::size_t>(bytes));
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "httpTransfersInFlight", httpTransfersInFlight);
  exportFunction(exports, "httpReceiveBuffersKept", httpReceiveBuffersKept);
  exportFunction(exports, "setHTTPMaximumBodySize", setHTTPMaximumBodySize);
  exportFunction(exports, "failHTTPBodyAllocationsAbove", failHTTPBodyAllocationsAbove);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
