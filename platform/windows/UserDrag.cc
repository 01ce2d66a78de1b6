#include "windows/UserDrag.h"

#include "pasteboard/Pasteboard.h"
#include "pasteboard/PasteboardTypes.h"
#include "windows/Window.h"

namespace velquarin::platform {
namespace {

class UserDraggingInfo final : public DraggingInfo {
 public:
  UserDraggingInfo(std::weak_ptr<Window> window, long sequence)
      : window_(std::move(window)), sequence_(sequence) {}
  Point draggingLocation() const override { return location; }
  std::shared_ptr<Pasteboard> draggingPasteboard() const override { return Pasteboard::drag(); }
  std::shared_ptr<Window> draggingDestinationWindow() const override { return window_.lock(); }
  unsigned long draggingSourceOperationMask() const override { return kDragOperationCopy; }
  long draggingSequenceNumber() const override { return sequence_; }

  Point location;
  std::weak_ptr<View> destination;

 private:
  std::weak_ptr<Window> window_;
  long sequence_;
};

std::shared_ptr<UserDraggingInfo>& current() {
  static std::shared_ptr<UserDraggingInfo> drag;
  return drag;
}

unsigned long send(UserDraggingInfo& info, const char* selector) {
  auto view = info.destination.lock();
  if (!view) return kDragOperationNone;
  return sendDragMessage(*view, selector, info).value_or(kDragOperationNone);
}

// Sends the last message and forgets the drag first, so a handler may start another.
std::optional<unsigned long> finish(const char* selector) {
  auto info = std::move(current());
  if (!info) return std::nullopt;
  return send(*info, selector);
}

void putOnDragPasteboard(const UserDrag::Contents& contents) {
  auto pasteboard = Pasteboard::drag();
  std::vector<std::string> types;
  if (contents.paths) types.push_back(kFilenamesPboardType);
  if (contents.text) types.push_back(kStringPboardType);
  pasteboard->declareTypes(types);
  if (contents.paths) {
    PlistArray paths(contents.paths->begin(), contents.paths->end());
    pasteboard->setPropertyList(paths, kFilenamesPboardType);
  }
  if (contents.text) pasteboard->setString(*contents.text, kStringPboardType);
}

}  // namespace

unsigned long UserDrag::begin(const std::shared_ptr<Window>& window, const Contents& contents,
                              Point location) {
  cancel();
  static long sequence = 0;
  putOnDragPasteboard(contents);
  auto info = std::make_shared<UserDraggingInfo>(window, ++sequence);
  info->location = location;
  if (window) {
    info->destination = window->contentView()->hitTest(location, [](const View& view) {
      return draggingDestinationMethods().respondsTo(view.className(), kDraggingEntered);
    });
  }
  current() = info;  // handlers may start or end drags; this one lives until it is answered
  return send(*info, kDraggingEntered);
}

std::optional<unsigned long> UserDrag::move(Point location) {
  auto info = current();
  if (!info) return std::nullopt;
  info->location = location;
  return send(*info, kDraggingUpdated);
}

std::optional<unsigned long> UserDrag::drop() {
  return finish(kPerformDragOperation);
}

std::optional<unsigned long> UserDrag::cancel() {
  return finish(kDraggingExited);
}

}  // namespace velquarin::platform
