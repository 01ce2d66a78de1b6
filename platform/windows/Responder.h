#pragma once

#include <cstdint>
#include <memory>

namespace velquarin::platform {

// An object that can join a window's responder chain after the window. Links are weak, as
// on the desktop this stands in for: joining a chain keeps nothing alive.
class Responder {
 public:
  virtual ~Responder() = default;
  std::shared_ptr<Responder> nextResponder() const { return next_.lock(); }
  void setNextResponder(const std::shared_ptr<Responder>& next) { next_ = next; }

 private:
  std::weak_ptr<Responder> next_;
};

// The responder after a window in its chain; null when the chain ends at the window. Main
// thread. A closed window's link is dropped.
std::shared_ptr<Responder> windowNextResponder(std::uint64_t windowHandle);
void setWindowNextResponder(std::uint64_t windowHandle, const std::shared_ptr<Responder>& next);

}  // namespace velquarin::platform
