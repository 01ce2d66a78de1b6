#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "images/ImageTypes.h"
#include "windows/View.h"

namespace velquarin::platform {

class Graphics;
class Toolbar;

// A view controller shown in a window's title bar, at its left or right end.
class TitlebarAccessoryViewController {
 public:
  enum class LayoutAttribute { Left, Right };
  explicit TitlebarAccessoryViewController(LayoutAttribute layout, Size size)
      : layoutAttribute(layout), size(size) {}
  virtual ~TitlebarAccessoryViewController() = default;
  LayoutAttribute layoutAttribute;
  Size size;
  bool hidden = false;

  // The user presses the mouse in the accessory; the first click on an inactive window
  // reaches it only when acceptsFirstMouse says so.
  virtual void mouseDown() {}
  virtual bool acceptsFirstMouse() const { return true; }
  // The pointer enters or leaves the accessory.
  virtual void setHovering(bool) {}
  virtual bool isHovering() const { return false; }
  // Draws the accessory into `bounds` of `graphics`.
  virtual void draw(Graphics&, Rect, bool /*windowIsMain*/) const {}
};

// The framework's window classes and the host framework's own, declared when the platform
// loads: "NSWindow" and "NSPanel" below "NSResponder", "AtomNSWindow" below "NSWindow", and
// the delegate class "AtomNSWindowDelegate" below "NSObject".
inline constexpr const char* kWindowClass = "NSWindow";
inline constexpr const char* kPanelClass = "NSPanel";
inline constexpr const char* kHostWindowClass = "AtomNSWindow";
inline constexpr const char* kHostWindowDelegateClass = "AtomNSWindowDelegate";

// A sheet attached to a window (a save panel, an alert): its class and an identifier.
struct AttachedSheet {
  std::uint64_t identifier = 0;
  std::string className;
};

// A top-level window of the process. The host refers to it by an opaque 8-byte handle
// that the registry looks up; nothing ever reads a window's address from host memory.
// Main thread only.
class Window {
 public:
  // The height of a titled window's title bar, in points.
  static constexpr double kTitleBarHeight = 22;

  Window(std::uint64_t handle, std::string className);

  std::uint64_t handle() const { return handle_; }
  const std::string& className() const { return className_; }
  bool isKindOf(const std::string& className) const;
  bool isOpen() const { return open_; }
  // Panels (instances of "NSPanel" or marked so) take the keyboard but never become main.
  bool isPanel() const;
  bool canBecomeMain() const { return !isPanel(); }

  std::string title;
  bool visible = true;
  bool panel = false;
  // The class of the window's delegate; empty for none.
  std::string delegateClassName;
  // The whole window (title bar included) on the main screen, in points from its lower-left
  // corner, and the style (WindowStyle.h); key, main and front order are kept by
  // WindowOrdering.h.
  Rect frame;
  unsigned styleMask = 0;

  // The content area of a window with `frame`: below the title bar when titled.
  Rect contentRectForFrameRect(Rect frame) const;
  Rect frameRectForContentRect(Rect content) const;
  Rect contentRect() const { return contentRectForFrameRect(frame); }
  // Moves the window; `animate` is kept as how the last change was made.
  void setFrame(Rect newFrame, bool display, bool animate);
  bool lastFrameChangeAnimated() const { return lastFrameChangeAnimated_; }

  // The root of the window's views (class "NSView", 800 x 600 points until set), made on
  // first use.
  std::shared_ptr<View> contentView();
  // The view keyboard events go to first; null when it is the window itself.
  std::shared_ptr<View> firstResponder() const { return firstResponder_.lock(); }
  // A view of this window's tree, or null for the window; false for a view of another tree.
  bool makeFirstResponder(const std::shared_ptr<View>& view);

  // Sheets shown on the window, oldest first. attachSheet gives the sheet's identifier (0
  // for a closed window); detachSheet is false for one that is not attached.
  const std::vector<AttachedSheet>& attachedSheets() const { return sheets_; }
  std::uint64_t attachSheet(std::string className);
  bool detachSheet(std::uint64_t identifier);

  // The window's toolbar; setting one fills in its items. toggleToolbarShown shows a hidden
  // toolbar and hides a shown one.
  const std::shared_ptr<Toolbar>& toolbar() const { return toolbar_; }
  void setToolbar(std::shared_ptr<Toolbar> toolbar);
  void toggleToolbarShown();

  const std::vector<std::shared_ptr<TitlebarAccessoryViewController>>&
  titlebarAccessoryViewControllers() const {
    return accessories_;
  }
  void addTitlebarAccessoryViewController(
      std::shared_ptr<TitlebarAccessoryViewController> accessory);
  void removeTitlebarAccessoryViewController(const TitlebarAccessoryViewController* accessory);

  // Whether the framework groups windows into tabs on its own; off once the module starts.
  static bool allowsAutomaticWindowTabbing();
  static void setAllowsAutomaticWindowTabbing(bool allow);

 private:
  friend class WindowRegistry;
  std::uint64_t handle_;
  std::string className_;
  bool open_ = true;
  bool closing_ = false;
  bool lastFrameChangeAnimated_ = false;
  std::shared_ptr<View> contentView_;
  std::weak_ptr<View> firstResponder_;
  std::vector<AttachedSheet> sheets_;
  std::shared_ptr<Toolbar> toolbar_;
  std::vector<std::shared_ptr<TitlebarAccessoryViewController>> accessories_;
};

// Declares the window classes above; runs as the platform loads, later calls change nothing.
void declareWindowClasses();

}  // namespace velquarin::platform
