#include "application/Application.h"

#include <vector>

#include "application/DispatchReport.h"
#include "notificationcenter/NotificationCenter.h"
#include "runtime/ClassRegistry.h"
#include "windows/HostWebContentsView.h"
#include "windows/ViewEvents.h"
#include "windows/WindowOrdering.h"

namespace velquarin::platform {
namespace {

void declareApplicationClasses() {
  auto& classes = ClassRegistry::shared();
  classes.declare("NSObject");
  classes.declare("NSResponder", "NSObject");
  classes.declare(Application::kFrameworkClassName, "NSResponder");
  classes.declare(Application::kClassName, Application::kFrameworkClassName);
  Application::eventOperations().add(Application::kFrameworkClassName, Application::kSendEvent,
                                     dispatchEvent);
}

[[maybe_unused]] const bool gDeclared = (declareApplicationClasses(), true);

const char* selectorFor(EventType type) {
  switch (type) {
    case EventType::KeyDown:
      return kKeyDown;
    case EventType::KeyUp:
      return kKeyUp;
    default:
      return kFlagsChanged;
  }
}

bool isMouseDown(EventType type) {
  return type == EventType::LeftMouseDown || type == EventType::RightMouseDown ||
         type == EventType::OtherMouseDown;
}

// Along the responder chain from the first responder; true when a view took the event.
bool sendToResponders(Window& window, const Event& event) {
  for (auto view = window.firstResponder(); view; view = view->superview()) {
    auto handler = viewKeyOperations().lookup(view->className(), selectorFor(event.type));
    if (handler && handler(*view, event)) {
      lastDispatch().webView = view->isKindOf(kWebContentsViewClass);
      return true;
    }
  }
  return false;
}

}  // namespace

DispatchReport& lastDispatch() {
  static auto* report = new DispatchReport();
  return *report;
}

Application::EventOperations& Application::eventOperations() {
  static auto* operations = new EventOperations();
  return *operations;
}

Application::QueryOperations& Application::queryOperations() {
  static auto* operations = new QueryOperations();
  return *operations;
}

Application::FilterOperations& Application::filterOperations() {
  static auto* operations = new FilterOperations();
  return *operations;
}

Application& Application::shared() {
  static Application* application = new Application();
  return *application;
}

Application::Application() : delegate_(std::make_shared<ApplicationDelegate>()) {}

std::shared_ptr<Menu> Application::dockMenu() {
  auto delegate = delegate_;  // the operation may remove it
  return delegate ? delegate->applicationDockMenu() : nullptr;
}

void Application::sendEvent(const Event& event) {
  lastDispatch() = {};
  currentEvent_ = event;
  std::optional<Event> remaining = event;
  std::vector<std::shared_ptr<Monitor>> monitors;  // a monitor may add or remove monitors
  for (const auto& [id, monitor] : monitors_) monitors.push_back(monitor);
  for (const auto& monitor : monitors) {
    remaining = (*monitor)(*remaining);
    if (!remaining) {
      lastDispatch().swallowed = true;
      return;
    }
  }
  if (auto send = eventOperations().lookup(className_, kSendEvent)) send(*this, *remaining);
}

std::uint64_t Application::addLocalMonitor(Monitor monitor) {
  const auto identifier = ++nextMonitor_;
  monitors_.emplace(identifier, std::make_shared<Monitor>(std::move(monitor)));
  return identifier;
}

void Application::removeLocalMonitor(std::uint64_t identifier) {
  monitors_.erase(identifier);
}

void Application::hide() {
  if (hidden_) return;
  hidden_ = true;
  WindowOrdering::suspend();
}

void Application::unhide() {
  if (!hidden_) return;
  hidden_ = false;
  if (active_) WindowOrdering::resume();
}

void Application::activate() {
  if (active_) return;
  active_ = true;
  if (!hidden_) WindowOrdering::resume();
  NotificationCenter::defaultCenter().post(kApplicationDidBecomeActiveNotification, this);
}

void Application::deactivate() {
  if (!active_) return;
  active_ = false;
  WindowOrdering::suspend();
}

void dispatchEvent(Application& application, const Event& event) {
  auto window = event.window.lock();
  if (isMouseDown(event.type)) {
    if (window && window->isOpen()) WindowOrdering::makeKeyAndOrderFront(window);
    return;
  }
  if (!event.isKeyboard()) return;
  if (!window) window = WindowOrdering::keyWindow();
  if (window && sendToResponders(*window, event)) return;
  const bool keyEquivalent =
      event.type == EventType::KeyDown &&
      (event.has(EventModifierFlags::Command) || event.has(EventModifierFlags::Control));
  if (!keyEquivalent) return;
  if (auto menu = application.mainMenu()) menu->performKeyEquivalent(event);
}

}  // namespace velquarin::platform
