#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "images/ImageTypes.h"

namespace velquarin::platform {

class Window;

struct Point {
  double x = 0;
  double y = 0;
};

// Whether the point lies in the rectangle: lower and left edges inside, upper and right out.
bool pointInRect(Point point, Rect rect);

// A view of a window's tree. Its frame is in its superview's coordinates (points, origin at
// the lower-left corner); its class is named in the ClassRegistry, so "kind of" tests follow
// the class chain. Views belong to the main thread.
class View : public std::enable_shared_from_this<View> {
 public:
  static std::shared_ptr<View> create(std::string className, Rect frame = {});
  // The live view with this identifier (as the binding names views), or null.
  static std::shared_ptr<View> withIdentifier(std::uint64_t identifier);

  std::uint64_t identifier() const { return identifier_; }
  const std::string& className() const { return className_; }
  bool isKindOf(const std::string& className) const;
  Rect frame() const { return frame_; }
  void setFrame(Rect frame) { frame_ = frame; }
  // Opacity from 0 (invisible) to 1.
  double alphaValue() const { return alpha_; }
  void setAlphaValue(double alpha) { alpha_ = alpha; }

  std::shared_ptr<View> superview() const { return superview_.lock(); }
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  // Moves `view` here from wherever it was; false (nothing changed) when it would make a
  // cycle or is a window's content view.
  bool addSubview(const std::shared_ptr<View>& view);
  void removeFromSuperview();

  // The window whose content view is this view or an ancestor; null once it closed.
  std::shared_ptr<Window> window() const;
  // The deepest view at `point` (in this view's superview coordinates) that `accepts`.
  template <class Predicate>
  std::shared_ptr<View> hitTest(Point point, const Predicate& accepts) {
    if (!pointInRect(point, frame_)) return nullptr;
    const Point inside{point.x - frame_.x, point.y - frame_.y};
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
      if (auto hit = (*it)->hitTest(inside, accepts)) return hit;
    }
    return accepts(*this) ? shared_from_this() : nullptr;
  }

  View(std::string className, Rect frame, std::uint64_t identifier);
  ~View();

 private:
  friend class Window;
  std::string className_;
  Rect frame_;
  double alpha_ = 1;
  std::uint64_t identifier_;
  std::uint64_t windowHandle_ = 0;  // set on a content view
  std::weak_ptr<View> superview_;
  std::vector<std::shared_ptr<View>> subviews_;
};

}  // namespace velquarin::platform
