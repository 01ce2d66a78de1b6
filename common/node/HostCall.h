#pragma once

// The one way native code calls a host function: a fresh handle scope, a null
// receiver and the Node callback scope (a callback scope with an async context), so promise jobs
// and process.nextTick work queued by the host run as soon as the call returns. A host
// exception becomes the process's uncaught exception instead of vanishing or crashing us.

#include <napi.h>

#include <functional>
#include <optional>
#include <vector>

namespace velquarin::node {

// Hands a pending JavaScript exception to process 'uncaughtException'.
inline void surfacePendingException(napi_env env) {
  bool pending = false;
  if (napi_is_exception_pending(env, &pending) != napi_ok || !pending) return;
  napi_value error = nullptr;
  if (napi_get_and_clear_last_exception(env, &error) == napi_ok && error) {
    napi_fatal_exception(env, error);
  }
}

// False while the environment is being torn down (tasks still drained from the loop after the
// host's last tick): no JavaScript may run then, and node-addon-api would abort the process on
// the refused call. A property write is refused exactly then, or with an exception pending.
inline bool canCallHost(napi_env env) {
  napi_handle_scope scope = nullptr;
  if (napi_open_handle_scope(env, &scope) != napi_ok) return false;
  napi_value object = nullptr;
  napi_value value = nullptr;
  const bool can = napi_create_object(env, &object) == napi_ok &&
                   napi_get_undefined(env, &value) == napi_ok &&
                   napi_set_named_property(env, object, "probe", value) == napi_ok;
  napi_close_handle_scope(env, scope);
  return can;
}

// Calls `fn`; `onResult` sees the return value inside the call's handle scope. Returns false
// when the function threw (the exception has been surfaced as uncaught).
inline bool callHost(Napi::Env env, Napi::Function fn, napi_async_context context,
                     const std::function<std::vector<napi_value>(Napi::Env)>& buildArgs,
                     const std::function<void(Napi::Value)>& onResult = {}) {
  Napi::HandleScope scope(env);
  if (fn.IsEmpty() || !canCallHost(env)) return false;
  std::vector<napi_value> args = buildArgs ? buildArgs(env) : std::vector<napi_value>{};
  // A callback scope instead of napi_make_callback: the latter insists on an object receiver.
  napi_callback_scope callbackScope = nullptr;
  const bool scoped = context && napi_open_callback_scope(env, Napi::Object::New(env), context,
                                                          &callbackScope) == napi_ok;
  napi_value result = nullptr;
  const napi_status status =
      napi_call_function(env, env.Null(), fn, args.size(), args.data(), &result);
  if (status == napi_ok && onResult) onResult(Napi::Value(env, result));
  surfacePendingException(env);
  // Closing the outermost scope runs the host's process.nextTick work and promise jobs.
  if (scoped) napi_close_callback_scope(env, callbackScope);
  return status == napi_ok;
}

}  // namespace velquarin::node
