#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "Extensions/NSFileManager+ZqExtensions.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder as a path one can append to.
struct Scratch : TempFolder {
  fs::path path{TempFolder::path()};
};

std::uint32_t crc32(const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A zip archive of stored (uncompressed) entries with Unix modes, symbolic links included.
class ZipWriter {
 public:
  // `claimed` is the size the headers state; a lying archive states less than it holds.
  void file(const std::string& name, const std::string& data,
            std::optional<std::uint32_t> claimed = std::nullopt) {
    add(name, data, 0100644, claimed);
  }
  void symlink(const std::string& name, const std::string& target) { add(name, target, 0120777); }

  std::uint64_t statedBytes() const { return stated_; }
  unsigned entries() const { return count_; }

  void save(const fs::path& path) {
    std::string archive = body_;
    const std::size_t start = archive.size();
    archive += central_;
    const std::size_t size = archive.size() - start;
    u32(archive, 0x06054b50);
    u16(archive, 0), u16(archive, 0), u16(archive, count_), u16(archive, count_);
    u32(archive, static_cast<std::uint32_t>(size)), u32(archive, static_cast<std::uint32_t>(start));
    u16(archive, 0);
    std::ofstream(path, std::ios::binary) << archive;
  }

 private:
  static void u16(std::string& out, unsigned v) {
    out.push_back(char(v & 0xFF)), out.push_back(char((v >> 8) & 0xFF));
  }
  static void u32(std::string& out, std::uint32_t v) { u16(out, v & 0xFFFF), u16(out, v >> 16); }

  void add(const std::string& name, const std::string& data, std::uint32_t mode,
           std::optional<std::uint32_t> claimed = std::nullopt) {
    const std::uint32_t crc = crc32(data);
    const auto offset = static_cast<std::uint32_t>(body_.size());
    const auto size = static_cast<std::uint32_t>(data.size());
    const std::uint32_t stated = claimed.value_or(size);
    stated_ += stated;
    u32(body_, 0x04034b50);
    u16(body_, 10), u16(body_, 0), u16(body_, 0), u16(body_, 0), u16(body_, 0x21);
    u32(body_, crc), u32(body_, size), u32(body_, stated);
    u16(body_, static_cast<unsigned>(name.size())), u16(body_, 0);
    body_ += name + data;
    u32(central_, 0x02014b50);
    u16(central_, (3 << 8) | 30), u16(central_, 10), u16(central_, 0), u16(central_, 0);
    u16(central_, 0), u16(central_, 0x21);
    u32(central_, crc), u32(central_, size), u32(central_, stated);
    u16(central_, static_cast<unsigned>(name.size())), u16(central_, 0), u16(central_, 0);
    u16(central_, 0), u16(central_, 0), u32(central_, mode << 16), u32(central_, offset);
    central_ += name;
    ++count_;
  }

  std::string body_;
  std::string central_;
  unsigned count_ = 0;
  std::uint64_t stated_ = 0;
};

// Every entry below `root`, relative, without following links; links are marked "@".
std::vector<std::string> listing(const fs::path& root) {
  std::vector<std::string> names;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const bool link = fs::is_symlink(it->symlink_status());
    names.push_back(fs::relative(it->path(), root).string() + (link ? "@" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct Fixture {
  Scratch scratch;
  fs::path outside = scratch.path / "outside";
  fs::path archive = scratch.path / "archive.zip";
  fs::path destination = scratch.path / "work" / "dest";
  std::uint64_t bytes = 0;
  std::uint64_t entries = 0;

  Fixture() {
    fs::create_directories(outside);
    ZipWriter zip;
    zip.symlink("evil", outside.string());
    zip.file("evil/injected.txt", "through the link");
    zip.file("../escape.txt", "climbing out");
    zip.file("nested/deeper/photo.jpg", "jpg bytes");
    zip.file("nested/Photo2.JPG", "JPG bytes");
    zip.file("notes.txt", "notes");
    zip.symlink("link.txt", "notes.txt");
    zip.save(archive);
    bytes = zip.statedBytes();
    entries = zip.entries();
  }
};

}  // namespace

TEST(Unzip, KeepsOnlyRegularFilesInsideTheDestination) {
  Fixture f;
  zq_unzipItemAtPath(f.archive.string(), f.destination.string());
  EXPECT_EQ(listing(f.destination),
            (std::vector<std::string>{"escape.txt", "nested", "nested/Photo2.JPG", "nested/deeper",
                                      "nested/deeper/photo.jpg", "notes.txt"}));
  EXPECT_EQ(readFile(f.destination / "nested/deeper/photo.jpg"), "jpg bytes");
  EXPECT_EQ(readFile(f.destination / "escape.txt"), "climbing out");
  EXPECT_TRUE(fs::is_empty(f.outside));
  EXPECT_FALSE(fs::exists(f.scratch.path / "work" / "escape.txt"));
  EXPECT_FALSE(fs::exists(f.scratch.path / "escape.txt"));
}

TEST(Unzip, FiltersMatchWithoutCaseAndExistingFilesWin) {
  Fixture f;
  fs::create_directories(f.destination);
  std::ofstream(f.destination / "nested.txt") << "mine";
  const std::vector<std::string> filter{"-d", "*.jpg"};  // an option-like pattern is dropped
  zq_unzipItemAtPath(f.archive.string(), f.destination.string(), &filter);
  EXPECT_EQ(listing(f.destination),
            (std::vector<std::string>{"nested", "nested.txt", "nested/Photo2.JPG", "nested/deeper",
                                      "nested/deeper/photo.jpg"}));

  ZipWriter again;
  again.file("nested.txt", "theirs");
  again.save(f.scratch.path / "again.zip");
  zq_unzipItemAtPath((f.scratch.path / "again.zip").string(), f.destination.string());
  EXPECT_EQ(readFile(f.destination / "nested.txt"), "mine");
}

TEST(Unzip, NeverWritesThroughALinkAlreadyInTheDestination) {
  Fixture f;
  fs::create_directories(f.destination);
  fs::create_directory_symlink(f.outside, f.destination / "nested");
  const fs::path cwd = fs::current_path();
  fs::current_path(f.scratch.path);
  zq_unzipItemAtPath("archive.zip", "work/dest");  // relative paths are taken from here
  fs::current_path(cwd);
  EXPECT_TRUE(fs::is_empty(f.outside));
  EXPECT_TRUE(fs::exists(f.destination / "notes.txt"));
  for (const auto& name : listing(f.destination)) {
    EXPECT_EQ(name.find(".unzip-"), std::string::npos) << name;
  }
}

TEST(Unzip, RefusesArchivesListedAsTooLargeAndLeavesNothing) {
  Fixture f;
  zq_unzipItemAtPath(f.archive.string(), f.destination.string(), nullptr,
                     {.maxBytes = f.bytes - 1});
  EXPECT_TRUE(!fs::exists(f.destination) || fs::is_empty(f.destination));
  zq_unzipItemAtPath(f.archive.string(), f.destination.string(), nullptr,
                     {.maxEntries = f.entries - 1});
  EXPECT_TRUE(!fs::exists(f.destination) || fs::is_empty(f.destination));
  // At the limits it is unpacked.
  zq_unzipItemAtPath(f.archive.string(), f.destination.string(), nullptr,
                     {.maxBytes = f.bytes, .maxEntries = f.entries});
  EXPECT_EQ(readFile(f.destination / "notes.txt"), "notes");

  // Not an archive unzip can list: nothing is tried.
  std::ofstream(f.scratch.path / "bogus.zip") << "not a zip";
  const fs::path other = f.scratch.path / "other";
  zq_unzipItemAtPath((f.scratch.path / "bogus.zip").string(), other.string());
  EXPECT_TRUE(!fs::exists(other) || fs::is_empty(other));
}

TEST(Unzip, BoundsWhatIsWrittenWhenTheListingLies) {
  Scratch scratch;
  const fs::path archive = scratch.path / "bomb.zip";
  ZipWriter zip;
  zip.file("small.txt", "small");
  zip.file("big.bin", std::string(3 << 20, 'x'), 10);  // says 10 bytes, holds 3 MiB
  zip.save(archive);
  const fs::path destination = scratch.path / "dest";
  zq_unzipItemAtPath(archive.string(), destination.string(), nullptr, {.maxBytes = 1 << 20});
  ASSERT_TRUE(fs::exists(destination));
  EXPECT_TRUE(fs::is_empty(destination)) << listing(destination).front();

  // The same archive within a larger limit: unzip does write all of it.
  zq_unzipItemAtPath(archive.string(), destination.string(), nullptr, {.maxBytes = 4 << 20});
  EXPECT_EQ(fs::file_size(destination / "big.bin"), std::uintmax_t(3) << 20);
}
