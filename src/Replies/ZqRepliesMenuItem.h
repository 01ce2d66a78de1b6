#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "menus/MenuItem.h"

// An entry of the support window's attachment menu: choosing it asks the host for
// attachments of its type. It is its own target.
class ZqRepliesMenuItem : public velquarin::platform::MenuItem,
                          public velquarin::platform::MenuTarget {
 public:
  static constexpr const char* kAttachFilesNotification = "ZqAttachFilesToReplies";
  static constexpr const char* kAction = "addAttachments:";

  static std::shared_ptr<ZqRepliesMenuItem> initWithTitle(std::string title, std::string type);

  std::string type() const;
  void setType(std::string type);

  // Writes "Attach it <type>" to the system log, then posts the request for attachments.
  void addAttachments();
  void performAction(const std::string& action, velquarin::platform::MenuItem& sender) override;

 private:
  ZqRepliesMenuItem(std::string title, std::string type);
  mutable std::mutex mutex_;
  std::string type_;
};
