#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pasteboard/DesktopClipboard.h"
#include "pasteboard/PasteboardItem.h"
#include "plist/PlistValue.h"

namespace velquarin::platform {

inline constexpr const char* kGeneralPasteboardName = "Apple CFPasteboard general";
inline constexpr const char* kFindPasteboardName = "Apple CFPasteboard find";
inline constexpr const char* kDragPasteboardName = "Apple CFPasteboard drag";

// A named pasteboard: ordered items of ordered types with optional data. The general
// pasteboard is the desktop clipboard when there is one (see docs/Pasteboard.md); every other
// pasteboard lives in this process. Thread-safe; reads of another application's clipboard
// block for at most the clipboard's time limit.
//
// Writing follows the desktop's protocol: clearContents() or declareTypes() start new
// contents, setData()/setString()/setPropertyList() fill a declared type of the first item,
// writeItems() appends items. Each write publishes the contents at once.
class Pasteboard {
 public:
  static std::shared_ptr<Pasteboard> general();
  static std::shared_ptr<Pasteboard> find();
  static std::shared_ptr<Pasteboard> drag();
  // The pasteboard of that name, made on first use; the three names above give the same
  // objects as the functions above.
  static std::shared_ptr<Pasteboard> withName(const std::string& name);
  // A new pasteboard with a name no other has; release it when done.
  static std::shared_ptr<Pasteboard> withUniqueName();
  // Forgets a named pasteboard (holders keep their object); the general, find and drag
  // pasteboards stay. False when there was none of that name.
  static bool release(const std::string& name);
  // How many named pasteboards exist (the general, find and drag ones included once made).
  static std::size_t namedCount();

  // Largest data read from another application for one type (default 64 MiB).
  static std::size_t readLimit();
  static void setReadLimit(std::size_t bytes);

  const std::string& name() const { return name_; }
  // "x11" while the general pasteboard is the desktop clipboard, else "memory".
  std::string backendName() const;
  long changeCount() const;

  // Writing. The long results are the new change count.
  long clearContents();
  long declareTypes(const std::vector<std::string>& types);
  bool setData(PasteboardBytes data, std::string_view type);
  bool setString(std::string_view text, std::string_view type);
  bool setPropertyList(const PlistValue& value, std::string_view type);
  // Appends copies of the items; false (nothing changed) when they could not be published.
  bool writeItems(const std::vector<PasteboardItem>& items);
  // Clears and writes the items in one step; false (nothing changed) when they could not be
  // published.
  bool replaceItems(const std::vector<PasteboardItem>& items);

  // Reading. nullopt when another application's clipboard could not be read at all.
  // Without `withData`, items carry their types only (one query of the owner).
  std::optional<std::vector<PasteboardItem>> items(bool withData) const;
  // Items with the data of one type only (the others declared).
  std::optional<std::vector<PasteboardItem>> itemsWithDataOf(std::string_view type) const;
  // Types of every item, first appearance first.
  std::vector<std::string> types() const;
  // The first item's data that has the type.
  std::optional<PasteboardBytes> dataForType(std::string_view type) const;
  std::optional<std::string> stringForType(std::string_view type) const;
  std::optional<PlistValue> propertyListForType(std::string_view type) const;

  explicit Pasteboard(std::string name, std::shared_ptr<DesktopClipboard> clipboard = nullptr);

 private:
  std::shared_ptr<DesktopClipboard> liveClipboard() const;
  bool publishLocked(std::unique_lock<std::mutex>& lock);
  // Another application's contents, when the general pasteboard does not hold its own;
  // `wanted` picks the types whose data is read.
  std::optional<std::vector<PasteboardItem>> readItems(
      const std::function<bool(const std::string&)>& wanted) const;
  bool writeLocked(std::unique_lock<std::mutex>& lock, std::vector<PasteboardItem> items);

  const std::string name_;
  mutable std::mutex mutex_;
  std::vector<PasteboardItem> items_;
  long changeCount_ = 0;
  mutable std::shared_ptr<DesktopClipboard> clipboard_;
};

}  // namespace velquarin::platform
