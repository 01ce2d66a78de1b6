#pragma once

#include <napi.h>

#include <functional>
#include <string>
#include <vector>

// One host function stored for one event kind. The slot lives for the process; its handle
// is dropped while the environment still exists, never from a static destructor.
class ZqCallbackSlot {
 public:
  using ArgsBuilder = std::function<std::vector<napi_value>(Napi::Env)>;
  using ResultHandler = std::function<void(Napi::Value)>;

  explicit ZqCallbackSlot(std::string name);
  ZqCallbackSlot(const ZqCallbackSlot&) = delete;
  ZqCallbackSlot& operator=(const ZqCallbackSlot&) = delete;

  // Replaces the stored function. A value that is not a function empties the slot (with a
  // warning): there is nothing that could be called.
  void set(Napi::Value function);
  bool isSet() const { return function_ != nullptr; }
  void clear();

  // Main thread: calls the stored function with a null receiver and the built
  // arguments; `onResult` reads the result inside the call's handle scope. Returns false when
  // the slot is empty or the function threw (the exception reaches the host as uncaught).
  bool invoke(const ArgsBuilder& build = {}, const ResultHandler& onResult = {}) const;
  // For one-shot slots: empties the slot, then calls what it held, so the function may start
  // the next operation from inside the call.
  bool invokeOnce(const ArgsBuilder& build = {}, const ResultHandler& onResult = {});

  const std::string& name() const { return name_; }

 private:
  void release();

  std::string name_;
  napi_ref function_ = nullptr;
  napi_async_context context_ = nullptr;
  bool teardownRegistered_ = false;
};
