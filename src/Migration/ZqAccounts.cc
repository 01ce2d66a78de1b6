#include "Migration/ZqAccounts.h"

#include <execinfo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Utilities/ZqLog.h"

using zq_graph::AttributeType;
using zq_graph::ValueKind;

namespace {

zq_graph::AttributeDescription number(const char* name, AttributeType type = AttributeType::Int64) {
  return {name, ValueKind::Number, type};
}
zq_graph::AttributeDescription flag(const char* name) {
  return {name, ValueKind::Number, AttributeType::Bool};
}
zq_graph::AttributeDescription text(const char* name) {
  return {name, ValueKind::String, AttributeType::String};
}

std::string callStack() {
  void* frames[64];
  const int count = backtrace(frames, 64);
  std::unique_ptr<char*, decltype(&std::free)> symbols(backtrace_symbols(frames, count),
                                                       &std::free);
  std::string stack;
  for (int i = 0; symbols && i < count; ++i) {
    stack += symbols.get()[i];
    stack += '\n';
  }
  return stack;
}

}  // namespace

zq_graph::Model ZqAccounts::model() {
  zq_graph::Model model;
  model.entities.push_back({"Account",
                            {number("order"),
                             text("username"),
                             text("nickname"),
                             {"colorData", ValueKind::Data, AttributeType::Binary},
                             number("detectUnreadCountType"),
                             number("defaultInboxType"),
                             text("customInboxLabelName"),
                             number("autoAuthenticate"),
                             number("unreadMessagesLocation"),
                             text("autoBCC"),
                             text("notificationSound"),
                             number("notificationUseGrowl"),
                             flag("loadRapportivePlugin"),
                             flag("loadClearbitConnectPlugin"),
                             flag("loadBoomerangPlugin"),
                             flag("loadStreakPlugin"),
                             flag("loadRightInboxPlugin"),
                             flag("loadAwayFindPlugin"),
                             flag("isGmailChatBlocked"),
                             flag("isGooglePlusBlocked"),
                             flag("isGoogleDriveBlocked"),
                             flag("isGoogleCalendarAlertsBlocked"),
                             flag("useSignatures"),
                             flag("signatureAboveQuotedText"),
                             {"archivedCookies", ValueKind::Data, AttributeType::Binary}},
                            {{"downloadItems", "DownloadItem", "account", true, false},
                             {"bookmarks", "Bookmark", "account", true, false},
                             {"signatures", "Signature", "account", true, false}}});
  model.entities.push_back({"Bookmark",
                            {number("order"), text("title"), text("url")},
                            {{"account", "Account", "bookmarks", false, false}}});
  model.entities.push_back({"DownloadItem",
                            {{"createdAt", ValueKind::Date, AttributeType::Date},
                             text("path"),
                             number("expectedBytes"),
                             number("receivedBytes")},
                            {{"account", "Account", "downloadItems", false, false}}});
  model.entities.push_back(
      {"Signature",
       {flag("useByDefault"), text("email"), text("name"), text("richContents")},
       {{"account", "Account", "signatures", false, false}}});
  return model;
}

ZqAccounts::ZqAccounts(const std::string& path)
    : context_(std::make_unique<zq_graph::Context>(model())) {
  std::string error;
  if (!attachPersistencePath(path, &error)) {
    ZQ_LOG_WARN("Couldn't attach persistence. %@", error);
  }
}

bool ZqAccounts::attachPersistencePath(const std::string& path, std::string* error) {
  return context_->attach(path, error);
}

bool ZqAccounts::detachPersistence(std::string* error) {
  return context_->detach(error);
}

std::vector<ZqAccount> ZqAccounts::all() {
  std::string error;
  const auto objects = context_->fetch("Account", &error);
  if (!objects) {
    ZQ_LOG_WARN("Could not execute ZqAccounts#all query. (%@)", error);
    return {};
  }
  std::vector<ZqAccount> accounts(objects->begin(), objects->end());
  std::stable_sort(accounts.begin(), accounts.end(), [](const ZqAccount& a, const ZqAccount& b) {
    const double orderA = a.order().value_or(-INFINITY);
    const double orderB = b.order().value_or(-INFINITY);
    if (orderA != orderB) return orderA < orderB;
    return a.username() < b.username();  // an absent name sorts first
  });
  return accounts;
}

std::optional<ZqAccount> ZqAccounts::findBy(const char* attribute, const std::string& name,
                                            const std::optional<ZqAccount>& sender) {
  std::string error;
  const auto objects = context_->fetch("Account", &error);
  if (!objects) {
    if (std::string_view(attribute) == "username") {
      ZQ_LOG_WARN("Could not execute ZqAccounts#findByUsername:'%@' query. (%@)", name, error);
    } else {
      ZQ_LOG_WARN("Could not execute ZqAccounts#findByNickname:'%@' query. (%@)", name, error);
    }
    return std::nullopt;
  }
  for (zq_graph::Object* object : *objects) {
    const zq_graph::Value* stored = object->value(attribute);
    const std::string* text = stored ? stored->string() : nullptr;
    if (text && *text == name && !(sender && sender->object() == object)) return ZqAccount(object);
  }
  return std::nullopt;
}

std::optional<ZqAccount> ZqAccounts::findByUsername(const std::string& name,
                                                    const std::optional<ZqAccount>& sender) {
  return findBy("username", name, sender);
}

std::optional<ZqAccount> ZqAccounts::findByNickname(const std::string& name,
                                                    const std::optional<ZqAccount>& sender) {
  return findBy("nickname", name, sender);
}

bool ZqAccounts::hasBookmarks() {
  const auto bookmarks = context_->fetch("Bookmark", nullptr);
  return bookmarks && !bookmarks->empty();
}

bool ZqAccounts::isAccessible(const ZqManagedObject& object) const {
  return context_->contains(object.object());
}

bool ZqAccounts::store(std::string* error) {
  return ZqSaveContext(*context_, error);
}

bool ZqSaveContext(zq_graph::Context& context, std::string* error) {
  if (!context.hasChanges()) return true;
  std::string why;
  if (context.save(&why)) return true;
  ZQ_LOG_WARN("%@\n%@", why, callStack());
  if (error) *error = why;
  context.rollback();
  return false;
}
