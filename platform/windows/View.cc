#include "windows/View.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "runtime/ClassRegistry.h"
#include "windows/WindowRegistry.h"

namespace velquarin::platform {
namespace {

struct Views {
  std::mutex mutex;
  std::uint64_t next = 0;
  std::map<std::uint64_t, std::weak_ptr<View>> live;
};

Views& views() {
  static auto* shared = new Views();  // leaked: views may outlive static destructors
  return *shared;
}

}  // namespace

bool pointInRect(Point point, Rect rect) {
  return point.x >= rect.x && point.y >= rect.y && point.x < rect.x + rect.width &&
         point.y < rect.y + rect.height;
}

std::shared_ptr<View> View::create(std::string className, Rect frame) {
  auto& shared = views();
  std::lock_guard lock(shared.mutex);
  auto view = std::make_shared<View>(std::move(className), frame, ++shared.next);
  shared.live.emplace(view->identifier_, view);
  return view;
}

std::shared_ptr<View> View::withIdentifier(std::uint64_t identifier) {
  auto& shared = views();
  std::lock_guard lock(shared.mutex);
  auto found = shared.live.find(identifier);
  return found == shared.live.end() ? nullptr : found->second.lock();
}

View::View(std::string className, Rect frame, std::uint64_t identifier)
    : className_(std::move(className)), frame_(frame), identifier_(identifier) {}

View::~View() {
  auto& shared = views();
  std::lock_guard lock(shared.mutex);
  shared.live.erase(identifier_);
}

bool View::isKindOf(const std::string& className) const {
  return ClassRegistry::shared().isKindOf(className_, className);
}

bool View::addSubview(const std::shared_ptr<View>& view) {
  if (!view || view->windowHandle_) return false;
  for (auto ancestor = shared_from_this(); ancestor; ancestor = ancestor->superview()) {
    if (ancestor == view) return false;
  }
  view->removeFromSuperview();
  view->superview_ = weak_from_this();
  subviews_.push_back(view);
  return true;
}

void View::removeFromSuperview() {
  auto parent = superview();
  if (!parent) return;
  auto keep = shared_from_this();
  std::erase(parent->subviews_, keep);
  superview_.reset();
}

std::shared_ptr<Window> View::window() const {
  const View* root = this;
  std::shared_ptr<View> holder;
  while (auto parent = root->superview()) {
    holder = parent;
    root = holder.get();
  }
  return root->windowHandle_ ? WindowRegistry::shared().find(root->windowHandle_) : nullptr;
}

}  // namespace velquarin::platform
