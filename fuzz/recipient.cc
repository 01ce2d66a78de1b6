// Recipients from an address field's text ("Name <a@b>, c@d"): every recipient is made of
// the text's own pieces, and recipients written with toString read back with their names in
// quotes (the written form, with "\\" and "\"" escaped and control characters as spaces)
// and their addresses unchanged.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Contacts/ZqRecipient.h"
#include "FuzzSupport.h"

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// A part that survives the written form unchanged: no separator or bracket, and for a name
// no blank at either end (reading trims those).
bool plainPart(std::string_view text, bool isName) {
  if (text.find_first_of(",<>") != std::string_view::npos) return false;
  if (isName && !text.empty() && (isBlank(text.front()) || isBlank(text.back()))) return false;
  return true;
}

// The written form of a name: one quoted string.
std::string writtenName(std::string_view name) {
  std::string text = "\"";
  for (char c : name) {
    if (c == '\\' || c == '"') text += '\\';
    text += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
  }
  return text + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<ZqRecipient> recipients = ZqRecipient::fromString(text);

  std::size_t commas = 0;
  for (char c : text) commas += c == ',' ? 1 : 0;
  ZQ_FUZZ_CHECK(recipients.size() <= commas + 1, text);

  std::vector<ZqRecipient> plain;
  for (const ZqRecipient& recipient : recipients) {
    const std::string& address = recipient.address();
    const std::string& name = recipient.name();
    ZQ_FUZZ_CHECK(address.find(',') == std::string::npos, address);
    ZQ_FUZZ_CHECK(name.find(',') == std::string::npos && name.find('<') == std::string::npos, name);
    ZQ_FUZZ_CHECK(text.find(address) != std::string::npos, address);
    ZQ_FUZZ_CHECK(text.find(name) != std::string::npos, name);
    ZQ_FUZZ_CHECK(name.empty() || (!isBlank(name.front()) && !isBlank(name.back())), name);
    // A bare piece is never empty; a bracketed one may hold an empty address.
    if (plainPart(address, false) && plainPart(name, true) && !address.empty()) {
      plain.push_back(recipient);
    }
  }

  const std::string written = ZqRecipient::toString(plain);
  const std::vector<ZqRecipient> reread = ZqRecipient::fromString(written);
  ZQ_FUZZ_CHECK(reread.size() == plain.size(), written);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    ZQ_FUZZ_CHECK(reread[i].address() == plain[i].address(), written);
    const std::string name = plain[i].name().empty() ? "" : writtenName(plain[i].name());
    ZQ_FUZZ_CHECK(reread[i].name() == name, written);
  }
  return 0;
}
