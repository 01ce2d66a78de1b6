#pragma once

#include <optional>
#include <string>

// Fills a task application's URL template: its two "%@" in order with the content and the
// comment, each escaped as one query value.
std::string ZqTaskURL(const std::string& templateText, const std::string& content,
                      const std::string& comment);

// Asks the workspace to open the URL with the application (or the scheme's default handler);
// a launch that fails is logged with GIO's reason.
void ZqOpenTaskURL(const std::string& url, const std::optional<std::string>& bundleId,
                   unsigned long launchOptions);

inline constexpr unsigned long kZqLaunchWithoutActivation = 512;
inline constexpr unsigned long kZqLaunchAsync = 0x10000;
