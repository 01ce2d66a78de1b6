#include "sound/SoundFileLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform::sound {

const SoundFileLibrary* SoundFileLibrary::get() {
  static const SoundFileLibrary* const table = [] {
    static const SideLibrary library("libvelquarin-sndfile.so", kSoundFileLibraryEntry,
                                     "Sound files are unavailable");
    auto entry = reinterpret_cast<SoundFileLibraryEntry>(library.entry());
    return entry ? entry() : nullptr;
  }();
  return table;
}

}  // namespace velquarin::platform::sound
