#include "Utilities/ZqApplicationIsolate.h"

#include <uv.h>

#include <vector>

namespace {

struct IsolateRecord {
  napi_env env = nullptr;
  uv_loop_t* loop = nullptr;  // identifies the thread's environment across add-on instances
  std::vector<std::function<void()>> teardown;
};

// Never destroyed: static destructors may run after the engine is gone.
IsolateRecord& record() {
  static IsolateRecord* state = new IsolateRecord();
  return *state;
}

}  // namespace

bool ZqSetApplicationIsolate(Napi::Env env) {
  auto& state = record();
  uv_loop_t* loop = nullptr;
  napi_get_uv_event_loop(env, &loop);
  // Every instance of the add-on gets its own napi_env; the same loop means the same thread
  // and engine, which may open the add-on again. Another loop is another thread.
  if (state.env) return state.loop == loop;
  state.env = env;
  state.loop = loop;
  env.AddCleanupHook([] {
    auto& state = record();
    auto release = std::move(state.teardown);
    for (auto& fn : release) fn();
    state.env = nullptr;
  });
  return true;
}

napi_env GetApplicationIsolate() {
  return record().env;
}

void ZqOnApplicationIsolateTeardown(std::function<void()> release) {
  record().teardown.push_back(std::move(release));
}
