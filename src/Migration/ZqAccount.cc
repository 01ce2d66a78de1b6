#include "Migration/ZqAccount.h"

#include <algorithm>
#include <cmath>

#include "Keychain/ZqKeyChain.h"
#include "Keychain/ZqTransientKeychain.h"
#include "Utilities/ZqLog.h"

namespace {

constexpr const char* kKeychainService = "Velquarin 3";

bool truthOr(const zq_graph::Value* value, bool fallback) {
  if (!value) return fallback;
  return value->truth().value_or(fallback);
}

std::string trimmed(std::string_view text) {
  const auto space = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
  };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

std::optional<std::string> ZqAccount::keychainPasswordFor(const std::string& account) {
  ZqKeychain keychain(kKeychainService);
  const nlohmann::json result = keychain.passwordForAccount(account);
  const auto password = result.find("password");
  if (password != result.end() && password->is_string()) return password->get<std::string>();
  return std::nullopt;
}

std::optional<std::string> ZqAccount::password() const {
  const auto name = username();
  if (!name) return std::nullopt;
  if (auto stored = keychainPasswordFor(*name)) return stored;
  return ZqTransientKeychain::sharedInstance().passwordForAccount(*name);
}

void ZqAccount::setPassword(const std::string& password, bool storeInKeychain) {
  const auto name = username();
  if (!name) return;
  ZqKeychain keychain(kKeychainService);
  if (storeInKeychain) {
    keychain.setPassword(password, *name);
    ZqTransientKeychain::sharedInstance().setPassword(std::nullopt, *name);
  } else {
    keychain.setPassword(std::nullopt, *name);
    ZqTransientKeychain::sharedInstance().setPassword(password, *name);
  }
}

std::optional<std::string> ZqAccount::oauthRefreshToken() const {
  const auto name = username();
  if (!name) return std::nullopt;
  return keychainPasswordFor(*name + " (oauth)");
}

void ZqAccount::setOauthRefreshToken(const std::optional<std::string>& token) {
  const auto name = username();
  if (!name) return;
  ZqKeychain(kKeychainService).setPassword(token, *name + " (oauth)");
}

void ZqAccount::setIsNotificationEnabled(const zq_graph::Value& enabled) {
  object_->setValue("autoAuthenticate", enabled);
  if (!enabled.truth().value_or(false)) setOauthRefreshToken(std::nullopt);
}

void ZqAccount::setIsNotifyNewMessages(const zq_graph::Value& notify) {
  object_->setValue("notificationUseGrowl", notify);
}

bool ZqAccount::detectUnreadCountTypeAsBOOL() const {
  return truthOr(value("detectUnreadCountType"), true);
}

void ZqAccount::setDetectUnreadCountTypeAsBOOL(bool detect) {
  object_->setValue("detectUnreadCountType", zq_graph::Value::boolean(detect));
}

bool ZqAccount::isGmailChatBlockedAsBOOL() const {
  return truthOr(value("isGmailChatBlocked"), false);
}
bool ZqAccount::isGooglePlusBlockedAsBOOL() const {
  return truthOr(value("isGooglePlusBlocked"), false);
}
bool ZqAccount::isGoogleDriveBlockedAsBOOL() const {
  return truthOr(value("isGoogleDriveBlocked"), true);
}
bool ZqAccount::isGoogleCalendarAlertsBlockedAsBOOL() const {
  return truthOr(value("isGoogleCalendarAlertsBlocked"), false);
}

zq_graph::Color ZqAccount::color() const {
  const zq_graph::Value* stored = value("colorData");
  const auto* archive = stored ? std::get_if<zq_graph::Data>(&stored->storage) : nullptr;
  if (!archive) return zq_graph::Color::systemBlue();
  if (auto color = zq_graph::unarchiveColor(*archive)) return *color;
  ZQ_LOG_WARN("Couldn't read the colour of account %@", username().value_or(""));
  return zq_graph::Color::systemBlue();
}

void ZqAccount::setColor(const zq_graph::Color& color) {
  auto archive = zq_graph::archiveColor(color);
  if (archive.empty()) return;
  object_->setValue("colorData",
                    zq_graph::Value{zq_graph::AttributeType::Binary, std::move(archive)});
}

std::uint64_t ZqAccount::numberOfDownloadItems() const {
  return object_->related("downloadItems").size();
}

std::vector<ZqRecipient> ZqAccount::autoBccRecipients() const {
  std::vector<ZqRecipient> recipients;
  const auto list = stringValue("autoBCC");
  if (!list) return recipients;
  std::string_view rest = *list;
  while (true) {
    const auto comma = rest.find(',');
    std::string address = trimmed(rest.substr(0, comma));
    if (!address.empty()) recipients.push_back(ZqRecipient::recipient(std::move(address)));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return recipients;
}

std::vector<ZqBookmark> ZqAccount::bookmarksOrdered() const {
  std::vector<ZqBookmark> bookmarks;
  for (zq_graph::Object* object : object_->related("bookmarks")) bookmarks.emplace_back(object);
  // Absent orders sort first, as a missing number compares lowest.
  std::stable_sort(bookmarks.begin(), bookmarks.end(),
                   [](const ZqBookmark& a, const ZqBookmark& b) {
                     return a.order().value_or(-INFINITY) < b.order().value_or(-INFINITY);
                   });
  return bookmarks;
}

ZqBookmark ZqAccount::addBookmarkForUrl(const std::string& url, const std::string& title) {
  const auto ordered = bookmarksOrdered();
  const std::int64_t order =
      ordered.empty() ? 10 : static_cast<std::int64_t>(ordered.back().order().value_or(0)) + 10;
  ZqBookmark bookmark(object_->context()->insert("Bookmark"));
  bookmark.setOrder(order);
  bookmark.setTitle(title);
  bookmark.setUrl(url);
  bookmark.object()->setRelatedOne("account", object_);
  return bookmark;
}

std::vector<ZqDownloadItem> ZqAccount::downloadItems() const {
  std::vector<ZqDownloadItem> items;
  for (zq_graph::Object* object : object_->related("downloadItems")) items.emplace_back(object);
  return items;
}

std::vector<ZqDownloadItem> ZqAccount::downloadItemsSortedByDefault() const {
  auto items = downloadItems();
  std::stable_sort(items.begin(), items.end(),
                   [](const ZqDownloadItem& a, const ZqDownloadItem& b) {
                     return a.createdAt().value_or(-INFINITY) > b.createdAt().value_or(-INFINITY);
                   });
  return items;
}

ZqDownloadItem ZqAccount::addDownloadItemWithPath(const std::string& path) {
  ZqDownloadItem item(object_->context()->insert("DownloadItem"));
  item.object()->setValue("createdAt", zq_graph::Value::date({zq_graph::nowSinceReferenceDate()}));
  item.setExpectedBytes(-1);
  item.setReceivedBytes(0);
  item.setPath(path);
  item.object()->setRelatedOne("account", object_);
  return item;
}

// 0: the finished ones, 1: the unfinished ones, 2: all.
std::int64_t ZqAccount::deleteDownloadItems(int which) {
  std::int64_t deleted = 0;
  for (ZqDownloadItem item : downloadItems()) {
    const bool finished = item.isFinished();
    if (which == 2 || (which == 0) == finished) {
      object_->context()->deleteObject(item.object());
      ++deleted;
    }
  }
  return deleted;
}

std::int64_t ZqAccount::deleteFinishedDownloadItems() {
  return deleteDownloadItems(0);
}
std::int64_t ZqAccount::deletePendingDownloadItems() {
  return deleteDownloadItems(1);
}
std::int64_t ZqAccount::deleteAllDownloadItems() {
  return deleteDownloadItems(2);
}

ZqSignature ZqAccount::addSignatureForEmail(const std::string& email, const std::string& name) {
  ZqSignature signature(object_->context()->insert("Signature"));
  signature.setEmail(email);
  signature.setName(name);
  signature.object()->setRelatedOne("account", object_);
  return signature;
}

std::vector<ZqSignature> ZqAccount::signaturesForEmail(
    const std::optional<std::string>& email) const {
  const std::optional<std::string> wanted = email ? email : username();
  std::vector<ZqSignature> signatures;
  for (zq_graph::Object* object : object_->related("signatures")) {
    ZqSignature signature(object);
    if (wanted && signature.email() == wanted) signatures.push_back(signature);
  }
  return signatures;
}

std::optional<ZqSignature> ZqAccount::signatureForEmail(const std::string& email,
                                                        const std::string& name) const {
  for (const ZqSignature& signature : signaturesForEmail(email)) {
    if (signature.name() == name) return signature;
  }
  return std::nullopt;
}

std::optional<nlohmann::json> ZqAccount::dictionaryWithValues() const {
  nlohmann::json record = nlohmann::json::object();
  const auto stored = [&](const char* key, const char* attribute) {
    auto converted = ZqJSONFromStoredValue(value(attribute));
    if (!converted) return false;
    record[key] = std::move(*converted);
    return true;
  };
  bool ok =
      stored("order", "order") && stored("username", "username") && stored("nickname", "nickname");
  if (!ok) return std::nullopt;
  const auto secret = password();
  record["password"] = secret ? nlohmann::json(*secret) : nlohmann::json(nullptr);
  ok = stored("detectUnreadCountType", "detectUnreadCountType") &&
       stored("defaultInboxType", "defaultInboxType") &&
       stored("customInboxLabelName", "customInboxLabelName") &&
       stored("isNotificationEnabled", "autoAuthenticate") &&
       stored("unreadMessagesLocation", "unreadMessagesLocation") && stored("autoBCC", "autoBCC") &&
       stored("notificationSound", "notificationSound") &&
       stored("isNotifyNewMessages", "notificationUseGrowl") &&
       stored("loadRapportivePlugin", "loadRapportivePlugin") &&
       stored("loadClearbitConnectPlugin", "loadClearbitConnectPlugin") &&
       stored("loadBoomerangPlugin", "loadBoomerangPlugin") &&
       stored("loadStreakPlugin", "loadStreakPlugin") &&
       stored("loadRightInboxPlugin", "loadRightInboxPlugin");
  if (!ok) return std::nullopt;
  record["isGmailChatBlockedAsBOOL"] = isGmailChatBlockedAsBOOL();
  record["isGooglePlusBlockedAsBOOL"] = isGooglePlusBlockedAsBOOL();
  record["isGoogleDriveBlockedAsBOOL"] = isGoogleDriveBlockedAsBOOL();
  record["isGoogleCalendarAlertsBlockedAsBOOL"] = isGoogleCalendarAlertsBlockedAsBOOL();
  record["numberOfDownloadItems"] = numberOfDownloadItems();
  nlohmann::json bookmarks = nlohmann::json::array();
  for (const ZqBookmark& bookmark : bookmarksOrdered()) {
    auto entry = bookmark.dictionaryWithValues();
    if (!entry) return std::nullopt;
    bookmarks.push_back(std::move(*entry));
  }
  record["bookmarks"] = std::move(bookmarks);
  return record;
}
