#include "Migration/ZqGrowingText.h"

#include <cstring>
#include <new>

void ZqGrowingText::append(std::string_view text) {
  if (text.empty()) return;
  if (text.size() > capacity_ - size_) {
    std::size_t capacity = capacity_ ? capacity_ : 4096;
    while (capacity - size_ < text.size()) {
      if (capacity > SIZE_MAX / 2) throw std::bad_alloc();
      capacity *= 2;
    }
    // Growth by realloc: the pages past what is written are never touched.
    void* grown = std::realloc(data_.get(), capacity);
    if (!grown) throw std::bad_alloc();
    (void)data_.release();
    data_.reset(static_cast<char*>(grown));
    capacity_ = capacity;
  }
  std::memcpy(data_.get() + size_, text.data(), text.size());
  size_ += text.size();
}
