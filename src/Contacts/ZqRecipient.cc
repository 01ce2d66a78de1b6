#include "Contacts/ZqRecipient.h"

ZqRecipient ZqRecipient::recipient(std::string address, std::optional<std::string> name) {
  ZqRecipient result;
  result.address_ = std::move(address);
  if (name) result.name_ = std::move(*name);
  return result;
}

std::string ZqRecipient::stringForEmail() const {
  std::string text;
  if (!name_.empty()) text = "\"" + name_ + "\" ";
  if (text.find('<') == std::string::npos) text += "<" + address_ + ">";
  return text;
}

std::string ZqRecipient::toString(const std::vector<ZqRecipient>& recipients) {
  std::string text;
  for (const ZqRecipient& recipient : recipients) {
    if (!text.empty()) text += ", ";
    text += recipient.stringForEmail();
  }
  return text;
}

std::vector<ZqRecipient> ZqRecipient::fromString(std::string_view text) {
  std::vector<ZqRecipient> recipients;
  while (true) {
    const auto comma = text.find(',');
    const std::string_view piece = text.substr(0, comma);
    if (!piece.empty()) {
      const auto open = piece.find('<');
      const auto close = piece.find('>');
      if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
        std::string_view name = piece.substr(0, open);
        while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
          name.remove_prefix(1);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
        recipients.push_back(
            recipient(std::string(piece.substr(open + 1, close - open - 1)), std::string(name)));
      } else {
        recipients.push_back(recipient(std::string(piece)));
      }
    }
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return recipients;
}
