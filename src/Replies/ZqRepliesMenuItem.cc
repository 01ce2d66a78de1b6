#include "Replies/ZqRepliesMenuItem.h"

#include "Utilities/ZqLog.h"
#include "notificationcenter/NotificationCenter.h"

std::shared_ptr<ZqRepliesMenuItem> ZqRepliesMenuItem::initWithTitle(std::string title,
                                                                    std::string type) {
  std::shared_ptr<ZqRepliesMenuItem> item(new ZqRepliesMenuItem(std::move(title), std::move(type)));
  item->setTarget(item);
  return item;
}

ZqRepliesMenuItem::ZqRepliesMenuItem(std::string title, std::string type)
    : MenuItem(std::move(title), kAction), type_(std::move(type)) {}

std::string ZqRepliesMenuItem::type() const {
  std::lock_guard lock(mutex_);
  return type_;
}

void ZqRepliesMenuItem::setType(std::string type) {
  std::lock_guard lock(mutex_);
  type_ = std::move(type);
}

void ZqRepliesMenuItem::addAttachments() {
  const std::string kind = type();
  ZQ_SYSTEM_LOG("Attach it %@", kind);
  velquarin::platform::NotificationCenter::defaultCenter().post(kAttachFilesNotification, nullptr,
                                                                {{"type", kind}});
}

void ZqRepliesMenuItem::performAction(const std::string& action, velquarin::platform::MenuItem&) {
  if (action == kAction) addAttachments();
}
