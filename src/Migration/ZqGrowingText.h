#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string_view>

// Text that grows in place. A large buffer is resized by the allocator (remapped rather than
// copied), so a document of many megabytes never holds an old and a new copy at once the way
// a doubling string does.
class ZqGrowingText {
 public:
  ZqGrowingText() = default;
  ZqGrowingText(ZqGrowingText&&) noexcept = default;
  ZqGrowingText& operator=(ZqGrowingText&&) noexcept = default;

  // Throws std::bad_alloc when the memory cannot be had.
  void append(std::string_view text);
  void append(char c) { append(std::string_view(&c, 1)); }
  ZqGrowingText& operator+=(std::string_view text) {
    append(text);
    return *this;
  }
  ZqGrowingText& operator+=(char c) {
    append(c);
    return *this;
  }

  std::string_view view() const { return {data_.get(), size_}; }
  std::size_t size() const { return size_; }

 private:
  struct Free {
    void operator()(char* memory) const { std::free(memory); }
  };
  std::unique_ptr<char, Free> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};
