#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "windows/Window.h"

namespace velquarin::platform {

// The save panel, shown as a sheet on a window. A window holds one sheet at a time; closing
// the window ends its sheet as cancelled. The completion runs on the main thread after the
// sheet is gone, so it may begin the next sheet on the same window.
class SavePanel {
 public:
  enum class Response { Cancel = 0, OK = 1 };
  using Completion = std::function<void(Response response, const std::string& path)>;

  // The folder the panel starts in (absolute), and the file name it proposes.
  std::optional<std::string> directory;
  std::string nameFieldStringValue;

  // The folder the panel shows: `directory`, or the user's home folder.
  std::string effectiveDirectory() const;

  // Attaches `panel` to `window`. False, and no completion ever, when the window is closed
  // or already shows a sheet.
  static bool beginSheet(std::shared_ptr<SavePanel> panel, const Window& window,
                         Completion completion);
  // The sheet a window shows, or null.
  static std::shared_ptr<SavePanel> sheetOf(std::uint64_t windowHandle);
  // Ends a window's sheet as the user would: saving to `path` (a bare name is taken inside the
  // panel's folder), or cancelling without one. False when the window shows no sheet.
  static bool endSheet(std::uint64_t windowHandle, std::optional<std::string> path);
};

}  // namespace velquarin::platform
