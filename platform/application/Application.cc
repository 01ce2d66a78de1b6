#include "application/Application.h"

namespace velquarin::platform {

Application& Application::shared() {
  static Application* application = new Application();
  return *application;
}

Application::Application() : delegate_(std::make_shared<ApplicationDelegate>()) {}

std::shared_ptr<Menu> Application::dockMenu() {
  auto delegate = delegate_;  // the operation may remove it
  return delegate ? delegate->applicationDockMenu() : nullptr;
}

}  // namespace velquarin::platform
