#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "images/Image.h"
#include "images/ImageTypes.h"

namespace velquarin::platform {

class SVGDocument;

// A font by family, size in points and weight (-1 lightest, 0 regular, 1 heaviest).
struct Font {
  std::string family = "DejaVu Sans";
  double size = 14;
  double weight = 0;

  // The font of the menu bar and of menus; a size of 0 or less is the menu bar's own.
  static Font menuBarFont(double size = 0);
  static constexpr double kMenuBarFontSize = 14;
  static constexpr double kSystemFontSize = 13;
  static constexpr double kSmallSystemFontSize = 11;
};

// The size one line of `text` takes in `font`, in points (the logical extents: advance width
// and line height). Text that is not UTF-8 is measured with its bad bytes replaced.
Size measureText(std::string_view text, const Font& font);

enum class TextAlignment { Left, Center };

// A point of a path, in points from the lower-left corner.
struct PathPoint {
  double x = 0;
  double y = 0;
};

// Vector drawing (shapes, text, images) on an off-screen surface measured in points with its
// origin at the lower-left corner, `scale` pixels a point; antialiased. The result is an
// Image like every other picture of the platform.
class Graphics {
 public:
  Graphics(Size size, double scale);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  int pixelsWide() const;
  int pixelsHigh() const;

  void fillRect(Rect rect, Color color);
  // Limits every later drawing to `rect` (within earlier limits).
  void clipToRect(Rect rect);
  // Fills `rect` with a linear gradient from `start` to `end` along `angle` degrees,
  // counter-clockwise from the x axis: 0 runs left to right, 270 top to bottom.
  void fillLinearGradient(Rect rect, Color start, Color end, double angle);
  // Strokes the open path through `points` with a line `width` points wide.
  void strokePath(std::span<const PathPoint> points, Color color, double width);
  void fillRoundedRect(Rect rect, double radius, Color color);
  // The ellipse inscribed in `rect`.
  void fillEllipse(Rect rect, Color color);
  // One line of text in `rect`: from its top edge, aligned horizontally as asked, clipped to
  // the rectangle's width when it is too long (ending in an ellipsis).
  void drawText(std::string_view text, const Font& font, Rect rect, Color color,
                TextAlignment alignment = TextAlignment::Left);
  // All of `image` scaled into `rect`. With `templateColor`, only the image's alpha is used
  // and painted in that colour (how template images are shown).
  void drawImage(const Image& image, Rect rect, const Color* templateColor = nullptr);
  // The whole document rendered as vectors into `rect` (its aspect ratio kept, centred).
  void drawSVG(const SVGDocument& document, Rect rect);

  std::shared_ptr<Image> image() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
  Size size_;
  double scale_ = 1;
};

}  // namespace velquarin::platform
