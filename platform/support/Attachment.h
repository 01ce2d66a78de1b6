#pragma once

#include <memory>
#include <string>
#include <vector>

#include "images/Image.h"
#include "images/ImageTypes.h"

namespace velquarin::platform::support {

// A file attached to a support message.
class Attachment {
 public:
  virtual ~Attachment() = default;
  static std::shared_ptr<Attachment> attachmentWithPath(std::string path);
  const std::string& path() const { return path_; }

 protected:
  explicit Attachment(std::string path) : path_(std::move(path)) {}

 private:
  std::string path_;
};

// What the user draws on a screenshot: a filled rectangle, or one line of text in the rectangle.
struct Annotation {
  Rect rect;
  Color color;
  std::string text;  // empty: a rectangle
};

// A picture attached to a message, with a title and the user's annotations on top.
class ScreenShotAttachment : public Attachment {
 public:
  static std::shared_ptr<ScreenShotAttachment> attachmentWithImage(std::shared_ptr<Image> image);

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::shared_ptr<Image>& image() const { return image_; }
  void setAnnotations(std::vector<Annotation> annotations) {
    annotations_ = std::move(annotations);
  }
  const std::vector<Annotation>& annotations() const { return annotations_; }
  // The image with the annotations drawn on it, at the image's own pixel size (points with
  // the origin at the lower-left corner, one point a pixel).
  std::shared_ptr<Image> composedImage() const;

 private:
  explicit ScreenShotAttachment(std::shared_ptr<Image> image)
      : Attachment({}), image_(std::move(image)) {}
  std::shared_ptr<Image> image_;
  std::string title_;
  std::vector<Annotation> annotations_;
};

}  // namespace velquarin::platform::support
