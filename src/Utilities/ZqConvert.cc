#include "Utilities/ZqConvert.h"

#include <cmath>
#include <limits>

#include "windows/WindowRegistry.h"

namespace {

// The exception a conversion left pending is the conversion's failure, not the host's.
bool clearPendingException(Napi::Env env) {
  if (!env.IsExceptionPending()) return false;
  env.GetAndClearPendingException();
  return true;
}

std::string cutAtNul(std::string text) {
  const auto nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace

std::optional<std::string> convertToString(Napi::Value value) {
  if (value.IsEmpty() || value.IsNull() || value.IsUndefined()) return std::nullopt;
  Napi::Env env = value.Env();
  Napi::HandleScope scope(env);
  if (value.IsString()) return cutAtNul(value.As<Napi::String>().Utf8Value());
  Napi::String text = value.ToString();
  if (clearPendingException(env) || text.IsEmpty()) return std::string(kZqStringConversionFailed);
  return cutAtNul(text.Utf8Value());
}

std::string ToCString(Napi::Value value) {
  return convertToString(value).value_or(kZqStringConversionFailed);
}

Napi::Value ZqToHostString(Napi::Env env, std::string_view text) {
  const auto nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  napi_value result = nullptr;
  if (napi_create_string_utf8(env, text.data(), text.size(), &result) != napi_ok) {
    clearPendingException(env);
    return env.Undefined();
  }
  return Napi::Value(env, result);
}

Napi::Value ZqToHostStringOrNull(Napi::Env env, const std::optional<std::string>& text) {
  return text ? ZqToHostString(env, *text) : env.Null();
}

std::shared_ptr<velquarin::platform::Window> ToWindow(Napi::Value value) {
  if (value.IsEmpty() || !value.IsTypedArray()) return nullptr;
  auto array = value.As<Napi::TypedArray>();
  if (array.TypedArrayType() != napi_uint8_array) return nullptr;
  auto bytes = value.As<Napi::Uint8Array>();
  return velquarin::platform::WindowRegistry::shared().find(
      std::span<const std::uint8_t>(bytes.Data(), bytes.ByteLength()));
}

Napi::Value ToBuffer(Napi::Env env, const velquarin::platform::Window* window) {
  if (!window) return env.Null();
  const auto bytes = velquarin::platform::WindowRegistry::bytesOf(window->handle());
  auto buffer = Napi::Buffer<std::uint8_t>::Copy(env, bytes.data(), bytes.size());
  if (clearPendingException(env) || buffer.IsEmpty()) return env.Null();
  return buffer;
}

std::optional<std::vector<std::uint8_t>> convertToData(Napi::Value value) {
  if (value.IsEmpty() || !value.IsTypedArray()) {
    if (!value.IsEmpty() && value.IsArrayBuffer()) {
      auto buffer = value.As<Napi::ArrayBuffer>();
      auto* data = static_cast<const std::uint8_t*>(buffer.Data());
      return std::vector<std::uint8_t>(data, data + buffer.ByteLength());
    }
    return std::nullopt;
  }
  auto array = value.As<Napi::TypedArray>();
  auto* base = static_cast<const std::uint8_t*>(array.ArrayBuffer().Data());
  if (!base) return std::vector<std::uint8_t>{};
  const auto* data = base + array.ByteOffset();
  return std::vector<std::uint8_t>(data, data + array.ByteLength());
}

std::int32_t ZqInt32Value(Napi::Value value) {
  auto number = value.ToNumber();
  if (clearPendingException(value.Env())) return 0;
  return number.Int32Value();
}

std::int64_t ZqIntegerValue(Napi::Value value) {
  auto number = value.ToNumber();
  if (clearPendingException(value.Env())) return 0;
  return number.Int64Value();
}

double ZqNumberValue(Napi::Value value) {
  auto number = value.ToNumber();
  if (clearPendingException(value.Env())) return std::numeric_limits<double>::quiet_NaN();
  return number.DoubleValue();
}

bool ZqBooleanValue(Napi::Value value) {
  auto flag = value.ToBoolean();
  if (clearPendingException(value.Env())) return false;
  return flag.Value();
}
