#include "sound/SoundLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform::sound {

const SoundLibrary* SoundLibrary::get() {
  static const SoundLibrary* const table = [] {
    static const SideLibrary library("libvelquarin-sound.so", kSoundLibraryEntry,
                                     "Sound files are unavailable");
    auto entry = reinterpret_cast<SoundLibraryEntry>(library.entry());
    return entry ? entry() : nullptr;
  }();
  return table;
}

}  // namespace velquarin::platform::sound
