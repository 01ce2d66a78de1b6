#include "windows/Window.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "runtime/ClassRegistry.h"
#include "toolbar/Toolbar.h"
#include "windows/WindowStyle.h"

namespace velquarin::platform {
namespace {

std::atomic<bool> gAutomaticTabbing{true};
std::atomic<std::uint64_t> gNextSheet{0};

[[maybe_unused]] const bool gDeclared = (declareWindowClasses(), true);

}  // namespace

void declareWindowClasses() {
  auto& classes = ClassRegistry::shared();
  classes.declare("NSObject");
  classes.declare("NSResponder", "NSObject");
  classes.declare(kWindowClass, "NSResponder");
  classes.declare(kPanelClass, kWindowClass);
  classes.declare(kHostWindowClass, kWindowClass);
  classes.declare(kHostWindowDelegateClass, "NSObject");
}

Window::Window(std::uint64_t handle, std::string className)
    : handle_(handle), className_(std::move(className)) {}

bool Window::isKindOf(const std::string& className) const {
  return ClassRegistry::shared().isKindOf(className_, className);
}

bool Window::isPanel() const {
  return panel || isKindOf(kPanelClass);
}

Rect Window::contentRectForFrameRect(Rect rect) const {
  if (styleMask & windowstyle::kTitled) rect.height = std::max(0.0, rect.height - kTitleBarHeight);
  return rect;
}

Rect Window::frameRectForContentRect(Rect rect) const {
  if (styleMask & windowstyle::kTitled) rect.height += kTitleBarHeight;
  return rect;
}

void Window::setFrame(Rect newFrame, bool /*display*/, bool animate) {
  frame = newFrame;
  lastFrameChangeAnimated_ = animate;
}

std::shared_ptr<View> Window::contentView() {
  if (!contentView_) {
    contentView_ = View::create("NSView", Rect{0, 0, 800, 600});
    contentView_->windowHandle_ = handle_;
  }
  return contentView_;
}

bool Window::makeFirstResponder(const std::shared_ptr<View>& view) {
  if (view) {
    auto root = view;
    while (auto parent = root->superview()) root = parent;
    if (root != contentView()) return false;
  }
  firstResponder_ = view;
  return true;
}

std::uint64_t Window::attachSheet(std::string className) {
  if (!open_) return 0;
  const auto identifier = ++gNextSheet;
  sheets_.push_back({identifier, std::move(className)});
  return identifier;
}

bool Window::detachSheet(std::uint64_t identifier) {
  return std::erase_if(sheets_, [&](const auto& sheet) { return sheet.identifier == identifier; }) >
         0;
}

bool Window::allowsAutomaticWindowTabbing() {
  return gAutomaticTabbing.load();
}

void Window::setAllowsAutomaticWindowTabbing(bool allow) {
  gAutomaticTabbing.store(allow);
}

void Window::setToolbar(std::shared_ptr<Toolbar> toolbar) {
  toolbar_ = std::move(toolbar);
  if (toolbar_) toolbar_->attach();
}

void Window::toggleToolbarShown() {
  if (toolbar_) toolbar_->setVisible(!toolbar_->isVisible());
}

void Window::addTitlebarAccessoryViewController(
    std::shared_ptr<TitlebarAccessoryViewController> accessory) {
  if (accessory && std::ranges::find(accessories_, accessory) == accessories_.end()) {
    accessories_.push_back(std::move(accessory));
  }
}

void Window::removeTitlebarAccessoryViewController(
    const TitlebarAccessoryViewController* accessory) {
  std::erase_if(accessories_, [&](const auto& held) { return held.get() == accessory; });
}

}  // namespace velquarin::platform
