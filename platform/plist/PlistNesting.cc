#include "plist/PlistNesting.h"

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

}  // namespace

bool propertyListNestingWithin(std::string_view bytes, std::size_t maxDepth) {
  if (bytes.substr(0, 6) == "bplist") return BinaryNesting(bytes).within(maxDepth);
  return xmlNestingWithin(bytes, maxDepth);
}

}  // namespace velquarin::platform
