#pragma once

#include <napi.h>

#include <functional>

// The host environment every stored callback runs in, recorded once at start-up.
// Returns false (and records nothing) when the recorded environment runs on another thread.
bool ZqSetApplicationIsolate(Napi::Env env);
// The recorded environment, or nullptr before start-up and after the environment is gone.
napi_env GetApplicationIsolate();

// Runs `release` on the main thread just before the application environment goes away, so
// that handles into it are dropped while it still exists.
void ZqOnApplicationIsolateTeardown(std::function<void()> release);
