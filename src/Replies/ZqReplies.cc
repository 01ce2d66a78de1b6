#include "Replies/ZqReplies.h"

#include "Utilities/ZqLog.h"

using velquarin::platform::BitmapFileType;
using velquarin::platform::Image;

std::optional<std::vector<std::uint8_t>> ZqPNGRepresentation(const std::shared_ptr<Image>& image) {
  if (!image) {
    ZQ_LOG_WARN("image is nil.");
    return std::nullopt;
  }
  return image->representation(BitmapFileType::PNG);
}

std::optional<std::vector<std::uint8_t>> ZqJPGRepresentation(const std::shared_ptr<Image>& image) {
  if (!image) {
    ZQ_LOG_WARN("image is nil.");
    return std::nullopt;
  }
  return image->representation(BitmapFileType::JPEG);
}
