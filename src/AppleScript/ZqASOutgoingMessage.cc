#include "AppleScript/ZqASOutgoingMessage.h"

#include "Utilities/ZqLog.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"

using velquarin::platform::ObjectSpecifier;
using json = nlohmann::json;

namespace {

constexpr double kVisibleComposeDelay = 1.0;

std::int64_t& idCounter() {
  static std::int64_t counter = -1;
  return counter;
}

json nullable(const std::optional<std::string>& value) {
  return value ? json(*value) : json(nullptr);
}

json recipientsJSON(const ZqASOutgoingMessage::Recipients& recipients) {
  json list = json::array();
  for (const auto& recipient : recipients) {
    list.push_back({{"name", recipient ? nullable(recipient->name()) : json(nullptr)},
                    {"email", recipient ? nullable(recipient->address()) : json(nullptr)}});
  }
  return list;
}

}  // namespace

ZqASOutgoingMessage::ZqASOutgoingMessage()
    : id_(++idCounter()), messageSignature_(ZqASOutgoingMessageSignature::create()) {}

std::shared_ptr<ZqASOutgoingMessage> ZqASOutgoingMessage::create() {
  auto message = std::make_shared<ZqASOutgoingMessage>();
  // Set through its setter, then marked unset: a new message reports no choice.
  message->setOptimizeAttachments(true);
  message->didSetOptimizeAttachments_ = false;
  ZQ_LOG_DEBUG("Created new and empty outgoing message.");
  return message;
}

ZqASOutgoingMessage::Messages& ZqASOutgoingMessage::outgoingMessages() {
  static Messages* messages = [] {
    auto* list = new Messages();  // lives as long as the process
    list->reserve(10);
    return list;
  }();
  return *messages;
}

std::optional<ObjectSpecifier> ZqASOutgoingMessage::objectSpecifier() const {
  return ObjectSpecifier::uniqueID(ObjectSpecifier::application(), "outgoingMessages", id_);
}

void ZqASOutgoingMessage::setOptimizeAttachments(bool value) {
  optimizeAttachments_ = value;
  didSetOptimizeAttachments_ = true;
}

void ZqASOutgoingMessage::setRecipients(Recipients& field, Recipients recipients, const char* key) {
  field = std::move(recipients);
  const ObjectSpecifier container = *objectSpecifier();
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i]) {
      field[i]->setObjectSpecifier(
          ObjectSpecifier::index(container, key, static_cast<std::int64_t>(i)));
    }
  }
}

void ZqASOutgoingMessage::setToRecipients(Recipients recipients) {
  setRecipients(toRecipients_, std::move(recipients), "toRecipients");
}

void ZqASOutgoingMessage::setCcRecipients(Recipients recipients) {
  setRecipients(ccRecipients_, std::move(recipients), "ccRecipients");
}

void ZqASOutgoingMessage::setBccRecipients(Recipients recipients) {
  setRecipients(bccRecipients_, std::move(recipients), "bccRecipients");
}

void ZqASOutgoingMessage::setMailAttachments(Attachments attachments) {
  mailAttachments_ = std::move(attachments);
  const ObjectSpecifier container = *objectSpecifier();
  for (std::size_t i = 0; i < mailAttachments_.size(); ++i) {
    if (mailAttachments_[i]) {
      mailAttachments_[i]->setObjectSpecifier(
          ObjectSpecifier::index(container, "mailAttachments", static_cast<std::int64_t>(i)));
    }
  }
}

void ZqASOutgoingMessage::setVisible(bool visible) {
  if (!visible) return;
  // The timer holds the message: deleting it meanwhile does not cancel the compose.
  auto self = std::static_pointer_cast<ZqASOutgoingMessage>(shared_from_this());
  velquarin::platform::MainQueue::shared().after(kVisibleComposeDelay,
                                                 [self] { self->handleComposeScriptCommand(); });
}

json ZqASOutgoingMessage::messageDictionary() const {
  json message = json::object();
  if (!sender_.empty()) message["sender"] = sender_;
  if (!subject_.empty()) message["subject"] = subject_;
  const std::string body = ZqComposeBody(content_.value_or(""));
  if (!body.empty()) message["body"] = body;
  message["to"] = recipientsJSON(toRecipients_);
  message["cc"] = recipientsJSON(ccRecipients_);
  message["bcc"] = recipientsJSON(bccRecipients_);
  json paths = json::array();
  for (const auto& attachment : mailAttachments_) {
    paths.push_back(attachment ? json(attachment->path()) : json(nullptr));
  }
  message["attachment-paths"] = std::move(paths);
  return message;
}

json ZqASOutgoingMessage::optionsDictionary() const {
  return {
      {ZqComposeOutgoingMessageNotificationOptimizeAttachmentKey,
       didSetOptimizeAttachments_ ? json(optimizeAttachments_) : json(nullptr)},
      {ZqComposeOutgoingMessageNotificationDirectlySendKey, directlySend_},
      {ZqComposeOutgoingMessageNotificationImageAttachMethodKey, nullable(imageAttachMethod_)},
      {ZqComposeOutgoingMessageNotificationImageFileTypeKey, nullable(imageFileType_)},
      {ZqComposeOutgoingMessageNotificationImageSizeKey, nullable(imageSize_)},
  };
}

void ZqASOutgoingMessage::handleComposeScriptCommand() {
  json userInfo = {{ZqComposeOutgoingMessageNotificationMessageKey, messageDictionary()},
                   {ZqComposeOutgoingMessageNotificationOptionsKey, optionsDictionary()}};
  velquarin::platform::NotificationCenter::defaultCenter().post(
      kZqComposeOutgoingMessageNotification, nullptr, std::move(userInfo));
}
