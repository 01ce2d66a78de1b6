#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Integrations/ZqSBApplication.h"

// A note the note application made through its scripting interface.
class ZqEvernoteNote {
 public:
  static constexpr const char* kBundleId = "com.evernote.Evernote";

  static bool isInstalled();
  // A new empty note with the title and source URL; null when the application offers no
  // scripting for notes (an old version, or none at all).
  static std::shared_ptr<ZqEvernoteNote> noteWithTitle(const std::string& title,
                                                       const std::optional<std::string>& sourceURL);

  void appendHtml(const std::string& html) const;
  // A file as an attachment; a zip archive's regular files each as one.
  void appendAttachment(const std::string& path) const;
  void openNoteWindow() const;

  const std::string& delegate() const { return delegate_; }

  ZqEvernoteNote(ZqSBApplication application, std::string note)
      : application_(std::move(application)), delegate_(std::move(note)) {}

 private:
  void appendFile(const std::string& path) const;

  ZqSBApplication application_;
  std::string delegate_;
};

// The modal alert telling the user the note application cannot be scripted.
void showEvernoteError();
