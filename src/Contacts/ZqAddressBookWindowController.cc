#include "Contacts/ZqAddressBookWindowController.h"

#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "notificationcenter/NotificationCenter.h"
#include "windows/WindowOrdering.h"
#include "windows/WindowStyle.h"

using velquarin::platform::PeoplePicker;
using velquarin::platform::PeoplePickerWindow;
using velquarin::platform::PushButton;
using velquarin::platform::Rect;
using velquarin::platform::Size;
using velquarin::platform::Window;
using velquarin::platform::WindowOrdering;
namespace windowstyle = velquarin::platform::windowstyle;

namespace {

constexpr double kContentSide = 500;
constexpr double kMargin = 20;
constexpr double kPickerBottom = 70;
constexpr const char* kReturnKey = "\r";
constexpr const char* kCancelKey = "\x17";

}  // namespace

ZqAddressBookWindowController& ZqAddressBookWindowController::sharedInstanceWithTranslations(
    const nlohmann::json& translations) {
  static ZqAddressBookWindowController* shared = new ZqAddressBookWindowController(translations);
  return *shared;
}

ZqAddressBookWindowController::ZqAddressBookWindowController(nlohmann::json translations)
    : translations_(std::move(translations)) {}

std::string ZqAddressBookWindowController::translation(const std::string& key) const {
  const auto found = translations_.find(key);
  if (found != translations_.end() && found->is_string()) return found->get<std::string>();
  ZQ_LOG_ERROR("No translation for %@ in %@", key, translations_);
  return key;
}

void ZqAddressBookWindowController::loadWindow() {
  window_ = std::make_shared<PeoplePickerWindow>(
      translation("window-title"), Size{kContentSide, kContentSide},
      windowstyle::kTitled | windowstyle::kClosable | windowstyle::kResizable);
  PeoplePicker& picker = window_->picker();
  picker.displayedProperty = "Email";
  picker.allowsGroupSelection = true;
  picker.allowsMultipleSelection = true;
  picker.groupDoubleAction = [this] { groupDoubleAction(); };
  picker.nameDoubleAction = [this] { nameDoubleAction(); };
  window_->setPickerFrame(Rect{kMargin, kPickerBottom, kContentSide - 2 * kMargin,
                               kContentSide - kPickerBottom - kMargin});

  const std::string editTitle = translation("edit-in-contacts-button-label");
  const Size editSize = PushButton::sizeToFit(editTitle);
  // The button's target is the picker view; opening the card needs the applications
  // service, which this build does not have yet.
  window_->addButton(PushButton{editTitle, Rect{kMargin, kMargin, editSize.width, editSize.height},
                                PushButton::Anchor::Left, "", nullptr});

  const std::string acceptTitle = translation("accept-button-label");
  const Size acceptSize = PushButton::sizeToFit(acceptTitle);
  const double acceptX = kContentSide - kMargin - acceptSize.width;
  window_->addButton(PushButton{acceptTitle,
                                Rect{acceptX, kMargin, acceptSize.width, acceptSize.height},
                                PushButton::Anchor::Right, kReturnKey, [this] { accept(); }});

  const std::string cancelTitle = translation("cancel-button-label");
  const Size cancelSize = PushButton::sizeToFit(cancelTitle);
  window_->addButton(PushButton{
      cancelTitle, Rect{acceptX - cancelSize.width, kMargin, cancelSize.width, cancelSize.height},
      PushButton::Anchor::Right, kCancelKey, [this] { cancel(); }});

  window_->closeAction = [this] { cancel(); };
  PeoplePickerWindow::setCurrent(window_);
}

void ZqAddressBookWindowController::openForWindow(const std::shared_ptr<Window>&) {
  if (!window_ || !window_->window()->isOpen()) loadWindow();
  window_->picker().reload();
  WindowOrdering::center(*window_->window());
  WindowOrdering::makeKeyAndOrderFront(window_->window());
}

std::vector<ZqRecipient> ZqAddressBookWindowController::pickedRecipients(
    const PeoplePicker& picker) {
  std::vector<ZqRecipient> recipients;
  const auto groups = picker.selectedGroups();
  if (!groups.empty()) {
    for (std::size_t group : groups) {
      auto members = ZqRecipient::recipientsFromGroup(*picker.book(), group);
      recipients.insert(recipients.end(), members.begin(), members.end());
    }
    return recipients;
  }
  const auto records = picker.selectedRecords();
  for (const std::string& value : picker.selection().values) {
    for (const auto& record : records) {
      if (auto recipient = ZqRecipient::recipient(value, *record)) {
        recipients.push_back(std::move(*recipient));
        break;
      }
    }
  }
  return recipients;
}

void ZqAddressBookWindowController::accept() {
  WindowOrdering::orderOut(window_->window());
  nlohmann::json addresses = nlohmann::json::array();
  for (const ZqRecipient& recipient : pickedRecipients(window_->picker())) {
    addresses.push_back(recipient.stringForEmail());
  }
  const auto text = ZqConvertToJSONString(addresses);
  if (!text) return;
  velquarin::platform::NotificationCenter::defaultCenter().post(kPickedNotification, this,
                                                                {{"addresses", *text}});
}

void ZqAddressBookWindowController::cancel() {
  WindowOrdering::orderOut(window_->window());
}
