#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pasteboard/PasteboardItem.h"

namespace velquarin::platform {

using ClipboardItems = std::vector<PasteboardItem>;

// The desktop's clipboard as the general pasteboard sees it: contents this process published,
// or another application's, read by target name. Implementations are thread-safe.
class DesktopClipboard {
 public:
  virtual ~DesktopClipboard() = default;

  // The backend's name as the binding reports it ("x11").
  virtual std::string name() const = 0;
  // False once the connection is gone for good.
  virtual bool connected() const = 0;
  // True while the clipboard still holds what publish() gave it last.
  virtual bool ownsClipboard() const = 0;
  // Takes the clipboard with these contents, served from now on without the caller; false
  // when ownership could not be taken.
  virtual bool publish(std::shared_ptr<const ClipboardItems> items) = 0;
  // The owner's targets in its order; nullopt when they could not be read.
  virtual std::optional<std::vector<std::string>> targets() = 0;
  // The owner's data for one target; nullopt when it failed, timed out or was over the cap.
  virtual std::optional<PasteboardBytes> read(const std::string& target) = 0;
};

// The desktop clipboard of $DISPLAY, or null (with the reason in `why`) when there is none.
std::shared_ptr<DesktopClipboard> openDesktopClipboard(std::string* why);

}  // namespace velquarin::platform
