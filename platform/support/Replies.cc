#include "support/Replies.h"

#include "windows/WindowOrdering.h"
#include "windows/WindowRegistry.h"

namespace velquarin::platform::support {

Replies& Replies::sharedReplies() {
  static auto* replies = new Replies();
  return *replies;
}

void Replies::resetMessage() {
  menu_.reset();
  threadId_.reset();
  body_.reset();
  subjectTypes_.clear();
  metaData_ = nullptr;
  attachments_.clear();
}

std::shared_ptr<Window> Replies::window() const {
  return window_ ? WindowRegistry::shared().find(window_) : nullptr;
}

void Replies::presentWindow() {
  auto shown = window();
  if (!shown) {
    shown = WindowRegistry::shared().create(kWindowClass);
    shown->title = productName_.empty() ? "Support" : productName_ + " Support";
    window_ = shown->handle();
    WindowOrdering::center(*shown);
  }
  WindowOrdering::makeKeyAndOrderFront(shown);
}

void Replies::closeWindow() {
  if (window_) WindowRegistry::shared().close(window_);
  window_ = 0;
}

const char* subjectTypeName(SubjectType type) {
  switch (type) {
    case SubjectType::Problem:
      return "problem";
    case SubjectType::FeatureRequest:
      return "featureRequest";
    case SubjectType::Other:
      break;
  }
  return "other";
}

}  // namespace velquarin::platform::support
