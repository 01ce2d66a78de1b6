#include "pasteboard/ClipboardConversion.h"

#include <algorithm>
#include <array>
#include <map>

#include "pasteboard/PasteboardTypes.h"

namespace velquarin::platform {
namespace {

std::string text(const PasteboardBytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

PasteboardBytes bytes(std::string_view text) {
  return PasteboardBytes(text.begin(), text.end());
}

bool offers(std::string_view type, std::string_view target) {
  const auto targets = clipboardTargetsForType(type);
  return std::find(targets.begin(), targets.end(), target) != targets.end();
}

std::vector<std::string> fileURLsOf(const std::vector<PasteboardItem>& items) {
  std::vector<std::string> urls;
  for (const auto& item : items) {
    if (auto data = item.dataForType(kPasteboardTypeFileURL)) urls.push_back(text(*data));
  }
  return urls;
}

// Rank of a text target: the lower, the better the source of the text.
int textRank(std::string_view target) {
  static constexpr std::array<std::string_view, 5> kOrder{"UTF8_STRING", "text/plain;charset=utf-8",
                                                          "text/plain", "TEXT", "STRING"};
  const auto found = std::find(kOrder.begin(), kOrder.end(), target);
  return found == kOrder.end() ? 1 : static_cast<int>(found - kOrder.begin());
}

std::optional<PasteboardBytes> readAs(const ClipboardReader& read, const std::string& target) {
  auto data = read(target);
  if (data && target == "STRING") data = bytes(latin1ToUtf8(text(*data)));
  return data;
}

}  // namespace

std::vector<std::string> clipboardTargetsOf(const std::vector<PasteboardItem>& items) {
  std::vector<std::string> targets;
  for (const auto& item : items) {
    for (const auto& type : item.types()) {
      for (auto& target : clipboardTargetsForType(type)) {
        if (std::find(targets.begin(), targets.end(), target) == targets.end()) {
          targets.push_back(std::move(target));
        }
      }
    }
  }
  return targets;
}

std::optional<PasteboardBytes> clipboardDataForTarget(const std::vector<PasteboardItem>& items,
                                                      std::string_view target) {
  if (isFileListTarget(target)) {
    const auto urls = fileURLsOf(items);
    if (urls.empty()) return std::nullopt;
    return bytes(target == "text/uri-list" ? uriListFromURLs(urls) : copiedFilesFromURLs(urls));
  }
  for (const auto& item : items) {
    for (const auto& entry : item.entries()) {
      if (!entry.data || !offers(entry.type, target)) continue;
      if (target == "STRING") return bytes(utf8ToLatin1(text(*entry.data)));
      return *entry.data;
    }
  }
  return std::nullopt;
}

std::vector<PasteboardItem> clipboardItemsFromTargets(const std::vector<std::string>& targets,
                                                      const ClipboardReader& read,
                                                      const TypeFilter& wanted) {
  // Each type once, at its first target's place, read from its best target.
  std::vector<std::string> order;
  std::map<std::string, std::string> source;
  std::optional<std::string> fileList;
  for (const auto& target : targets) {
    auto type = pasteboardTypeForTarget(target);
    if (!type) continue;
    if (isFileListTarget(target)) {
      if (!fileList) order.push_back(kPasteboardTypeFileURL);
      if (!fileList || target == "text/uri-list") fileList = target;
      continue;
    }
    auto known = source.find(*type);
    if (known == source.end()) {
      order.push_back(*type);
      source.emplace(*type, target);
    } else if (*type == kPasteboardTypeString && textRank(target) < textRank(known->second)) {
      known->second = target;
    }
  }

  std::vector<std::string> urls;
  if (fileList) {
    if (auto list = read(*fileList)) {
      urls = *fileList == "text/uri-list" ? fileURLsFromURIList(text(*list))
                                          : fileURLsFromCopiedFiles(text(*list));
    }
    if (urls.empty()) {  // no local files: keep what was offered under its own name
      std::replace(order.begin(), order.end(), std::string(kPasteboardTypeFileURL), *fileList);
      source.emplace(*fileList, *fileList);
    }
  }

  std::vector<PasteboardItem> items(std::max<std::size_t>(1, urls.size()));
  for (const auto& type : order) {
    if (type == kPasteboardTypeFileURL && !urls.empty()) {
      items[0].setData(type, bytes(urls[0]));
      continue;
    }
    if (wanted && wanted(type)) {
      if (auto data = readAs(read, source.at(type))) {
        items[0].setData(type, std::move(*data));
        continue;
      }
    }
    items[0].declareType(type);
  }
  for (std::size_t i = 1; i < urls.size(); ++i) {
    items[i].setData(kPasteboardTypeFileURL, bytes(urls[i]));
  }
  if (order.empty()) return {};
  return items;
}

}  // namespace velquarin::platform
