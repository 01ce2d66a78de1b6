// HTTP request objects: createRequest makes one, the host adds listeners with on() and
// starts it with start(); the platform's transfer reports back through the events
// "response", "data", "end" and "error".

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Exports.h"
#include "HostCall.h"
#include "Utilities/ZqApplicationIsolate.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "http/HTTPTransfer.h"

namespace {

namespace http = velquarin::platform::http;

// The largest body a host buffer can view (Buffer's limit in the engines we run on).
constexpr std::size_t kMaximumBodyBytes = std::size_t{1} << 32;
// Chunks and bodies from this size on live outside the engine's heap: a body is handed over
// without a copy, and running out of memory is an error we can report instead of a fatal
// engine abort. Smaller ones are copied, which costs less than an outside block's finalizer.
constexpr std::size_t kExternalBytes = 64 * 1024;

enum class ZqNetworkEvent : uint32_t { Response = 0, Data = 1, Error = 2, End = 3 };
constexpr uint32_t kZqNetworkEventCount = 4;

std::optional<ZqNetworkEvent> eventNamed(const std::string& name) {
  if (name == "response") return ZqNetworkEvent::Response;
  if (name == "data") return ZqNetworkEvent::Data;
  if (name == "error") return ZqNetworkEvent::Error;
  if (name == "end") return ZqNetworkEvent::End;
  return std::nullopt;
}

// Process-wide handles into the application environment, dropped at its teardown.
struct ZqNetworkHandles {
  napi_ref constructor = nullptr;
  napi_ref listenersKey = nullptr;  // the symbol under which a request keeps its listeners
};

ZqNetworkHandles& handles() {
  static ZqNetworkHandles shared;
  return shared;
}

bool clearPendingException(Napi::Env env) {
  if (!env.IsExceptionPending()) return false;
  env.GetAndClearPendingException();
  return true;
}

// The whole UTF-8 text of a host string, NUL characters included, so that a value with an
// embedded NUL can be refused rather than silently cut.
std::string fullText(Napi::Value value) {
  return value.As<Napi::String>().Utf8Value();
}

// A property of the options, or nothing when reading it throws.
Napi::Value optionValue(Napi::Object options, const char* key) {
  Napi::Value value = options.Get(key);
  if (clearPendingException(options.Env()) || value.IsEmpty()) return options.Env().Undefined();
  return value;
}

std::vector<std::pair<std::string, std::string>> collectHeaders(Napi::Value headers) {
  std::vector<std::pair<std::string, std::string>> fields;
  if (!headers.IsObject() && !headers.IsFunction()) return fields;
  Napi::Env env = headers.Env();
  napi_value names = nullptr;
  // Own enumerable string keys; integer-like keys stay numbers and are skipped below.
  if (napi_get_all_property_names(
          env, headers, napi_key_own_only,
          static_cast<napi_key_filter>(napi_key_enumerable | napi_key_skip_symbols),
          napi_key_keep_numbers, &names) != napi_ok) {
    clearPendingException(env);
    return fields;
  }
  Napi::Array list(env, names);
  Napi::Object object = headers.As<Napi::Object>();
  for (uint32_t i = 0; i < list.Length(); ++i) {
    Napi::Value name = list.Get(i);
    if (clearPendingException(env) || !name.IsString()) continue;
    Napi::Value value = object.Get(name);
    if (clearPendingException(env) || !value.IsString()) continue;
    std::string fieldName = fullText(name);
    std::string fieldValue = fullText(value);
    if (!http::isToken(fieldName)) {
      ZQ_LOG_WARN("Header field %@ dropped: its name is not an HTTP token", fieldName);
      continue;
    }
    if (!http::isValidHeaderValue(fieldValue)) {
      ZQ_LOG_WARN("Header field %@ dropped: its value contains CR, LF or NUL", fieldName);
      continue;
    }
    fields.emplace_back(std::move(fieldName), std::move(fieldValue));
  }
  return fields;
}

http::Request requestFromArguments(const ZqArgs& args) {
  http::Request request;
  request.url = convertToString(args.at(0)).value_or("");
  request.maximumBodySize = kMaximumBodyBytes;
  Napi::Value given = args.at(1);
  if (!given.IsObject() && !given.IsFunction()) return request;
  Napi::Object options = given.As<Napi::Object>();
  request.headers = collectHeaders(optionValue(options, "headers"));
  if (Napi::Value method = optionValue(options, "method"); method.IsString()) {
    request.method = fullText(method);
  }
  if (Napi::Value follow = optionValue(options, "followRedirects"); follow.IsBoolean()) {
    request.followRedirects = follow.As<Napi::Boolean>().Value();
  }
  std::optional<double> timeout;
  if (Napi::Value seconds = optionValue(options, "timeout"); seconds.IsNumber()) {
    timeout = seconds.As<Napi::Number>().DoubleValue();
  }
  request.timeoutSeconds = http::effectiveTimeout(timeout);
  return request;
}

// A private key for the constructor, so hosts cannot build request objects through
// `request.constructor`.
int constructionToken;

class ZqNetworkRequest final : public Napi::ObjectWrap<ZqNetworkRequest>,
                               public http::TransferClient {
 public:
  static Napi::Value create(const ZqArgs& args);

  explicit ZqNetworkRequest(const Napi::CallbackInfo& info);
  ~ZqNetworkRequest() override;

  Napi::Value on(const Napi::CallbackInfo& info);
  Napi::Value start(const Napi::CallbackInfo& info);

  void transferDidReceiveResponse(int statusCode,
                                  const std::optional<std::string>& location) override;
  void transferDidReceiveData(std::span<const std::uint8_t> chunk) override;
  void transferDidFinishLoading(http::Body body) override;
  void transferDidFail(const http::URLError& error) override;

 private:
  enum class State { Created, Started, Ended };

  static Napi::Function constructor(Napi::Env env);
  static Napi::Symbol listenersKey(Napi::Env env);
  Napi::Array listeners(ZqNetworkEvent event, bool create = false);
  bool hasListeners(ZqNetworkEvent event);
  void emit(ZqNetworkEvent event, napi_value argument);
  void failWith(const http::URLError& error);
  void clear();

  http::Request request_;
  State state_ = State::Created;
  std::shared_ptr<http::Transfer> transfer_;
  napi_async_context context_ = nullptr;
  bool held_ = false;
};

Napi::Function ZqNetworkRequest::constructor(Napi::Env env) {
  auto& shared = handles();
  if (shared.constructor) {
    napi_value value = nullptr;
    napi_get_reference_value(env, shared.constructor, &value);
    if (value) return Napi::Function(env, value);
  }
  Napi::Function function = DefineClass(env, "ZqNetworkRequest",
                                        {InstanceMethod<&ZqNetworkRequest::on>("on"),
                                         InstanceMethod<&ZqNetworkRequest::start>("start")});
  if (clearPendingException(env) || function.IsEmpty()) return Napi::Function();
  if (napi_create_reference(env, function, 1, &shared.constructor) != napi_ok) {
    shared.constructor = nullptr;
  }
  if (shared.constructor) {
    ZqOnApplicationIsolateTeardown([] {
      auto& state = handles();
      napi_env current = GetApplicationIsolate();
      if (current && state.constructor) napi_delete_reference(current, state.constructor);
      if (current && state.listenersKey) napi_delete_reference(current, state.listenersKey);
      state = ZqNetworkHandles{};
    });
  }
  return function;
}

Napi::Symbol ZqNetworkRequest::listenersKey(Napi::Env env) {
  auto& shared = handles();
  napi_value value = nullptr;
  if (shared.listenersKey) napi_get_reference_value(env, shared.listenersKey, &value);
  if (value) return Napi::Symbol(env, value);
  Napi::Symbol key = Napi::Symbol::New(env, "ZqNetworkRequest listeners");
  if (napi_create_reference(env, key, 1, &shared.listenersKey) != napi_ok) {
    shared.listenersKey = nullptr;
  }
  return key;
}

Napi::Value ZqNetworkRequest::create(const ZqArgs& args) {
  Napi::Env env = args.Env();
  if (!GetApplicationIsolate()) return env.Undefined();
  http::Request request = requestFromArguments(args);
  Napi::Function make = constructor(env);
  if (make.IsEmpty()) return env.Undefined();
  Napi::Object object = make.New({Napi::External<int>::New(env, &constructionToken)});
  if (clearPendingException(env) || object.IsEmpty()) return env.Undefined();
  ZqNetworkRequest* native = Unwrap(object);
  if (!native) {
    clearPendingException(env);
    return env.Undefined();
  }
  native->request_ = std::move(request);
  return object;
}

ZqNetworkRequest::ZqNetworkRequest(const Napi::CallbackInfo& info)
    : Napi::ObjectWrap<ZqNetworkRequest>(info) {
  Napi::Env env = info.Env();
  if (info.Length() < 1 || !info[0].IsExternal() ||
      info[0].As<Napi::External<int>>().Data() != &constructionToken) {
    Napi::TypeError::New(env, "request objects are made by createRequest()")
        .ThrowAsJavaScriptException();
    return;
  }
  // The listeners live on the object itself, so a listener that refers to its request
  // forms a cycle the collector can see, never a leak through a native root. An event's
  // list is made when its first listener is added.
  Napi::Array lists = Napi::Array::New(env, kZqNetworkEventCount);
  Napi::Object self = info.This().As<Napi::Object>();
  self.DefineProperty(Napi::PropertyDescriptor::Value(listenersKey(env), lists, napi_default));
}

ZqNetworkRequest::~ZqNetworkRequest() {
  if (transfer_) transfer_->cancel();
  napi_env env = GetApplicationIsolate();
  if (context_ && env) napi_async_destroy(env, context_);
}

Napi::Array ZqNetworkRequest::listeners(ZqNetworkEvent event, bool create) {
  Napi::Env env = Env();
  Napi::Value lists = Value().Get(listenersKey(env));
  if (clearPendingException(env) || !lists.IsArray()) return Napi::Array();
  Napi::Array all = lists.As<Napi::Array>();
  const auto index = static_cast<uint32_t>(event);
  Napi::Value list = all.Get(index);
  if (clearPendingException(env)) return Napi::Array();
  if (list.IsArray()) return list.As<Napi::Array>();
  if (!create) return Napi::Array();
  Napi::Array made = Napi::Array::New(env);
  all.Set(index, made);
  if (clearPendingException(env)) return Napi::Array();
  return made;
}

bool ZqNetworkRequest::hasListeners(ZqNetworkEvent event) {
  Napi::HandleScope scope(Env());
  Napi::Array list = listeners(event);
  return !list.IsEmpty() && list.Length() > 0;
}

Napi::Value ZqNetworkRequest::on(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (info.Length() != 2) return env.Undefined();
  const auto name = convertToString(info[0]);
  const auto event = name ? eventNamed(*name) : std::nullopt;
  if (!event) return env.Undefined();
  if (state_ == State::Ended) {
    // Nothing will be emitted any more; keeping the function would only hold it.
    ZQ_LOG_DEBUG("on(%@) after the request ended: nothing will be emitted", *name);
    return env.Undefined();
  }
  if (!info[1].IsFunction()) {
    ZQ_LOG_WARN("on(%@): the listener is not a function and was not added", *name);
    return env.Undefined();
  }
  Napi::Array list = listeners(*event, true);
  if (!list.IsEmpty()) list.Set(list.Length(), info[1]);
  clearPendingException(env);
  return env.Undefined();
}

Napi::Value ZqNetworkRequest::start(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (state_ != State::Created) {
    ZQ_LOG_WARN("start() on a request that has %@; ignored",
                state_ == State::Started ? "already started" : "ended");
    return env.Undefined();
  }
  state_ = State::Started;
  // Held from here to its last event: the transfer reports to this object, whether or not
  // the host still refers to it.
  Ref();
  held_ = true;
  napi_value resourceName = Napi::String::New(env, "ZqNetworkRequest");
  if (napi_async_init(env, Value(), resourceName, &context_) != napi_ok) {
    context_ = nullptr;
    clearPendingException(env);
  }
  transfer_ = http::Transfer::start(request_, this);
  return env.Undefined();
}

void ZqNetworkRequest::emit(ZqNetworkEvent event, napi_value argument) {
  Napi::Env env = Env();
  Napi::HandleScope scope(env);
  Napi::Array list = listeners(event);
  if (list.IsEmpty()) return;
  // A copy: listeners added while emitting wait for the next event.
  std::vector<Napi::Function> functions;
  const uint32_t count = list.Length();
  functions.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    Napi::Value listener = list.Get(i);
    if (!clearPendingException(env) && listener.IsFunction()) {
      functions.push_back(listener.As<Napi::Function>());
    }
  }
  for (const auto& function : functions) {
    velquarin::node::callHost(env, function, context_,
                              [argument](Napi::Env) { return std::vector<napi_value>{argument}; });
  }
}

void ZqNetworkRequest::transferDidReceiveResponse(int statusCode,
                                                  const std::optional<std::string>& location) {
  // Nothing reaches the host once its environment is being torn down.
  if (!velquarin::node::canCallHost(Env())) return;
  Napi::Env env = Env();
  Napi::HandleScope scope(env);
  Napi::Object self = Value();
  self.Set("statusCode", Napi::Number::New(env, statusCode));
  if (location) self.Set("location", ZqToHostString(env, *location));
  clearPendingException(env);
  emit(ZqNetworkEvent::Response, self);
}

void ZqNetworkRequest::transferDidReceiveData(std::span<const std::uint8_t> chunk) {
  if (!velquarin::node::canCallHost(Env())) return;
  if (!hasListeners(ZqNetworkEvent::Data)) return;
  Napi::Env env = Env();
  Napi::HandleScope scope(env);
  napi_value buffer = nullptr;
  if (chunk.size() >= kExternalBytes) {
    void* copy = std::malloc(chunk.size());
    if (!copy) {
      failWith(http::URLError{http::kURLErrorDataLengthExceedsMaximum, request_.url,
                              "out of memory while receiving the body"});
      return;
    }
    std::memcpy(copy, chunk.data(), chunk.size());
    auto release = [](napi_env, void* data, void*) { std::free(data); };
    if (napi_create_external_arraybuffer(env, copy, chunk.size(), release, nullptr, &buffer) !=
        napi_ok) {
      std::free(copy);
      buffer = nullptr;
      clearPendingException(env);
    }
  }
  if (!buffer) {
    void* data = nullptr;
    if (napi_create_arraybuffer(env, chunk.size(), &data, &buffer) != napi_ok || !data) {
      clearPendingException(env);
      failWith(http::URLError{http::kURLErrorDataLengthExceedsMaximum, request_.url,
                              "out of memory while receiving the body"});
      return;
    }
    if (!chunk.empty()) std::memcpy(data, chunk.data(), chunk.size());
  }
  emit(ZqNetworkEvent::Data, buffer);
}

void ZqNetworkRequest::transferDidFinishLoading(http::Body body) {
  if (!velquarin::node::canCallHost(Env())) return;
  Napi::Env env = Env();
  Napi::HandleScope scope(env);
  const std::size_t size = body.size();
  napi_value buffer = nullptr;
  if (size >= kExternalBytes) {
    // The body block becomes the buffer's memory: no second copy of a large body.
    std::uint8_t* bytes = body.release();
    auto release = [](napi_env, void* data, void*) { std::free(data); };
    if (napi_create_external_arraybuffer(env, bytes, size, release, nullptr, &buffer) != napi_ok) {
      clearPendingException(env);
      buffer = nullptr;
      // Engines that refuse outside memory get one copy.
      void* data = nullptr;
      if (napi_create_arraybuffer(env, size, &data, &buffer) == napi_ok && data) {
        std::memcpy(data, bytes, size);
      } else {
        buffer = nullptr;
        clearPendingException(env);
      }
      std::free(bytes);
    }
  } else {
    void* data = nullptr;
    if (napi_create_arraybuffer(env, size, &data, &buffer) != napi_ok) {
      buffer = nullptr;
    } else if (size > 0) {
      std::memcpy(data, body.data(), size);
    }
  }
  if (!buffer) {
    clearPendingException(env);
    failWith(http::URLError{http::kURLErrorDataLengthExceedsMaximum, request_.url,
                            "the body could not be handed to the host"});
    return;
  }
  Napi::Object self = Value();
  self.Set("buffer", Napi::Value(env, buffer));
  clearPendingException(env);
  state_ = State::Ended;
  emit(ZqNetworkEvent::End, self);
  clear();
}

void ZqNetworkRequest::transferDidFail(const http::URLError& error) {
  if (!velquarin::node::canCallHost(Env())) return;
  Napi::Env env = Env();
  Napi::HandleScope scope(env);
  state_ = State::Ended;
  Napi::Value text = ZqToHostString(env, error.description());
  emit(ZqNetworkEvent::Error, text);
  clear();
}

void ZqNetworkRequest::failWith(const http::URLError& error) {
  // The host could not take what arrived: stop the transfer and report instead.
  if (transfer_) transfer_->cancel();
  transferDidFail(error);
}

void ZqNetworkRequest::clear() {
  Napi::Env env = Env();
  Napi::HandleScope scope(env);
  transfer_.reset();
  Napi::Value lists = Value().Get(listenersKey(env));
  if (!clearPendingException(env) && lists.IsArray()) {
    // Drops every event's list (and the functions it holds) at once.
    lists.As<Napi::Array>().Set("length", Napi::Number::New(env, 0));
  }
  clearPendingException(env);
  if (context_) {
    napi_async_destroy(env, context_);
    context_ = nullptr;
  }
  if (held_) {
    held_ = false;
    Unref();
  }
}

}  // namespace

namespace zq::entries {

Napi::Value ZqCreateRequest(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() >= 1);
  ZQ_CONTRACT(args[0]->IsString());
  return ZqNetworkRequest::create(args);
}

}  // namespace zq::entries
