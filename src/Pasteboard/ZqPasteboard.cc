#include "Pasteboard/ZqPasteboard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <map>

#include "Replies/ZqReplies.h"
#include "Utilities/ZqLog.h"
#include "files/DataWriter.h"
#include "files/FileDescriptor.h"
#include "images/Image.h"
#include "pasteboard/PasteboardTypes.h"

using velquarin::platform::Image;
using velquarin::platform::Pasteboard;
using velquarin::platform::PasteboardBytes;
using velquarin::platform::PasteboardItem;

namespace {

// Image files larger than this are not put on the pasteboard.
constexpr off_t kMaxFileContentsBytes = 256 << 20;

// The one saved snapshot; main thread only.
std::optional<std::vector<PasteboardItem>>& savedSnapshot() {
  static std::optional<std::vector<PasteboardItem>> snapshot;
  return snapshot;
}

std::optional<std::string> typeForExtension(const std::string& extension) {
  static const std::map<std::string, std::string> kTypes{
      {"png", "public.png"}, {"jpg", "public.jpg"}, {"jpeg", "public.jpg"}, {"gif", "public.gif"}};
  const auto found = kTypes.find(extension);
  if (found == kTypes.end()) return std::nullopt;
  return found->second;
}

std::string lowercaseExtension(const std::string& path) {
  auto extension = std::filesystem::path(path).extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// The whole of a regular file no larger than the cap.
std::optional<PasteboardBytes> readRegularFile(const std::string& path) {
  velquarin::platform::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size > kMaxFileContentsBytes) {
    return std::nullopt;
  }
  PasteboardBytes bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

// The local file a copied file or URL on the pasteboard names.
std::optional<std::string> copiedFilePath(const Pasteboard& pasteboard) {
  if (auto url = pasteboard.stringForType(velquarin::platform::kPasteboardTypeFileURL)) {
    return velquarin::platform::pathFromFileURL(*url);
  }
  if (auto list = pasteboard.propertyListForType(velquarin::platform::kFilenamesPboardType)) {
    const auto* paths = list->asArray();
    if (paths && !paths->empty() && paths->front().asString()) return *paths->front().asString();
  }
  if (auto url = pasteboard.stringForType(velquarin::platform::kPasteboardTypeURL)) {
    return velquarin::platform::pathFromFileURL(*url);
  }
  return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> jpegFromPasteboardData(const Pasteboard& pasteboard) {
  for (const auto& type : pasteboard.types()) {
    if (!velquarin::platform::isDecodableImageType(type)) continue;
    auto data = pasteboard.dataForType(type);
    if (!data) continue;
    if (auto image = Image::fromData(*data)) return ZqJPGRepresentation(image);
  }
  return std::nullopt;
}

}  // namespace

bool ZqPasteboardIsSaved() {
  return savedSnapshot().has_value();
}

bool ZqSavePasteboard(Pasteboard& pasteboard) {
  auto& snapshot = savedSnapshot();
  if (snapshot) {
    ZQ_LOG_WARN("Cannot save pasteboard as it's already saved.");
    return false;
  }
  auto items = pasteboard.items(true);
  if (!items) {
    ZQ_LOG_WARN("Cannot save pasteboard as its contents could not be read.");
    return false;
  }
  std::vector<PasteboardItem> copies;
  for (const auto& item : *items) {
    PasteboardItem copy;
    for (const auto& entry : item.entries()) {
      if (entry.data) copy.setData(entry.type, entry.data);
    }
    copies.push_back(std::move(copy));
  }
  snapshot = std::move(copies);
  return true;
}

bool ZqRestorePasteboard(Pasteboard& pasteboard) {
  auto& snapshot = savedSnapshot();
  if (!snapshot) {
    ZQ_LOG_WARN("Cannot restore pasteboard as there's no content.");
    return false;
  }
  if (!pasteboard.replaceItems(*snapshot)) {
    ZQ_LOG_WARN(
        "Cannot restore pasteboard as the clipboard could not be taken; the saved contents are "
        "kept.");
    return false;
  }
  snapshot.reset();
  return true;
}

bool ZqWriteFileContents(Pasteboard& pasteboard, const std::string& path) {
  const auto extension = lowercaseExtension(path);
  const auto type = typeForExtension(extension);
  if (!type) {
    ZQ_LOG_WARN("Unsupported file extension %@", extension);
    return false;
  }
  auto bytes = readRegularFile(path);
  if (!bytes) {
    ZQ_LOG_WARN("Couldn't read %@; the pasteboard is unchanged", path);
    return false;
  }
  PasteboardItem item;
  item.setData(*type, std::move(*bytes));
  return pasteboard.replaceItems({item});
}

std::optional<std::string> ZqGetFindStringFromPasteboard() {
  return Pasteboard::find()->stringForType(velquarin::platform::kStringPboardType);
}

void ZqSetFindStringToPasteboard(const std::optional<std::string>& text) {
  auto find = Pasteboard::find();
  if (!text) {
    find->clearContents();
    return;
  }
  find->declareTypes({velquarin::platform::kStringPboardType});
  find->setString(*text, velquarin::platform::kStringPboardType);
}

bool ZqPasteboardHasImage(const Pasteboard& pasteboard) {
  const auto types = pasteboard.types();
  return std::any_of(types.begin(), types.end(), [](const std::string& type) {
    return velquarin::platform::isDecodableImageType(type);
  });
}

std::optional<std::string> ZqImageFromPasteboard(const std::string& directory) {
  if (directory.empty()) return std::nullopt;
  auto general = Pasteboard::general();
  std::optional<std::vector<std::uint8_t>> jpeg;
  if (auto path = copiedFilePath(*general)) {
    if (auto image = Image::fromFile(*path)) jpeg = ZqJPGRepresentation(image);
  }
  if (!jpeg) {
    if (!ZqPasteboardHasImage(*general)) return std::nullopt;
    jpeg = jpegFromPasteboardData(*general);
    if (!jpeg) return std::nullopt;
  }
  const auto target = (std::filesystem::path(directory) / "image.jpg").string();
  if (auto error = velquarin::platform::writeData(target, *jpeg, true)) {
    ZQ_LOG_WARN("Couldn't write the pasteboard's image: %@", error->description());
    return std::nullopt;
  }
  return target;
}

bool hasFilesInPasteboard(const std::string& type) {
  auto items = Pasteboard::general()->items(false);
  if (!items) return false;
  return std::any_of(items->begin(), items->end(),
                     [&](const PasteboardItem& item) { return item.hasType(type); });
}
