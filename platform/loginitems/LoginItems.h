#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// The key of our own desktop entries that names the application bundle they start.
inline constexpr const char* kLoginItemBundleKey = "X-Velquarin-Bundle";

// One item of the user's login items: a desktop entry of the autostart folder.
struct LoginItem {
  std::string file;                        // the .desktop file
  std::optional<std::string> displayName;  // its Name= (not localised)
  // The bundle the entry identifies, resolved to a canonical path; nullopt when the entry
  // names none or the bundle no longer exists.
  std::optional<std::string> location;
  // false when the user switched the entry off (Hidden=true or
  // X-GNOME-Autostart-enabled=false): the session does not start it.
  bool enabled = true;
};

// What a new item holds.
struct LoginItemEntry {
  std::string location;               // the bundle it identifies
  std::string name;                   // its display name
  std::vector<std::string> command;   // what it starts, program first
  std::string fileStem;               // its file's name before ".desktop" (made safe)
  std::string workingDirectory = {};  // where it starts (relative arguments); none when empty
};

// The user's session login items: the desktop entries of $XDG_CONFIG_HOME/autostart (else
// ~/.config/autostart), which the desktop session starts at login. The folder has no order
// of its own; the list is ordered newest file first (ties by name), so an inserted item
// comes first.
class LoginItems {
 public:
  // nullopt when the list cannot be opened: no home folder to find it in, or a folder that
  // exists but cannot be read. A missing folder is an empty list, created on first insert.
  static std::optional<LoginItems> openSessionList();
  static std::optional<std::string> sessionFolder();

  explicit LoginItems(std::string folder) : folder_(std::move(folder)) {}
  const std::string& folder() const { return folder_; }

  // The items in list order. Files that cannot be read or are not desktop entries are left
  // out, as are hidden (".") files.
  std::vector<LoginItem> snapshot() const;

  // Adds an item for `entry` under a file name of its own (an existing file is never
  // replaced). Values are escaped as desktop entries require; a value that is not UTF-8
  // cannot be written. Returns an error text, empty on success.
  std::string insertFirst(const LoginItemEntry& entry) const;
  // Removes the item's file. Returns an error text, empty on success.
  std::string remove(const LoginItem& item) const;

  // One argument of an Exec= value, quoted as the desktop-entry format asks (before the
  // key file's own escaping of backslashes and line breaks).
  static std::string quoteExecArgument(const std::string& argument);

 private:
  std::string folder_;
};

}  // namespace velquarin::platform
