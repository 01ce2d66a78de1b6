#include "Migration/ZqDownloadItem.h"

#include <glib.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "icons/FileIcon.h"

namespace {

std::optional<std::int64_t> integerOf(const zq_graph::Value* value) {
  if (!value) return std::nullopt;
  if (auto* i = std::get_if<std::int64_t>(&value->storage)) return *i;
  if (auto number = value->number()) return static_cast<std::int64_t>(*number);
  return std::nullopt;
}

std::string formatted(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::string ZqHumanReadableSize(std::uint64_t bytes) {
  const double k = static_cast<double>(bytes) / 1024.0;
  if (k < 1) return std::to_string(bytes) + " bytes";
  const double m = k / 1024;
  if (m < 1) return formatted("%.2f KB", k);
  const double g = m / 1024;
  if (g < 1) return formatted("%.2f MB", m);
  return formatted("%.2f GB", g);
}

std::optional<double> ZqDownloadItem::createdAt() const {
  const zq_graph::Value* stored = value("createdAt");
  if (auto* date = stored ? std::get_if<zq_graph::Date>(&stored->storage) : nullptr) {
    return date->sinceReferenceDate;
  }
  return std::nullopt;
}

std::optional<std::int64_t> ZqDownloadItem::expectedBytes() const {
  return integerOf(value("expectedBytes"));
}

std::optional<std::int64_t> ZqDownloadItem::receivedBytes() const {
  return integerOf(value("receivedBytes"));
}

void ZqDownloadItem::setExpectedBytes(std::int64_t bytes) {
  object_->setValue("expectedBytes", zq_graph::Value::integer(bytes));
}

void ZqDownloadItem::setReceivedBytes(std::int64_t bytes) {
  object_->setValue("receivedBytes", zq_graph::Value::integer(bytes));
}

std::optional<std::vector<std::string>> ZqDownloadItem::icon() const {
  const auto file = path();
  if (!file || file->empty()) return std::nullopt;
  return velquarin::platform::iconNamesForFile(*file);
}

std::optional<std::string> ZqDownloadItem::name() const {
  auto file = path();
  if (!file || file->empty()) return std::nullopt;
  while (file->size() > 1 && file->back() == '/') file->pop_back();
  const auto slash = file->rfind('/');
  return slash == std::string::npos || file->size() == 1 ? *file : file->substr(slash + 1);
}

std::optional<std::string> ZqDownloadItem::sizeHumanReadable() const {
  const auto file = path();
  if (!file || file->empty()) return std::nullopt;
  struct stat info {};
  const std::uint64_t size =
      stat(file->c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  return ZqHumanReadableSize(size);
}

double ZqDownloadItem::progressInPercents() const {
  const auto r = static_cast<std::uint32_t>(receivedBytes().value_or(0));
  const auto e = static_cast<std::uint32_t>(expectedBytes().value_or(0));
  if (e == 0) return 0;
  return static_cast<double>(static_cast<float>(r) / static_cast<float>(e)) * 100.0;
}

bool ZqDownloadItem::isFinished() const {
  const auto received = numberValue("receivedBytes");
  const auto expected = numberValue("expectedBytes");
  return received && expected && *received == *expected;
}

std::optional<std::string> ZqDownloadItem::previewItemURL() const {
  const auto file = path();
  if (!file || file->empty() || file->front() != '/') return std::nullopt;
  std::unique_ptr<gchar, decltype(&g_free)> uri(g_filename_to_uri(file->c_str(), nullptr, nullptr),
                                                &g_free);
  if (!uri) return std::nullopt;
  return std::string(uri.get());
}
