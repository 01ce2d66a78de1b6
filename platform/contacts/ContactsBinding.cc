#include "JsonValue.h"
#include "binding/BindingRegistry.h"
#include "contacts/AddressBookStore.h"
#include "contacts/PeoplePickerWindow.h"
#include "windows/WindowOrdering.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using nlohmann::json;
using platform::AddressBook;
using platform::AddressBookStore;
using platform::PeoplePicker;
using platform::PeoplePickerWindow;
using platform::Person;
using platform::Rect;

json optionalText(const std::optional<std::string>& text) {
  return text ? json(*text) : json(nullptr);
}

json rectJson(const Rect& rect) {
  return {{"x", rect.x}, {"y", rect.y}, {"width", rect.width}, {"height", rect.height}};
}

json personJson(const Person& person) {
  return {{"identifier", person.identifier},
          {"emails", person.emails},
          {"primaryEmail", optionalText(person.primaryEmailValue())},
          {"flags", person.flags},
          {"title", optionalText(person.title)},
          {"firstName", optionalText(person.firstName)},
          {"middleName", optionalText(person.middleName)},
          {"lastName", optionalText(person.lastName)},
          {"suffix", optionalText(person.suffix)},
          {"organization", optionalText(person.organization)},
          {"cardFile", person.cardFile}};
}

json bookJson(const AddressBook& book) {
  json people = json::array();
  for (const auto& person : book.people) people.push_back(personJson(*person));
  json groups = json::array();
  for (const auto& group : book.groups) {
    json members = json::array();
    for (const auto& member : group.members) members.push_back(personJson(*member));
    json subgroups = json::array();
    for (std::size_t index : group.subgroups) subgroups.push_back(book.groups[index].identifier);
    groups.push_back({{"identifier", group.identifier},
                      {"name", group.name},
                      {"members", std::move(members)},
                      {"subgroups", std::move(subgroups)},
                      {"cardFile", group.cardFile}});
  }
  return {{"folder", book.folder},
          {"people", std::move(people)},
          {"groups", std::move(groups)},
          {"skippedFiles", book.skippedFiles}};
}

// addressBook(): the address book as the module would read it now.
Napi::Value addressBook(const Napi::CallbackInfo& info) {
  return node::jsonToJs(info.Env(), bookJson(*AddressBookStore::shared().current()));
}

// setDefaultNameOrdering(16 | 32): the book's ordering for people whose flags leave it open.
Napi::Value setDefaultNameOrdering(const Napi::CallbackInfo& info) {
  const bool number = info.Length() > 0 && info[0].IsNumber();
  if (failIf(
          info.Env(),
          !number || !AddressBook::setDefaultNameOrdering(info[0].As<Napi::Number>().Int32Value()),
          "setDefaultNameOrdering(ordering: 16 | 32)")) {
    return {};
  }
  return info.Env().Undefined();
}

Napi::Value defaultNameOrdering(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), AddressBook::defaultNameOrdering());
}

json pickerJson(const PeoplePickerWindow& window) {
  const PeoplePicker& picker = window.picker();
  json people = json::array();
  for (const auto& person : picker.listedPeople()) {
    people.push_back({{"identifier", person->identifier},
                      {"emails", person->emails},
                      {"primaryEmail", optionalText(person->primaryEmailValue())}});
  }
  json groups = json::array();
  for (const auto& group : picker.book()->groups) {
    groups.push_back({{"identifier", group.identifier}, {"name", group.name}});
  }
  json buttons = json::array();
  for (const auto& button : window.buttons()) {
    buttons.push_back({{"title", button.title},
                       {"frame", rectJson(button.frame)},
                       {"keyEquivalent", button.keyEquivalent}});
  }
  const auto key = platform::WindowOrdering::keyWindow();
  const auto& selection = picker.selection();
  return {{"visible", window.window()->visible},
          {"key", key == window.window()},
          {"title", window.window()->title},
          {"styleMask", window.window()->styleMask},
          {"frame", rectJson(window.window()->frame)},
          {"pickerFrame", rectJson(window.pickerFrame())},
          {"buttons", std::move(buttons)},
          {"displayedProperty", picker.displayedProperty},
          {"allowsGroupSelection", picker.allowsGroupSelection},
          {"allowsMultipleSelection", picker.allowsMultipleSelection},
          {"people", std::move(people)},
          {"groups", std::move(groups)},
          {"selection",
           {{"values", selection.values},
            {"records", selection.records},
            {"groups", selection.groups}}}};
}

// addressPicker(): the picker window and its content; null before the first request.
Napi::Value addressPicker(const Napi::CallbackInfo& info) {
  auto window = PeoplePickerWindow::current();
  if (!window) return info.Env().Null();
  auto result = node::jsonToJs(info.Env(), pickerJson(*window)).As<Napi::Object>();
  const auto bytes = platform::WindowRegistry::bytesOf(window->window()->handle());
  result.Set("handle", Napi::Buffer<std::uint8_t>::Copy(info.Env(), bytes.data(), bytes.size()));
  return result;
}

// The picker, or a TypeError naming the control when there is none.
std::shared_ptr<PeoplePickerWindow> pickerFor(const Napi::CallbackInfo& info, const char* usage) {
  auto window = PeoplePickerWindow::current();
  failIf(info.Env(), !window, usage);
  return window;
}

std::vector<std::string> stringList(const json& value) {
  std::vector<std::string> list;
  if (!value.is_array()) return list;
  for (const auto& entry : value) {
    if (entry.is_string()) list.push_back(entry.get<std::string>());
  }
  return list;
}

// selectInAddressPicker({values?, records?, groups?}): replaces the selection; false when
// an entry is not in the book.
Napi::Value selectInAddressPicker(const Napi::CallbackInfo& info) {
  static constexpr const char* usage =
      "selectInAddressPicker({values?: string[], records?: string[], groups?: string[]})";
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsObject(), usage)) return {};
  auto window = pickerFor(info, usage);
  if (!window) return {};
  const json request = node::jsToJson(info[0]);
  if (failIf(info.Env(), !request.is_object(), usage)) return {};
  PeoplePicker::Selection selection{stringList(request.value("values", json())),
                                    stringList(request.value("records", json())),
                                    stringList(request.value("groups", json()))};
  return Napi::Boolean::New(info.Env(), window->picker().select(std::move(selection)));
}

// pressAddressPickerButton(index): presses a button of the shown picker.
Napi::Value pressAddressPickerButton(const Napi::CallbackInfo& info) {
  static constexpr const char* usage = "pressAddressPickerButton(index: number)";
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsNumber(), usage)) return {};
  auto window = pickerFor(info, usage);
  if (!window) return {};
  const double index = info[0].As<Napi::Number>().DoubleValue();
  const bool pressed = index >= 0 && index < static_cast<double>(window->buttons().size()) &&
                       window->pressButton(static_cast<std::size_t>(index));
  return Napi::Boolean::New(info.Env(), pressed);
}

// pressAddressPickerKey(key): a key typed while the picker is shown; false when no button
// takes it.
Napi::Value pressAddressPickerKey(const Napi::CallbackInfo& info) {
  static constexpr const char* usage = "pressAddressPickerKey(key: string)";
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(), usage)) return {};
  auto window = pickerFor(info, usage);
  if (!window) return {};
  const std::string key = info[0].As<Napi::String>().Utf8Value();
  return Napi::Boolean::New(info.Env(), window->performKeyEquivalent(key));
}

Napi::Value doubleClick(const Napi::CallbackInfo& info, const char* usage, bool group) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(), usage)) return {};
  auto window = pickerFor(info, usage);
  if (!window) return {};
  const std::string identifier = info[0].As<Napi::String>().Utf8Value();
  if (!window->window()->visible) return Napi::Boolean::New(info.Env(), false);
  PeoplePicker& picker = window->picker();
  const bool done =
      group ? picker.doubleClickGroup(identifier) : picker.doubleClickName(identifier);
  return Napi::Boolean::New(info.Env(), done);
}

// doubleClickAddressPickerGroup(identifier), doubleClickAddressPickerName(identifier).
Napi::Value doubleClickAddressPickerGroup(const Napi::CallbackInfo& info) {
  return doubleClick(info, "doubleClickAddressPickerGroup(identifier: string)", true);
}

Napi::Value doubleClickAddressPickerName(const Napi::CallbackInfo& info) {
  return doubleClick(info, "doubleClickAddressPickerName(identifier: string)", false);
}

// closeAddressPicker(): the title bar's close button.
Napi::Value closeAddressPicker(const Napi::CallbackInfo& info) {
  auto window = pickerFor(info, "closeAddressPicker()");
  if (!window) return {};
  return Napi::Boolean::New(info.Env(), window->performClose());
}

// resizeAddressPicker(width, height): the user drags the window's edge.
Napi::Value resizeAddressPicker(const Napi::CallbackInfo& info) {
  static constexpr const char* usage = "resizeAddressPicker(width: number, height: number)";
  if (failIf(info.Env(), info.Length() < 2 || !info[0].IsNumber() || !info[1].IsNumber(), usage)) {
    return {};
  }
  auto window = pickerFor(info, usage);
  if (!window) return {};
  const platform::Size size{info[0].As<Napi::Number>().DoubleValue(),
                            info[1].As<Napi::Number>().DoubleValue()};
  if (failIf(info.Env(), !window->setContentSize(size), "resizeAddressPicker: from 1 to 100000")) {
    return {};
  }
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "addressBook", addressBook);
  exportFunction(exports, "setDefaultNameOrdering", setDefaultNameOrdering);
  exportFunction(exports, "defaultNameOrdering", defaultNameOrdering);
  exportFunction(exports, "addressPicker", addressPicker);
  exportFunction(exports, "selectInAddressPicker", selectInAddressPicker);
  exportFunction(exports, "pressAddressPickerButton", pressAddressPickerButton);
  exportFunction(exports, "pressAddressPickerKey", pressAddressPickerKey);
  exportFunction(exports, "doubleClickAddressPickerGroup", doubleClickAddressPickerGroup);
  exportFunction(exports, "doubleClickAddressPickerName", doubleClickAddressPickerName);
  exportFunction(exports, "closeAddressPicker", closeAddressPicker);
  exportFunction(exports, "resizeAddressPicker", resizeAddressPicker);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
