#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppleScript/ZqComposeBody.h"
#include "scripting/ScriptValue.h"

// Outgoing messages made by scripts, and by native code that asks the host to compose one:
// composing posts ZqComposeOutgoingMessageNotification with the message and the options,
// which the module's observer hands to the host's compose callback. Main thread only.

inline constexpr const char* kZqComposeOutgoingMessageNotification =
    "ZqComposeOutgoingMessageNotification";
inline constexpr const char* ZqComposeOutgoingMessageNotificationMessageKey = "message";
inline constexpr const char* ZqComposeOutgoingMessageNotificationOptionsKey = "options";
inline constexpr const char* ZqComposeOutgoingMessageNotificationOptimizeAttachmentKey =
    "optimize-attachments?";
inline constexpr const char* ZqComposeOutgoingMessageNotificationDirectlySendKey = "directly-send?";
inline constexpr const char* ZqComposeOutgoingMessageNotificationImageAttachMethodKey =
    "image-attach-method";
inline constexpr const char* ZqComposeOutgoingMessageNotificationImageFileTypeKey =
    "image-file-type";
inline constexpr const char* ZqComposeOutgoingMessageNotificationImageSizeKey = "image-size";

class ZqASOutgoingMessageRecipient : public velquarin::platform::ScriptObject {
 public:
  static std::shared_ptr<ZqASOutgoingMessageRecipient> create() {
    return std::make_shared<ZqASOutgoingMessageRecipient>();
  }
  std::string scriptClass() const override { return "Recipient"; }
  std::optional<velquarin::platform::ObjectSpecifier> objectSpecifier() const override {
    return specifier_;
  }
  void setObjectSpecifier(velquarin::platform::ObjectSpecifier specifier) {
    specifier_ = std::move(specifier);
  }

  const std::optional<std::string>& address() const { return address_; }
  void setAddress(std::optional<std::string> address) { address_ = std::move(address); }
  const std::optional<std::string>& name() const { return name_; }
  void setName(std::optional<std::string> name) { name_ = std::move(name); }

 private:
  std::optional<std::string> address_ = std::string();
  std::optional<std::string> name_ = std::string();
  std::optional<velquarin::platform::ObjectSpecifier> specifier_;
};

class ZqASOutgoingMessageAttachment : public velquarin::platform::ScriptObject {
 public:
  static std::shared_ptr<ZqASOutgoingMessageAttachment> create() {
    return std::make_shared<ZqASOutgoingMessageAttachment>();
  }
  std::string scriptClass() const override { return "Attachment"; }
  std::optional<velquarin::platform::ObjectSpecifier> objectSpecifier() const override {
    return specifier_;
  }
  void setObjectSpecifier(velquarin::platform::ObjectSpecifier specifier) {
    specifier_ = std::move(specifier);
  }

  const std::string& path() const { return path_; }
  void setPath(std::string path) { path_ = std::move(path); }

 private:
  std::string path_;
  std::optional<velquarin::platform::ObjectSpecifier> specifier_;
};

// Kept on the message for scripts to read; never part of what the host gets.
class ZqASOutgoingMessageSignature : public velquarin::platform::ScriptObject {
 public:
  static std::shared_ptr<ZqASOutgoingMessageSignature> create() {
    return std::make_shared<ZqASOutgoingMessageSignature>();
  }
  std::string scriptClass() const override { return "Signature"; }

  std::optional<std::string> name;
  std::optional<std::string> content;
};

class ZqASOutgoingMessage : public velquarin::platform::ScriptObject {
 public:
  using Recipients = std::vector<std::shared_ptr<ZqASOutgoingMessageRecipient>>;
  using Attachments = std::vector<std::shared_ptr<ZqASOutgoingMessageAttachment>>;
  using Messages = std::vector<std::shared_ptr<ZqASOutgoingMessage>>;

  // A new message with the next id of the process (ids start at 0; every message takes one,
  // also those never put into the container).
  static std::shared_ptr<ZqASOutgoingMessage> create();
  // The messages scripts see; only scripts add or remove them.
  static Messages& outgoingMessages();

  std::string scriptClass() const override { return "OutgoingMessage"; }
  std::optional<velquarin::platform::ObjectSpecifier> objectSpecifier() const override;

  std::int64_t id() const { return id_; }
  bool directlySend() const { return directlySend_; }
  void setDirectlySend(bool value) { directlySend_ = value; }
  bool optimizeAttachments() const { return optimizeAttachments_; }
  void setOptimizeAttachments(bool value);
  bool didSetOptimizeAttachments() const { return didSetOptimizeAttachments_; }

  const std::string& sender() const { return sender_; }
  void setSender(std::string sender) { sender_ = std::move(sender); }
  const std::string& subject() const { return subject_; }
  void setSubject(std::string subject) { subject_ = std::move(subject); }
  // Absent content composes as empty text.
  const std::optional<std::string>& content() const { return content_; }
  void setContent(std::optional<std::string> content) { content_ = std::move(content); }
  const std::optional<std::string>& imageAttachMethod() const { return imageAttachMethod_; }
  void setImageAttachMethod(std::optional<std::string> v) { imageAttachMethod_ = std::move(v); }
  const std::optional<std::string>& imageFileType() const { return imageFileType_; }
  void setImageFileType(std::optional<std::string> v) { imageFileType_ = std::move(v); }
  const std::optional<std::string>& imageSize() const { return imageSize_; }
  void setImageSize(std::optional<std::string> v) { imageSize_ = std::move(v); }
  const std::shared_ptr<ZqASOutgoingMessageSignature>& messageSignature() const {
    return messageSignature_;
  }
  void setMessageSignature(std::shared_ptr<ZqASOutgoingMessageSignature> signature) {
    messageSignature_ = std::move(signature);
  }

  const Recipients& toRecipients() const { return toRecipients_; }
  const Recipients& ccRecipients() const { return ccRecipients_; }
  const Recipients& bccRecipients() const { return bccRecipients_; }
  const Attachments& mailAttachments() const { return mailAttachments_; }
  // Each stores the list and gives its elements their index specifiers.
  void setToRecipients(Recipients recipients);
  void setCcRecipients(Recipients recipients);
  void setBccRecipients(Recipients recipients);
  void setMailAttachments(Attachments attachments);

  // True: composes 1.0 s later on the platform clock, with the fields as they are then.
  void setVisible(bool visible);
  // Posts the compose request; the message itself stays as it is.
  void handleComposeScriptCommand();

  nlohmann::json messageDictionary() const;
  nlohmann::json optionsDictionary() const;

  ZqASOutgoingMessage();

 private:
  void setRecipients(Recipients& field, Recipients recipients, const char* key);

  bool directlySend_ = false;
  bool optimizeAttachments_ = true;
  bool didSetOptimizeAttachments_ = false;
  Recipients toRecipients_;
  Recipients ccRecipients_;
  Recipients bccRecipients_;
  Attachments mailAttachments_;
  std::int64_t id_ = 0;
  std::string sender_;
  std::string subject_;
  std::optional<std::string> content_;
  std::optional<std::string> imageAttachMethod_;
  std::optional<std::string> imageFileType_;
  std::optional<std::string> imageSize_;
  std::shared_ptr<ZqASOutgoingMessageSignature> messageSignature_;
};
