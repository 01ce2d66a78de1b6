#include "binding/BindingRegistry.h"
#include "sound/Beep.h"
#include "sound/Sound.h"

namespace velquarin::binding {
namespace {

// playingSounds(): the files being played now, in the order they started.
Napi::Value playingSounds(const Napi::CallbackInfo& info) {
  const std::vector<std::string> paths = platform::sound::Sound::playingPaths();
  Napi::Array array = Napi::Array::New(info.Env(), paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    array.Set(static_cast<uint32_t>(i), Napi::String::New(info.Env(), paths[i]));
  }
  return array;
}

// beepCount(): how many times the process beeped.
Napi::Value beepCount(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), static_cast<double>(platform::sound::beepCount()));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "playingSounds", playingSounds);
  exportFunction(exports, "beepCount", beepCount);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
