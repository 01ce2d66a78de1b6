#include "support/Attachment.h"

#include "drawing/Graphics.h"

namespace velquarin::platform::support {

std::shared_ptr<Attachment> Attachment::attachmentWithPath(std::string path) {
  return std::shared_ptr<Attachment>(new Attachment(std::move(path)));
}

std::shared_ptr<ScreenShotAttachment> ScreenShotAttachment::attachmentWithImage(
    std::shared_ptr<Image> image) {
  if (!image) return nullptr;
  return std::shared_ptr<ScreenShotAttachment>(new ScreenShotAttachment(std::move(image)));
}

std::shared_ptr<Image> ScreenShotAttachment::composedImage() const {
  const Size size{static_cast<double>(image_->pixelsWide()),
                  static_cast<double>(image_->pixelsHigh())};
  Graphics graphics(size, 1);
  graphics.drawImage(*image_, {0, 0, size.width, size.height});
  for (const auto& annotation : annotations_) {
    if (annotation.text.empty()) {
      graphics.fillRect(annotation.rect, annotation.color);
    } else {
      graphics.drawText(annotation.text, Font{}, annotation.rect, annotation.color);
    }
  }
  return graphics.image();
}

}  // namespace velquarin::platform::support
