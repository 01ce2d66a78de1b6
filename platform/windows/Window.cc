#include "windows/Window.h"

#include <utility>

namespace velquarin::platform {

Window::Window(std::uint64_t handle, std::string className)
    : handle_(handle), className_(std::move(className)) {}

}  // namespace velquarin::platform
