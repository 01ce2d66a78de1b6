#include "windows/HostWebContentsView.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>

#include "application/Event.h"
#include "pasteboard/Pasteboard.h"
#include "pasteboard/PasteboardTypes.h"
#include "runtime/ClassRegistry.h"
#include "windows/DraggingDestination.h"
#include "windows/ViewEvents.h"
#include "windows/Window.h"

namespace velquarin::platform {
namespace {

struct WebViewState {
  std::mutex mutex;
  std::vector<RecordedDrag> drags;
  std::vector<RecordedKey> keys;
  std::map<std::string, unsigned long> answers{{kDraggingEntered, kDragOperationCopy},
                                               {kDraggingUpdated, kDragOperationCopy},
                                               {kDraggingExited, kDragOperationNone},
                                               {kPerformDragOperation, 1}};
};

WebViewState& state() {
  static auto* shared = new WebViewState();
  return *shared;
}

std::vector<std::string> filenamesOn(const Pasteboard& pasteboard) {
  std::vector<std::string> paths;
  auto list = pasteboard.propertyListForType(kFilenamesPboardType);
  if (const auto* array = list ? list->asArray() : nullptr) {
    for (const auto& each : *array) {
      if (const auto* path = each.asString()) paths.push_back(*path);
    }
  }
  return paths;
}

template <const char* const* Selector>
unsigned long recordDrag(View& view, const DraggingInfo& info) {
  RecordedDrag drag;
  drag.selector = *Selector;
  drag.view = view.identifier();
  if (auto window = info.draggingDestinationWindow()) drag.window = window->handle();
  drag.location = info.draggingLocation();
  if (auto pasteboard = info.draggingPasteboard()) {
    drag.types = pasteboard->types();
    drag.paths = filenamesOn(*pasteboard);
  }
  auto& shared = state();
  std::lock_guard lock(shared.mutex);
  drag.answer = shared.answers[drag.selector];
  shared.drags.push_back(drag);
  return drag.answer;
}

template <const char* const* Selector>
bool recordKey(View& view, const Event& event) {
  RecordedKey key;
  key.selector = *Selector;
  key.view = view.identifier();
  if (auto window = view.window()) key.window = window->handle();
  key.keyCode = event.keyCode;
  key.modifierFlags = event.modifierFlags;
  key.characters = event.characters;
  key.charactersIgnoringModifiers = event.charactersIgnoringModifiers;
  key.location = {event.locationX, event.locationY};
  auto& shared = state();
  std::lock_guard lock(shared.mutex);
  shared.keys.push_back(std::move(key));
  return true;
}

constexpr const char* kDown = kKeyDown;
constexpr const char* kUp = kKeyUp;
constexpr const char* kFlags = kFlagsChanged;

constexpr const char* kEntered = kDraggingEntered;
constexpr const char* kUpdated = kDraggingUpdated;
constexpr const char* kExited = kDraggingExited;
constexpr const char* kPerform = kPerformDragOperation;

void declareUnlessAbsent() {
  const char* mode = std::getenv("VELQUARIN_WEB_VIEW_CLASSES");
  if (mode && std::string_view(mode) == "absent") return;
  declareHostWebViewClasses();
}

// Declared as the platform library loads, before any module's start-up runs.
[[maybe_unused]] const bool gDeclared = (declareUnlessAbsent(), true);

}  // namespace

void declareHostWebViewClasses() {
  auto& classes = ClassRegistry::shared();
  classes.declare("NSResponder");
  classes.declare("NSView", "NSResponder");
  classes.declare(kInspectableWebContentsViewClass, "NSView");
  if (!classes.declare(kWebContentsViewClass, "NSView")) return;
  auto& methods = draggingDestinationMethods();
  methods.add(kWebContentsViewClass, kDraggingEntered, recordDrag<&kEntered>);
  methods.add(kWebContentsViewClass, kDraggingUpdated, recordDrag<&kUpdated>);
  methods.add(kWebContentsViewClass, kDraggingExited, recordDrag<&kExited>);
  methods.add(kWebContentsViewClass, kPerformDragOperation, recordDrag<&kPerform>);
  auto& keys = viewKeyOperations();
  keys.add(kWebContentsViewClass, kKeyDown, recordKey<&kDown>);
  keys.add(kWebContentsViewClass, kKeyUp, recordKey<&kUp>);
  keys.add(kWebContentsViewClass, kFlagsChanged, recordKey<&kFlags>);
}

MethodTable<KeyHandler>& viewKeyOperations() {
  static auto* operations = new MethodTable<KeyHandler>();
  return *operations;
}

std::vector<RecordedKey> takeRecordedWebViewKeys(std::uint64_t window) {
  auto& shared = state();
  std::lock_guard lock(shared.mutex);
  std::vector<RecordedKey> taken;
  std::erase_if(shared.keys, [&](RecordedKey& key) {
    if (key.window != window) return false;
    taken.push_back(std::move(key));
    return true;
  });
  return taken;
}

std::vector<RecordedDrag> takeRecordedWebViewDrags() {
  auto& shared = state();
  std::lock_guard lock(shared.mutex);
  return std::exchange(shared.drags, {});
}

void setWebViewDragAnswer(const std::string& selector, unsigned long answer) {
  auto& shared = state();
  std::lock_guard lock(shared.mutex);
  shared.answers[selector] = answer;
}

}  // namespace velquarin::platform
