#pragma once

#include <cstdint>

namespace velquarin::platform::sound {

// The system beep: the sound theme's "bell" when there is one (a beep while one still plays
// is not played again); counted either way. Main thread only.
void beep();
std::uint64_t beepCount();

}  // namespace velquarin::platform::sound
