#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Contacts/ZqRecipient.h"
#include "contacts/PeoplePickerWindow.h"
#include "windows/Window.h"

// The address-book picker: a window with the people picker and its buttons. One for the
// process, made on the first request with that request's translations; later requests show
// the same window with the same texts. The choice is posted as
// ZqContactEmailAddressesPicked {"addresses": JSON text of the picked address-field forms}.
class ZqAddressBookWindowController {
 public:
  static constexpr const char* kPickedNotification = "ZqContactEmailAddressesPicked";

  static ZqAddressBookWindowController& sharedInstanceWithTranslations(
      const nlohmann::json& translations);

  // Shows the picker centred on the main screen, key and in front. The host's window is
  // not used.
  void openForWindow(const std::shared_ptr<velquarin::platform::Window>& window);
  // Hides the window and posts the picked recipients ("[]" when nothing was picked).
  void accept();
  // Hides the window; nothing is posted.
  void cancel();
  void groupDoubleAction() { accept(); }
  void nameDoubleAction() { accept(); }
  // The text for a translation key; the key itself (and an error line) when it has none.
  std::string translation(const std::string& key) const;

  // The recipients the picker's selection stands for, in order.
  static std::vector<ZqRecipient> pickedRecipients(const velquarin::platform::PeoplePicker& picker);

 private:
  explicit ZqAddressBookWindowController(nlohmann::json translations);
  void loadWindow();

  nlohmann::json translations_;
  std::shared_ptr<velquarin::platform::PeoplePickerWindow> window_;
};
