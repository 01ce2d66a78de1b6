#include "Integrations/ZqClipPage.h"

#include <filesystem>

#include "Extensions/NSFileManager+ZqExtensions.h"
#include "Extensions/NSString+ZqExtensions.h"
#include "Integrations/ZqClipboard.h"
#include "Integrations/ZqDEVONthinkRecord.h"
#include "Integrations/ZqEvernoteNote.h"
#include "Integrations/ZqOmnifocus.h"
#include "Integrations/ZqReceiptsApp.h"
#include "Integrations/ZqThings.h"
#include "Integrations/ZqTodoist.h"
#include "Utilities/ZqLog.h"
#include "applications/Applications.h"
#include "applications/Workspace.h"
#include "runloop/MainQueue.h"

// These are the hand-offs of the module's exported functions: their lines name the entry.
#define ZQ_ENTRY_LOG(level, format, ...) \
  ZQ_LOG_AS("VelquarinNative", ZqLogLevel::level, format __VA_OPT__(, ) __VA_ARGS__)

namespace {

constexpr const char* kThinkPro2 = "com.devon-technologies.thinkpro2";
constexpr const char* kPhotos = "com.apple.Photos";

std::string textOf(const std::optional<std::string>& value) {
  return value.value_or("");
}

// Bytes of the white space and line-break characters at `at`, 0 for anything else.
std::size_t whitespaceLength(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) -> unsigned char {
    return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0;
  };
  const unsigned char c = byte(0);
  if (c == ' ' || (c >= '\t' && c <= '\r')) return 1;
  if (c == 0xC2 && (byte(1) == 0x85 || byte(1) == 0xA0)) return 2;
  if (c == 0xE1 && byte(1) == 0x9A && byte(2) == 0x80) return 3;  // U+1680
  if (c == 0xE2 && byte(1) == 0x80 &&
      (byte(2) <= 0x8A || byte(2) == 0xA8 || byte(2) == 0xA9 || byte(2) == 0xAF)) {
    return 3;  // U+2000-200A, U+2028, U+2029, U+202F
  }
  if (c == 0xE2 && byte(1) == 0x81 && byte(2) == 0x9F) return 3;  // U+205F
  if (c == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80) return 3;  // U+3000
  return 0;
}

// The length of the white space that ends text[0, end).
std::size_t trailingWhitespace(const std::string& text, std::size_t end) {
  for (std::size_t width = 1; width <= 3 && width <= end; ++width) {
    if (whitespaceLength(text, end - width) == width) return width;
  }
  return 0;
}

void clipToEvernote(const ZqClipOptions& options) {
  auto note = ZqEvernoteNote::noteWithTitle(options.title.value_or("Velquarin"), options.url);
  if (!note) {
    ZQ_ENTRY_LOG(Warning, "Couldn't create Evernote note because of missing AppleScript support");
    velquarin::platform::MainQueue::shared().async(showEvernoteError);
    return;
  }
  note->appendHtml(textOf(options.html));
  for (const auto& attachment : options.attachments) note->appendAttachment(attachment);
  note->openNoteWindow();
}

void clipToDEVONthink(const ZqClipOptions& options, const std::optional<std::string>& path) {
  auto record = ZqDEVONthinkRecord::recordWithTitle(options.title, options.url, path);
  record->setWebURL(options.webURL);
  record->openRecordWindow();
}

void openWith(const std::string& path, const std::string& bundleId, bool deactivate) {
  const auto application = velquarin::platform::applicationWithId(bundleId);
  if (!application) {
    ZQ_ENTRY_LOG(Info, "No application %@; %@ goes to its default application", bundleId, path);
  }
  std::string error;
  const auto applicationPath = application ? std::optional(application->path) : std::nullopt;
  if (!velquarin::platform::Workspace::openFile(path, applicationPath, deactivate, &error)) {
    ZQ_ENTRY_LOG(Warning, "Couldn't open %@ with %@: %@", path, bundleId, error);
  }
}

void importIntoPhotos(const std::string& path) {
  if (zq_isWebImagePath(path)) {
    openWith(path, kPhotos, true);
  } else if (zq_isZipPath(path)) {
    const std::string folder = std::filesystem::path(path).replace_extension().string();
    const std::vector<std::string> images = {"*.jpg", "*.jpeg", "*.gif", "*.tif", "*.tiff"};
    zq_unzipItemAtPath(path, folder, &images);
    if (zq_isDirectoryPath(folder)) openWith(folder, kPhotos, false);
  }
}

}  // namespace

std::string ZqTrimWhitespace(const std::string& text) {
  std::size_t begin = 0;
  while (std::size_t width = whitespaceLength(text, begin)) begin += width;
  std::size_t end = text.size();
  while (end > begin) {
    const std::size_t width = trailingWhitespace(text, end);
    if (width == 0) break;
    end -= width;
  }
  return text.substr(begin, end - begin);
}

void ZqClipPage(const std::string& target, const ZqClipOptions& options) {
  const auto url = textOf(options.url);
  const auto webURL = textOf(options.webURL);
  const auto title = textOf(options.title);
  if (target == "evernote") {
    clipToEvernote(options);
  } else if (target == "devonthink") {
    const auto& path = options.emlPath ? options.emlPath : options.htmlPath;
    if (!path) {
      ZQ_ENTRY_LOG(Warning, "Nothing to clip to %@: neither eml-path nor html-path given", target);
      return;
    }
    clipToDEVONthink(options, path);
  } else if (target == "devonthink-pdf") {
    if (options.attachments.empty()) {
      ZQ_ENTRY_LOG(Warning, "No PDF attachment found.");
      return;
    }
    clipToDEVONthink(options, options.attachments.front());
  } else if (target == "receipts") {
    if (!options.emlPath) {
      ZQ_ENTRY_LOG(Warning, "Nothing to clip to %@: no eml-path given", target);
      return;
    }
    ZqReceiptsApp::importEMLWithPath(*options.emlPath);
  } else if (target == "omnifocus") {
    ZqOmnifocus::addActionWithContent(title, ZqFormat("%@\n%@\n\n%@", url, webURL, options.text));
  } else if (target == "clipboard") {
    const auto body = ZqFormat("%@\n\n- <%@>\n- <%@>", ZqTrimWhitespace(options.text), url, webURL);
    ZqClipboard::copy(ZqFormat("# %@ [%@]\n\n%@", title, textOf(options.account), body));
  } else if (target == "todoist") {
    ZqTodoist::addActionWithContent(ZqFormat("%@ [Web](%@) | [Velquarin](%@)", title, webURL, url),
                                    ZqFormat("%@\n\n%@\n%@", options.text, url, webURL));
  } else if (target == "things") {
    ZqThings::addActionWithContent(title, ZqFormat("%@\n\n%@\n%@", options.text, url, webURL));
  } else {
    ZQ_ENTRY_LOG(Warning, "Unknown application %@", target);
  }
}

void ZqImportIntoApplication(const std::string& bundleId, const std::string& path) {
  if (bundleId == ZqEvernoteNote::kBundleId) {
    if (auto note = ZqEvernoteNote::noteWithTitle("Velquarin", std::nullopt)) {
      note->appendAttachment(path);
      note->openNoteWindow();
    } else {
      showEvernoteError();
    }
  } else if (bundleId == kThinkPro2) {
    if (auto record = ZqDEVONthinkRecord::importFiles({path})) record->openRecordWindow();
  } else if (bundleId == kPhotos) {
    importIntoPhotos(path);
  } else if (bundleId == ZqReceiptsApp::kBundleId) {
    openWith(path, bundleId, true);
  } else {
    ZQ_ENTRY_LOG(Warning, "Don't know how to handle bundleId %@ for %@", bundleId, path);
  }
}

std::vector<std::string> ZqInstalledClipperApps() {
  std::vector<std::string> names;
  if (ZqEvernoteNote::isInstalled()) names.emplace_back("evernote");
  if (ZqDEVONthinkRecord::isInstalled()) {
    names.emplace_back("devonthink");
    names.emplace_back("devonthink-pdf");
  }
  if (ZqOmnifocus::isInstalled()) names.emplace_back("omnifocus");
  if (ZqReceiptsApp::isInstalled()) names.emplace_back("receipts");
  if (ZqTodoist::isInstalled()) names.emplace_back("todoist");
  if (ZqThings::isInstalled()) names.emplace_back("things");
  names.emplace_back("clipboard");
  return names;
}
