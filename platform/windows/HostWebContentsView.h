#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "windows/View.h"

namespace velquarin::platform {

// The host framework's web view classes: the view that receives drops and the container
// that holds it. The platform declares them when it loads, before the module starts, unless
// VELQUARIN_WEB_VIEW_CLASSES=absent (a host without them); declareHostWebViewClasses() then
// brings them later.
inline constexpr const char* kWebContentsViewClass = "WebContentsViewCocoa";
inline constexpr const char* kInspectableWebContentsViewClass = "BRYInspectableWebContentsView";

// Declares the classes and gives the web view its own drag handlers, which record every
// message and answer as set, and its key handlers, which take every key and record it.
// Later calls change nothing.
void declareHostWebViewClasses();

// One drag message the web view's own handler received.
struct RecordedDrag {
  std::string selector;
  std::uint64_t view = 0;
  std::uint64_t window = 0;  // 0 when the drag named no window
  Point location;
  std::vector<std::string> types;  // on the drag's pasteboard
  std::vector<std::string> paths;  // its file names, when it has any
  unsigned long answer = 0;
};

std::vector<RecordedDrag> takeRecordedWebViewDrags();

// One key event a web view took.
struct RecordedKey {
  std::string selector;  // "keyDown:", "keyUp:" or "flagsChanged:"
  std::uint64_t view = 0;
  std::uint64_t window = 0;  // 0 when the view is in no window
  std::uint16_t keyCode = 0;
  std::uint64_t modifierFlags = 0;
  std::string characters;
  std::string charactersIgnoringModifiers;
  Point location;
};

// The keys the web views of one window took since the last call for it.
std::vector<RecordedKey> takeRecordedWebViewKeys(std::uint64_t window);
// What the web view answers to one message from now on (initially 1 to all but
// draggingExited:, which answers 0).
void setWebViewDragAnswer(const std::string& selector, unsigned long answer);

}  // namespace velquarin::platform
