#include "Integrations/ZqEvernoteNote.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "Extensions/NSApplication+ZqExtensions.h"
#include "Extensions/NSFileManager+ZqExtensions.h"
#include "Extensions/NSString+ZqExtensions.h"
#include "Integrations/ZqInstalledBundleId.h"
#include "alerts/Alerts.h"
#include "bundle/Bundle.h"
#include "strings/StringTables.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* kCreateNote =
    "createNoteFromFile:fromUrl:withText:withHtml:withEnml:title:notebook:tags:attachments:"
    "created:";
constexpr const char* kAppend = "appendText:html:attachment:";

json optionalText(const std::optional<std::string>& text) {
  return text ? json(*text) : json(nullptr);
}

std::string fileURL(const std::string& path) {
  std::error_code error;
  const auto absolute = fs::absolute(path, error);
  const std::string full = error ? path : absolute.lexically_normal().string();
  static const char* hex = "0123456789ABCDEF";
  std::string url = "file://";
  for (const unsigned char c : full) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      url.push_back(static_cast<char>(c));
    } else {
      url += {'%', hex[c >> 4], hex[c & 15]};
    }
  }
  return url;
}

// A free path made into a folder at once, so that two clips of the same archive running at
// the same time never share one.
std::optional<std::string> claimFolder(const std::string& wanted) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto folder = zq_makeUniquePath(wanted);
    if (!folder) return std::nullopt;
    if (::mkdir(folder->c_str(), 0700) == 0) return folder;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

std::string localized(const std::string& english) {
  return velquarin::platform::localizedString(*velquarin::platform::Bundle::main(), english,
                                              english);
}

}  // namespace

bool ZqEvernoteNote::isInstalled() {
  return ZqFirstInstalledBundleId({kBundleId}).has_value();
}

std::shared_ptr<ZqEvernoteNote> ZqEvernoteNote::noteWithTitle(
    const std::string& title, const std::optional<std::string>& sourceURL) {
  auto application = ZqSBApplication::applicationWithBundleIdentifier(kBundleId);
  if (!application || !application->respondsToSelector(kCreateNote)) return nullptr;
  const json arguments = {nullptr, nullptr, nullptr, "",      nullptr,
                          title,   nullptr, nullptr, nullptr, nullptr};
  auto note =
      ZqSBApplication::objectOf(application->send(kZqSBApplicationObject, kCreateNote, arguments));
  if (!note) return nullptr;
  application->send(*note, "setSourceURL:", json::array({optionalText(sourceURL)}));
  return std::make_shared<ZqEvernoteNote>(*application, *note);
}

void ZqEvernoteNote::appendHtml(const std::string& html) const {
  application_.send(delegate_, kAppend, json::array({nullptr, html, nullptr}));
}

void ZqEvernoteNote::appendFile(const std::string& path) const {
  application_.send(delegate_, kAppend, json::array({nullptr, nullptr, fileURL(path)}));
}

void ZqEvernoteNote::appendAttachment(const std::string& path) const {
  if (!zq_isZipPath(path)) {
    appendFile(path);
    return;
  }
  const auto folder =
      claimFolder(zq_temporaryDirectory() + "/" + fs::path(path).filename().string());
  if (!folder) return;
  zq_unzipItemAtPath(path, *folder);
  std::error_code error;
  // The enumerator lists folders as well; only files can be attachments, and links that the
  // archive could not hold anyway are never followed.
  for (fs::recursive_directory_iterator it(*folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error) && !it->is_symlink(error)) appendFile(it->path().string());
  }
  fs::remove_all(*folder, error);
}

void ZqEvernoteNote::openNoteWindow() const {
  application_.send(kZqSBApplicationObject, "openNoteWindowWith:", json::array({delegate_}));
  application_.send(kZqSBApplicationObject, "activate");
}

void showEvernoteError() {
  velquarin::platform::Alerts::runModal(
      {localized("This version of Evernote doesn't support AppleScript"),
       localized("Please use Evernote 7.x or contact Evernote for more information."),
       velquarin::platform::AlertStyle::Warning,
       {localized("OK")}});
}
