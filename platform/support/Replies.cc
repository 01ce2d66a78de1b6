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

std::uint64_t Replies::editAttachment(std::shared_ptr<ScreenShotAttachment> attachment,
                                      EditCompletion completion) {
  const auto id = nextEditor_++;
  editors_.push_back({id, std::move(attachment), std::move(completion)});
  return id;
}

ScreenShotAttachment* Replies::editedAttachment(std::uint64_t id) const {
  for (const auto& session : editors_) {
    if (session.id == id) return session.attachment.get();
  }
  return nullptr;
}

bool Replies::finishEditor(std::uint64_t id, bool save) {
  for (auto it = editors_.begin(); it != editors_.end(); ++it) {
    if (it->id != id) continue;
    // Taken out first: the completion may open the next editor.
    auto session = std::move(*it);
    editors_.erase(it);
    if (session.completion) session.completion(save ? session.attachment : nullptr);
    return true;
  }
  return false;
}

void Replies::takeScreenRecording(CaptureCompletion completion) {
  auto earlier = std::exchange(capture_, std::move(completion));
  if (earlier) earlier(nullptr);
}

bool Replies::finishCapture(std::shared_ptr<Attachment> result) {
  auto completion = std::exchange(capture_, nullptr);
  if (!completion) return false;
  completion(std::move(result));
  return true;
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
