#include "plist/PlistNesting.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace velquarin::platform {
namespace {

bool startsWith(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

// Counts open <array> and <dict> elements. Comments, CDATA and declarations are skipped so
// their text cannot count; a stray tag elsewhere only makes the count larger.
bool xmlNestingWithin(std::string_view xml, std::size_t maxDepth) {
  std::size_t depth = 0;
  std::size_t at = 0;
  while ((at = xml.find('<', at)) != std::string_view::npos) {
    std::string_view skipTo;
    if (startsWith(xml, at, "<!--")) {
      skipTo = "-->";
    } else if (startsWith(xml, at, "<![CDATA[")) {
      skipTo = "]]>";
    } else if (startsWith(xml, at, "<?") || startsWith(xml, at, "<!")) {
      skipTo = ">";
    }
    if (!skipTo.empty()) {
      const auto end = xml.find(skipTo, at + 2);
      if (end == std::string_view::npos) return true;  // unterminated: libplist refuses it
      at = end + skipTo.size();
      continue;
    }
    const auto tagEnd = xml.find('>', at);
    if (tagEnd == std::string_view::npos) return true;
    const bool closing = at + 1 < xml.size() && xml[at + 1] == '/';
    std::size_t nameStart = at + (closing ? 2 : 1);
    std::size_t nameEnd = nameStart;
    while (nameEnd < tagEnd && ((xml[nameEnd] >= 'a' && xml[nameEnd] <= 'z') ||
                                (xml[nameEnd] >= 'A' && xml[nameEnd] <= 'Z'))) {
      ++nameEnd;
    }
    const auto name = xml.substr(nameStart, nameEnd - nameStart);
    if (equalsIgnoringCase(name, "array") || equalsIgnoringCase(name, "dict")) {
      if (closing) {
        if (depth > 0) --depth;
      } else if (xml[tagEnd - 1] != '/' && ++depth > maxDepth) {
        return false;
      }
    }
    at = tagEnd + 1;
  }
  return true;
}

// Binary property lists: objects reference each other through an offset table, so nesting
// is the longest chain of container references from the root. Walked with an explicit
// stack; each object is expanded once, its height remembered.
class BinaryNesting {
 public:
  explicit BinaryNesting(std::string_view data) : data_(data) {}

  bool within(std::size_t maxDepth) {
    constexpr std::size_t kTrailer = 32;
    if (data_.size() < 8 + kTrailer) return true;  // too short to parse at all
    const std::size_t trailer = data_.size() - kTrailer;
    offsetSize_ = byteAt(trailer + 6);
    refSize_ = byteAt(trailer + 7);
    const auto objects = readBigEndian(trailer + 8, 8);
    const auto root = readBigEndian(trailer + 16, 8);
    tableStart_ = readBigEndian(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
    if (!objects || !root || !tableStart_ || *objects == 0 || *root >= *objects) return false;
    if (*tableStart_ >= trailer || (trailer - *tableStart_) / offsetSize_ < *objects) {
      return false;
    }
    objectCount_ = *objects;
    height_.assign(objectCount_, kUnvisited);

    struct Frame {
      std::uint64_t index;
      std::size_t refs;     // offset of the first reference
      std::uint64_t count;  // number of references
      std::uint64_t next = 0;
      std::uint32_t height = 1;
    };
    std::vector<Frame> stack;
    auto open = [&](std::uint64_t index) -> int {  // 1 pushed, 0 leaf, -1 malformed
      const auto container = containerAt(index);
      if (!container) return -1;
      if (container->count == kNotContainer) {
        height_[index] = 0;
        return 0;
      }
      height_[index] = kOnPath;
      stack.push_back(Frame{index, container->refs, container->count});
      return 1;
    };
    if (open(*root) < 0) return false;
    if (stack.size() > maxDepth) return false;
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next == frame.count) {
        height_[frame.index] = frame.height;
        const auto done = frame.height;
        stack.pop_back();
        if (!stack.empty() && done + 1 > stack.back().height) stack.back().height = done + 1;
        continue;
      }
      const auto child = readBigEndian(frame.refs + frame.next * refSize_, refSize_);
      ++frame.next;
      if (!child || *child >= objectCount_) return false;
      const auto known = height_[*child];
      if (known == kOnPath) return false;  // a cycle
      if (known != kUnvisited) {
        if (stack.size() + known > maxDepth) return false;
        if (known + 1 > frame.height) frame.height = known + 1;
        continue;
      }
      const int opened = open(*child);
      if (opened < 0 || stack.size() > maxDepth) return false;
    }
    return true;
  }

 private:
  static constexpr std::uint32_t kUnvisited = 0xFFFFFFFF;
  static constexpr std::uint32_t kOnPath = 0xFFFFFFFE;
  static constexpr std::uint64_t kNotContainer = ~std::uint64_t{0};

  struct Container {
    std::size_t refs;
    std::uint64_t count;  // kNotContainer for scalars
  };

  unsigned byteAt(std::size_t at) const { return static_cast<unsigned char>(data_[at]); }

  std::optional<std::uint64_t> readBigEndian(std::size_t at, std::size_t width) const {
    if (at > data_.size() || data_.size() - at < width) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | byteAt(at + i);
    return value;
  }

  std::optional<Container> containerAt(std::uint64_t index) const {
    const auto offset = readBigEndian(*tableStart_ + index * offsetSize_, offsetSize_);
    if (!offset || *offset < 8 || *offset >= *tableStart_) return std::nullopt;
    const unsigned marker = byteAt(*offset);
    const unsigned kind = marker >> 4;
    // 0xA array, 0xB ordered set, 0xC set, 0xD dictionary (keys and values both referenced).
    if (kind < 0xA || kind > 0xD) return Container{0, kNotContainer};
    std::size_t at = *offset + 1;
    std::uint64_t count = marker & 0xF;
    if (count == 0xF) {
      if (at >= data_.size() || (byteAt(at) >> 4) != 0x1) return std::nullopt;
      const std::size_t width = std::size_t{1} << (byteAt(at) & 0xF);
      if (width > 8) return std::nullopt;
      const auto value = readBigEndian(at + 1, width);
      if (!value) return std::nullopt;
      count = *value;
      at += 1 + width;
    }
    if (count > data_.size() || at > data_.size()) return std::nullopt;
    const std::uint64_t refs = kind == 0xD ? count * 2 : count;
    if ((data_.size() - at) / refSize_ < refs) {
      return std::nullopt;
    }
    return Container{at, refs};
  }

  std::string_view data_;
  std::size_t offsetSize_ = 0;
  std::size_t refSize_ = 0;
  std::optional<std::uint64_t> tableStart_;
  std::uint64_t objectCount_ = 0;
  std::vector<std::uint32_t> height_;
};

std::optional<std::uint64_t> bigEndianAt(std::string_view data, std::size_t at, std::size_t width) {
  if (at > data.size() || data.size() - at < width) return std::nullopt;
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value = (value << 8) | static_cast<unsigned char>(data[at + i]);
  }
  return value;
}

// Whether any string object of a binary list (ASCII 0x5_, UTF-16 0x6_, UTF-8 0x7_; keys are
// strings too) holds a NUL character. Objects may share or overlap bytes, so the byte ranges
// are gathered, sorted, and each byte is looked at once per kind.
bool binaryStringsHoldNul(std::string_view data) {
  constexpr std::size_t kTrailer = 32;
  if (data.size() < 8 + kTrailer) return false;  // too short to parse at all
  const std::size_t trailer = data.size() - kTrailer;
  const std::size_t offsetSize = static_cast<unsigned char>(data[trailer + 6]);
  const auto objects = bigEndianAt(data, trailer + 8, 8);
  const auto tableStart = bigEndianAt(data, trailer + 24, 8);
  if (offsetSize < 1 || offsetSize > 8 || !objects || !tableStart || *tableStart >= trailer ||
      (trailer - *tableStart) / offsetSize < *objects) {
    return false;  // libplist refuses the file itself
  }
  struct Range {
    std::size_t begin;
    std::size_t end;
  };
  std::vector<Range> narrow;
  std::vector<Range> wide[2];  // UTF-16 code units, by the parity of their first byte
  for (std::uint64_t index = 0; index < *objects; ++index) {
    const auto offset = bigEndianAt(data, *tableStart + index * offsetSize, offsetSize);
    if (!offset || *offset < 8 || *offset >= *tableStart) continue;
    const unsigned marker = static_cast<unsigned char>(data[*offset]);
    const unsigned kind = marker >> 4;
    if (kind < 0x5 || kind > 0x7) continue;
    std::size_t at = *offset + 1;
    std::uint64_t count = marker & 0xF;
    if (count == 0xF) {
      if (at >= data.size() || (static_cast<unsigned char>(data[at]) >> 4) != 0x1) continue;
      const std::size_t width = std::size_t{1} << (data[at] & 0xF);
      const auto value = width <= 8 ? bigEndianAt(data, at + 1, width) : std::nullopt;
      if (!value) continue;
      count = *value;
      at += 1 + width;
    }
    if (count > data.size() || at > data.size()) continue;
    const std::uint64_t bytes = kind == 0x6 ? count * 2 : count;
    const std::size_t end =
        static_cast<std::size_t>(std::min<std::uint64_t>(at + bytes, data.size()));
    (kind == 0x6 ? wide[at % 2] : narrow).push_back({at, end});
  }
  const auto byBegin = [](const Range& a, const Range& b) { return a.begin < b.begin; };
  std::sort(narrow.begin(), narrow.end(), byBegin);
  std::size_t scanned = 0;
  for (const Range& range : narrow) {
    for (std::size_t i = std::max(range.begin, scanned); i < range.end; ++i) {
      if (data[i] == '\0') return true;
    }
    scanned = std::max(scanned, range.end);
  }
  for (auto& ranges : wide) {
    std::sort(ranges.begin(), ranges.end(), byBegin);
    scanned = 0;  // always of the ranges' parity once set
    for (const Range& range : ranges) {
      for (std::size_t i = std::max(range.begin, scanned); i + 1 < range.end; i += 2) {
        if (data[i] == '\0' && data[i + 1] == '\0') return true;
      }
      scanned = std::max(scanned, range.end);
    }
  }
  return false;
}

}  // namespace

bool propertyListStringsWithoutNul(std::string_view bytes) {
  // libplist reads anything else as XML, which cannot hold U+0000 at all.
  if (bytes.substr(0, 8) == "bplist00") return !binaryStringsHoldNul(bytes);
  return bytes.find('\0') == std::string_view::npos;
}

bool propertyListNestingWithin(std::string_view bytes, std::size_t maxDepth) {
  if (bytes.substr(0, 6) == "bplist") return BinaryNesting(bytes).within(maxDepth);
  return xmlNestingWithin(bytes, maxDepth);
}

}  // namespace velquarin::platform
