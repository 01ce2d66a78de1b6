#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "windows/DraggingDestination.h"

namespace velquarin::platform {

class Window;

// A drag the user makes from another application into a window: files or text put on the
// drag pasteboard, moved over the window, then dropped or taken away. Each step sends its
// message to the deepest view under the pointer that takes drags (chosen when the drag
// enters) and gives that view's answer, 0 when there is none. One drag at a time; main thread.
class UserDrag {
 public:
  struct Contents {
    std::optional<std::vector<std::string>> paths;
    std::optional<std::string> text;
  };

  // Ends any drag in progress (as taken away), then enters the window at `location`.
  static unsigned long begin(const std::shared_ptr<Window>& window, const Contents& contents,
                             Point location);
  static std::optional<unsigned long> move(Point location);
  static std::optional<unsigned long> drop();
  static std::optional<unsigned long> cancel();
};

}  // namespace velquarin::platform
