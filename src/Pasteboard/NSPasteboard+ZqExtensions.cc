#include "Pasteboard/NSPasteboard+ZqExtensions.h"

#include <cctype>
#include <string_view>

#include "pasteboard/PasteboardTypes.h"

using velquarin::platform::Pasteboard;
using velquarin::platform::PasteboardBytes;
using velquarin::platform::PlistArray;

namespace {

PasteboardBytes utf8Bytes(const std::string& text) {
  return PasteboardBytes(text.begin(), text.end());
}

}  // namespace

bool zq_isParsableURL(const std::string& text) {
  if (text.empty()) return false;
  static constexpr std::string_view kAllowed = "-._~:/?#[]@!$&'()*+,;=";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '%') {
      if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
          !std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
        return false;
      }
      i += 2;
    } else if (c >= 0x80 || (!std::isalnum(c) &&
                             kAllowed.find(static_cast<char>(c)) == std::string_view::npos)) {
      return false;
    }
  }
  return true;
}

long zq_declareURLPasteboardWithAdditionalTypes(Pasteboard& pasteboard,
                                                const std::vector<std::string>& types) {
  auto all = types;
  all.insert(all.end(),
             {kWebURLsWithTitlesPboardType, velquarin::platform::kURLPboardType,
              velquarin::platform::kStringPboardType, kURLFlavorType, kURLNameFlavorType});
  return pasteboard.declareTypes(all);
}

void zq_setURL(Pasteboard& pasteboard, const std::string& url, const std::string& title) {
  zq_setURLs(pasteboard, {url}, std::vector<std::string>{title});
}

void zq_setURLs(Pasteboard& pasteboard, const std::vector<std::string>& urls,
                const std::optional<std::vector<std::string>>& titles) {
  const bool titled = titles && !titles->empty();
  std::vector<std::string> names = titled ? *titles : std::vector<std::string>{};
  names.resize(urls.size());

  PlistArray urlList(urls.begin(), urls.end());
  PlistArray titleList(names.begin(), names.end());
  pasteboard.setPropertyList(PlistArray{urlList, titleList}, kWebURLsWithTitlesPboardType);
  if (urls.empty()) return;

  const std::string& first = urls.front();
  const std::string firstTitle = titled ? titles->front() : (urls.size() == 1 ? first : "");
  if (urls.size() == 1) {
    if (zq_isParsableURL(first)) pasteboard.setString(first, velquarin::platform::kURLPboardType);
    pasteboard.setString(first, velquarin::platform::kStringPboardType);
  } else {
    std::string joined;
    for (std::size_t i = 0; i < urls.size(); ++i) joined += (i ? "\n" : "") + urls[i];
    pasteboard.setString(joined, velquarin::platform::kStringPboardType);
  }
  pasteboard.setData(utf8Bytes(first), kURLFlavorType);
  pasteboard.setData(utf8Bytes(firstTitle), kURLNameFlavorType);
}
