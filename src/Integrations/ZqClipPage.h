#pragma once

#include <optional>
#include <string>
#include <vector>

// What the host hands over with a clip, read once on the main thread. Absent values stay
// absent here and read as empty text in the texts and URLs made from them.
struct ZqClipOptions {
  std::optional<std::string> url;     // the client's own link to the message
  std::optional<std::string> webURL;  // its link in the mail service's web interface
  std::optional<std::string> title;
  std::optional<std::string> html;
  std::optional<std::string> htmlPath;
  std::optional<std::string> account;
  std::optional<std::string> emlPath;
  std::vector<std::string> attachments;
  std::string text;  // the plain text of the HTML
};

// The hand-off of a clip to the target of that name. Runs off the main thread.
void ZqClipPage(const std::string& target, const ZqClipOptions& options);

// Hands one saved file to the application with that identifier. Main thread.
void ZqImportIntoApplication(const std::string& bundleId, const std::string& path);

// The names of the clip targets that can be used now, "clipboard" always last.
std::vector<std::string> ZqInstalledClipperApps();

// The text with white space and line breaks (Unicode's) removed from both ends.
std::string ZqTrimWhitespace(const std::string& text);
