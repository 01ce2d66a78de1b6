#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The desktop's applications and who handles what, from GIO: desktop entries (.desktop
// files) under the XDG data folders, shared-mime-info's types, and mimeapps.list for the
// user's defaults. GIO reads the XDG variables once per process; changes on disk (another
// program setting a default, an entry installed) reach it through its file monitors a
// moment later.
//
// An application's id is its desktop-file id without ".desktop" ("org.example.Mail"), the
// reverse-DNS name other platforms call a bundle identifier. Ids are case-sensitive. An
// entry that is hidden, or whose TryExec or Exec program is missing, is not installed.
// Nothing here takes a shell command line: launching goes through GIO, which builds an
// argument vector from the entry's Exec field codes.

namespace velquarin::platform {

struct InstalledApplication {
  std::string id;    // desktop-file id without ".desktop"
  std::string path;  // the .desktop file
  std::string name;  // the entry's Name in the user's language
  // Its Icon: theme names to look up (the entry's, else the generic program icon), or an
  // absolute file.
  std::vector<std::string> iconNames;
  std::optional<std::string> iconFile;
};

// The installed application with this id (exactly; no ".desktop"); nullopt for ids that
// are empty, hold a "/" or control characters, or are not installed.
std::optional<InstalledApplication> applicationWithId(std::string_view id);

// An application named the ways a user or host may: the absolute path of a .desktop file,
// a desktop-file id with or without ".desktop", or the Name of an installed application.
std::optional<InstalledApplication> findApplication(std::string_view application);

// The MIME type files with this extension have ("pdf" gives "application/pdf"); nullopt
// when the extension names no known type, is empty or holds a "/".
std::optional<std::string> contentTypeForExtension(std::string_view extension);

// The applications that open `contentType`, in GIO's order, and the default one's id.
std::vector<InstalledApplication> applicationsForContentType(const std::string& contentType);
std::optional<std::string> defaultApplicationIdForContentType(const std::string& contentType);

// The theme icon names of a content type, most specific first, without symbolic variants.
std::vector<std::string> iconNamesForContentType(const std::string& contentType);

// A URL scheme as the registry keys it: lower-cased, when it has a scheme's syntax
// (a letter, then letters, digits, "+", "-" or "."; at most 64 characters); else nullopt.
std::optional<std::string> normalizedScheme(std::string_view scheme);

// Handlers of a URL scheme ("x-scheme-handler/<scheme>"); [] and nullopt for a scheme that
// is not one.
std::vector<InstalledApplication> applicationsForScheme(std::string_view scheme);
std::optional<std::string> defaultApplicationIdForScheme(std::string_view scheme);

enum class SetDefaultResult {
  Done,
  InvalidScheme,
  UnknownApplication,
  UnreadableSettings,  // mimeapps.list is there but does not parse: GIO would replace it
  Refused,             // GIO could not write it
};
// Makes the installed application `id` the default handler of `scheme` in the user's
// mimeapps.list (other programs see it there).
SetDefaultResult setDefaultApplicationForScheme(std::string_view scheme, std::string_view id);

// Opens existing files (paths, made absolute) or URLs with `application` (anything
// findApplication takes) in one launch, or each with its default application when there is
// none. Everything is checked before anything starts: a file that is not there, a URL
// without a valid scheme or an unknown application opens nothing. False (and `error` says
// why) when anything could not be opened, a missing default handler included.
bool openFiles(const std::vector<std::string>& paths, const std::optional<std::string>& application,
               std::string* error = nullptr);
bool openURLs(const std::vector<std::string>& urls, const std::optional<std::string>& application,
              std::string* error = nullptr);

}  // namespace velquarin::platform
