#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Contacts/ZqRecipient.h"
#include "Migration/ZqBookmark.h"
#include "Migration/ZqDownloadItem.h"
#include "Migration/ZqManagedObject.h"
#include "Migration/ZqSignature.h"
#include "objectgraph/ArchivedColor.h"

// One account of the previous version, with the values derived from what it stored.
class ZqAccount : public ZqManagedObject {
 public:
  using ZqManagedObject::ZqManagedObject;

  std::optional<double> order() const { return numberValue("order"); }
  std::optional<std::string> username() const { return stringValue("username"); }
  std::optional<std::string> nickname() const { return stringValue("nickname"); }
  void setOrder(std::int64_t order) { object_->setValue("order", zq_graph::Value::integer(order)); }
  void setUsername(std::optional<std::string> name) { setString("username", std::move(name)); }
  void setNickname(std::optional<std::string> name) { setString("nickname", std::move(name)); }

  // The credential store's password of the user name, else the one held for this run.
  std::optional<std::string> password() const;
  static std::optional<std::string> keychainPasswordFor(const std::string& account);
  // true: into the credential store (and out of the transient one); false: the reverse.
  void setPassword(const std::string& password, bool storeInKeychain);
  std::optional<std::string> oauthRefreshToken() const;
  void setOauthRefreshToken(const std::optional<std::string>& token);

  const zq_graph::Value* isNotificationEnabled() const { return value("autoAuthenticate"); }
  // A false value also forgets the refresh token.
  void setIsNotificationEnabled(const zq_graph::Value& enabled);
  const zq_graph::Value* isNotifyNewMessages() const { return value("notificationUseGrowl"); }
  void setIsNotifyNewMessages(const zq_graph::Value& notify);
  bool detectUnreadCountTypeAsBOOL() const;
  void setDetectUnreadCountTypeAsBOOL(bool detect);

  bool isGmailChatBlockedAsBOOL() const;
  bool isGooglePlusBlockedAsBOOL() const;
  bool isGoogleDriveBlockedAsBOOL() const;  // blocked unless stored otherwise
  bool isGoogleCalendarAlertsBlockedAsBOOL() const;

  // The account's colour; the system blue when none is stored or the stored one cannot be read.
  zq_graph::Color color() const;
  void setColor(const zq_graph::Color& color);

  std::uint64_t numberOfDownloadItems() const;
  std::vector<ZqRecipient> autoBccRecipients() const;

  std::vector<ZqBookmark> bookmarksOrdered() const;
  ZqBookmark addBookmarkForUrl(const std::string& url, const std::string& title);

  std::vector<ZqDownloadItem> downloadItems() const;
  ZqDownloadItem addDownloadItemWithPath(const std::string& path);
  // Sorted newest first (the default sort order of download lists).
  std::vector<ZqDownloadItem> downloadItemsSortedByDefault() const;
  std::int64_t deleteFinishedDownloadItems();
  std::int64_t deletePendingDownloadItems();
  std::int64_t deleteAllDownloadItems();

  ZqSignature addSignatureForEmail(const std::string& email, const std::string& name);
  std::vector<ZqSignature> signaturesForEmail(const std::optional<std::string>& email) const;
  std::optional<ZqSignature> signatureForEmail(const std::string& email,
                                               const std::string& name) const;

  // The exported record; nullopt when a stored value cannot be written as JSON.
  std::optional<nlohmann::json> dictionaryWithValues() const;

 private:
  std::int64_t deleteDownloadItems(int which);
};
