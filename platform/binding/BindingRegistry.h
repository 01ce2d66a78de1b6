#pragma once

#include <napi.h>

namespace velquarin::binding {

// Each service keeps its binding controls beside its own code and registers an installer
// here; the platform add-on runs every installer on its exports object.
using Installer = void (*)(Napi::Env env, Napi::Object exports);

struct Registrar {
  explicit Registrar(Installer installer);
};

void installAll(Napi::Env env, Napi::Object exports);

// Adds a function named `name` to `exports`.
void exportFunction(Napi::Object exports, const char* name, Napi::Function::Callback callback);

// Throws a TypeError and returns true when `condition` fails.
bool failIf(Napi::Env env, bool condition, const char* message);

}  // namespace velquarin::binding
