#pragma once

#include <optional>
#include <string>

// The print dialog's PDF menu entry that hands a printed PDF to this application: a symbolic
// link (the desktop's alias) named "Mail PDF with Velquarin" in ~/Library/PDF Services,
// pointing at the main bundle's folder. Main thread.
class ZqPDFServices {
 public:
  static constexpr const char* kEntryName = "Mail PDF with Velquarin";

  static ZqPDFServices& sharedInstance();

  // Nothing when the user has no home folder.
  const std::optional<std::string>& pdfServicesPath() const { return pdfServicesPath_; }

  void install() const;
  void uninstall() const;
  // Removes every entry of the folder that stands for this application (by its bundle
  // identifier), and links to the previous major version's application.
  // Leaves `keep` (an entry already pointing at this bundle) in place; empty keeps none.
  void removeBookmarksToOurselves(const std::string& keep) const;

 private:
  ZqPDFServices();
  std::optional<std::string> pdfServicesPath_;
};
