#include "Exports.h"
#include "Notifications/ZqSound.h"
#include "Utilities/ZqConvert.h"

namespace zq::exports {

Napi::Value getSoundNames(const ZqArgs& args) {
  const std::vector<std::string> names = ZqSoundNames();
  Napi::Array array = Napi::Array::New(args.Env(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    array.Set(static_cast<uint32_t>(i), ZqToHostString(args.Env(), names[i]));
  }
  return array;
}

Napi::Value playSoundWithName(const ZqArgs& args) {
  // The whole text, NULs included: a name is compared as given, never cut short.
  const Napi::Value name = args.at(0);
  return Napi::Boolean::New(args.Env(),
                            name.IsString() && ZqPlaySoundWithName(name.As<Napi::String>()));
}

}  // namespace zq::exports
