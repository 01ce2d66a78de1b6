#include "WebView/ZqWebContentsView.h"

#include <array>
#include <charconv>

#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"
#include "WebView/ZqDraggingInfo.h"
#include "pasteboard/Pasteboard.h"
#include "pasteboard/PasteboardTypes.h"
#include "runtime/ClassRegistry.h"
#include "windows/HostWebContentsView.h"

using velquarin::platform::DraggingInfo;
using velquarin::platform::DragHandler;
using velquarin::platform::Point;
using velquarin::platform::View;
using velquarin::platform::Window;

namespace {

// The first responder and at most this many of its ancestors are looked at.
constexpr int kMaxAncestors = 100;

ZqCallbackSlot& dragAndDropCallback() {
  static auto* slot = new ZqCallbackSlot("drag and drop callback");
  return *slot;
}

struct Interception {
  const char* selector;
  const char* keptSelector;
  const char* eventName;
  bool answersCopy;  // entered and updated always offer a copy
};

constexpr std::array<Interception, 4> kInterceptions{{
    {velquarin::platform::kDraggingEntered, "draggingEntered_:", "dragging-entered", true},
    {velquarin::platform::kDraggingExited, "draggingExited_:", "dragging-exited", false},
    {velquarin::platform::kDraggingUpdated, "draggingUpdated_:", "dragging-updated", true},
    {velquarin::platform::kPerformDragOperation, "performDragOperation_:", "perform-drag-operation",
     false},
}};

const Interception& interceptionOf(const char* selector) {
  for (const auto& each : kInterceptions) {
    if (std::string_view(each.selector) == selector) return each;
  }
  return kInterceptions[0];
}

// The web view's own handler: under the kept name once patched, else the handler itself.
std::optional<unsigned long> sendOwn(View& view, const char* selector, const DraggingInfo& info) {
  const auto& interception = interceptionOf(selector);
  if (auto answer = velquarin::platform::sendDragMessage(view, interception.keptSelector, info)) {
    return answer;
  }
  return velquarin::platform::sendDragMessage(view, selector, info);
}

unsigned long intercept(const Interception& interception, View& view, const DraggingInfo& info) {
  const bool hadWindow = view.window() != nullptr;
  CallCallback(interception.eventName, info);
  // The host may have closed the window meanwhile: then there is no web view to ask.
  if (hadWindow && !view.window()) return velquarin::platform::kDragOperationNone;
  const auto own = velquarin::platform::sendDragMessage(view, interception.keptSelector, info);
  if (interception.answersCopy) return velquarin::platform::kDragOperationCopy;
  return own.value_or(velquarin::platform::kDragOperationNone);
}

std::string describe(double value) {
  std::array<char, 64> buffer{};
  auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  if (error != std::errc()) return "0";
  return std::string(buffer.data(), end);
}

std::string describePoint(Point point) {
  return "{" + describe(static_cast<float>(point.x)) + ", " +
         describe(static_cast<float>(point.y)) + "}";
}

std::string describeRect(velquarin::platform::Rect rect) {
  return "{{" + describe(rect.x) + ", " + describe(rect.y) + "}, {" + describe(rect.width) + ", " +
         describe(rect.height) + "}}";
}

void installPatch(Napi::Env) {
  ZqInstallWebContentsViewPatch();
}

const ZqStartupStep kStep(6, "ZqInstallWebContentsViewPatch", installPatch);

}  // namespace

void ZqInstallWebContentsViewPatch() {
  const std::string cls = velquarin::platform::kWebContentsViewClass;
  if (!velquarin::platform::ClassRegistry::shared().exists(cls)) {
    ZQ_LOG_ERROR("Cannot patch as I didn't find application class");
    return;
  }
  for (const auto& interception : kInterceptions) {
    ZqReplaceMethod(cls, interception.selector, interception.keptSelector,
                    [&interception](View& view, const DraggingInfo& info) {
                      return intercept(interception, view, info);
                    });
  }
  ZQ_LOG_DEBUG("Installed patch!");
}

void CallCallback(const char* eventName, const DraggingInfo& info) {
  auto& slot = dragAndDropCallback();
  if (!slot.isSet()) return;
  if (!eventName) {
    ZQ_LOG_WARN("Need event name.");
    return;
  }
  auto pasteboard = info.draggingPasteboard();
  auto list = pasteboard
                  ? pasteboard->propertyListForType(velquarin::platform::kFilenamesPboardType)
                  : std::nullopt;
  const auto* paths = list ? list->asArray() : nullptr;
  if (!paths || paths->empty()) return;
  auto json = nlohmann::json::array();
  for (const auto& path : *paths) {
    if (const auto* text = path.asString()) json.push_back(*text);
  }
  auto window = info.draggingDestinationWindow();
  const auto text = ZqConvertToJSONString(json);
  if (!text) {
    ZQ_LOG_WARN("Couldn't convert to JSON");
    return;
  }
  const std::string event = eventName;
  slot.invoke([&](Napi::Env env) -> std::vector<napi_value> {
    return {Napi::String::New(env, event), ToBuffer(env, window.get()), ZqToHostString(env, *text)};
  });
}

std::shared_ptr<View> FindWebViewDropTarget(Window& window) {
  const std::string webView = velquarin::platform::kWebContentsViewClass;
  auto view = window.firstResponder();
  for (int examined = 0; view && examined <= kMaxAncestors; ++examined) {
    if (view->isKindOf(webView)) {
      ZQ_LOG_DEBUG("FindWebViewDropTarget: Found view from firstResponder.");
      return view;
    }
    view = view->superview();
  }
  for (const auto& container : window.contentView()->subviews()) {
    if (!container->isKindOf(velquarin::platform::kInspectableWebContentsViewClass)) continue;
    for (const auto& candidate : container->subviews()) {
      if (candidate->isKindOf(webView)) {
        ZQ_LOG_DEBUG("FindWebViewDropTarget: Found view from the top.");
        return candidate;
      }
    }
  }
  ZQ_LOG_WARN("FindWebViewDropTarget: Unable to find drop target.");
  return nullptr;
}

bool DropFiles(Window& window, Point point, const std::vector<std::string>& paths) {
  auto target = FindWebViewDropTarget(window);
  if (!target) return false;
  const auto frame = window.contentView()->frame();
  if (!velquarin::platform::pointInRect(point, frame)) {
    ZQ_LOG_INFO("Unable to drop files as %@ is not in %@", describePoint(point),
                describeRect(frame));
  }
  ZqDraggingInfo info(point);
  auto pasteboard = info.draggingPasteboard();
  pasteboard->declareTypes({velquarin::platform::kFilenamesPboardType});
  pasteboard->setPropertyList(velquarin::platform::PlistArray(paths.begin(), paths.end()),
                              velquarin::platform::kFilenamesPboardType);
  sendOwn(*target, velquarin::platform::kDraggingEntered, info);
  sendOwn(*target, velquarin::platform::kDraggingUpdated, info);
  return sendOwn(*target, velquarin::platform::kPerformDragOperation, info).value_or(0) != 0;
}

void SetDragAndDropCallback(Napi::Value function) {
  dragAndDropCallback().set(function);
}
