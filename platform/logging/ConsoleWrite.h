#pragma once

// Writing to a console that may not be drained, without spdlog: the module's system-log
// lines use it as the console logger does.

#include <string_view>

namespace velquarin::platform {

// What became of a line handed to writeWithoutBlocking.
enum class ConsoleWrite { Written, NotStarted, Cut };

// Writes `line` to `fd` only while it takes the text without blocking: nothing when it takes
// nothing now; a line begun may wait `finishMilliseconds` for the rest, then is cut.
ConsoleWrite writeWithoutBlocking(int fd, std::string_view line, int finishMilliseconds);

// How long a line already begun may wait for the rest of it to be taken.
inline constexpr int kConsoleFinishLineMilliseconds = 200;

}  // namespace velquarin::platform
