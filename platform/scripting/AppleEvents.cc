#include "scripting/AppleEvents.h"

#include "bus/ApplicationBus.h"

namespace velquarin::platform {
namespace {

constexpr const char* kInterface = "io.velquarin.AppleEvents1";
constexpr const char* kNotHandled = "io.velquarin.AppleEvents1.Error.NotHandled";

std::optional<FourCharCode> codeArgument(const std::vector<BusValue>& arguments, std::size_t at) {
  const auto* value = at < arguments.size() ? arguments[at].as<std::int64_t>() : nullptr;
  if (!value || *value < 0 || *value > 0xFFFFFFFFll) return std::nullopt;
  return static_cast<FourCharCode>(*value);
}

BusReply sendOverBus(const std::string&, const std::vector<BusValue>& arguments) {
  const auto eventClass = codeArgument(arguments, 0);
  const auto eventID = codeArgument(arguments, 1);
  if (!eventClass || !eventID) return BusReply::fail(kBusErrorInvalidArgs, "two event codes");
  auto reply = AppleEventManager::shared().dispatch(*eventClass, *eventID);
  if (!reply) {
    return BusReply::fail(kNotHandled, "No handler for event " + fourCharText(*eventClass) + "/" +
                                           fourCharText(*eventID));
  }
  BusValue::List list;
  if (auto direct = reply->parameters.find(kKeyDirectObject); direct != reply->parameters.end()) {
    for (const auto& item : direct->second.items()) list.emplace_back(item);
  }
  return BusReply::of({BusValue(std::move(list))});
}

}  // namespace

std::optional<FourCharCode> fourCharCode(std::string_view text) {
  if (text.size() != 4) return std::nullopt;
  FourCharCode code = 0;
  for (const unsigned char c : text) code = (code << 8) | c;
  return code;
}

std::string fourCharText(FourCharCode code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text.push_back(static_cast<char>(code >> shift));
  return text;
}

bool AppleEventList::insert(std::int64_t index, std::string text) {
  const auto count = static_cast<std::int64_t>(items_.size());
  if (index == 0 || index == count + 1) {
    items_.push_back(std::move(text));
  } else if (index >= 1 && index <= count) {
    items_[static_cast<std::size_t>(index - 1)] = std::move(text);
  } else {
    return false;
  }
  return true;
}

AppleEventManager& AppleEventManager::shared() {
  static AppleEventManager* manager = new AppleEventManager();
  return *manager;
}

void AppleEventManager::setEventHandler(FourCharCode eventClass, FourCharCode eventID,
                                        Handler handler) {
  handlers_[{eventClass, eventID}] = std::move(handler);
  if (published_) return;
  published_ = true;
  ApplicationBus::shared().addInterface({kInterface, {}, {{"Send", "uu", "as", sendOverBus}}, {}});
}

std::optional<AppleEventReply> AppleEventManager::dispatch(FourCharCode eventClass,
                                                           FourCharCode eventID) {
  auto found = handlers_.find({eventClass, eventID});
  if (found == handlers_.end() || !found->second) return std::nullopt;
  // A copy: the handler may replace itself while it runs.
  auto handler = found->second;
  AppleEventReply reply;
  handler(reply);
  return reply;
}

}  // namespace velquarin::platform
