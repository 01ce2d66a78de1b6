#pragma once

#include <functional>

namespace velquarin::platform {

// How the application ends itself. By default the process exits with the given status; a
// test or a host that must clean up first can install its own handler. When a handler
// returns, terminate() returns to its caller, which must then carry on sensibly.
class Termination {
 public:
  using Handler = std::function<void(int status)>;

  static void terminate(int status);
  // An empty handler restores the default.
  static void setHandler(Handler handler);
};

}  // namespace velquarin::platform
