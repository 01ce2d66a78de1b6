#include "http/ReceiveBuffers.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "http/CurlLibrary.h"

namespace velquarin::platform::http {
namespace {

// malloc rounds sizes up to its own granules: a block this much larger still counts as one
// of the block size.
constexpr std::size_t kSlackBytes = 64;

void* curlMalloc(std::size_t bytes) {
  return ReceiveBuffers::shared().allocate(bytes);
}

void curlFree(void* block) {
  ReceiveBuffers::shared().release(block);
}

void* curlRealloc(void* block, std::size_t bytes) {
  return std::realloc(block, bytes);
}

char* curlStrdup(const char* text) {
  return ::strdup(text);
}

void* curlCalloc(std::size_t count, std::size_t bytes) {
  return std::calloc(count, bytes);
}

}  // namespace

void* ReceiveBuffers::allocate(std::size_t bytes) {
  if (bytes == blockBytes_) {
    std::lock_guard lock(mutex_);
    if (count_ > 0) return std::exchange(blocks_[--count_], nullptr);
  }
  return std::malloc(bytes);
}

void ReceiveBuffers::release(void* block) {
  if (!block) return;
  const std::size_t usable = malloc_usable_size(block);
  if (usable >= blockBytes_ && usable < blockBytes_ + kSlackBytes) {
    std::lock_guard lock(mutex_);
    if (count_ < kCapacity) {
      blocks_[count_++] = block;
      return;
    }
  }
  std::free(block);
}

void ReceiveBuffers::drop() {
  std::array<void*, kCapacity> freed{};
  std::size_t count = 0;
  {
    std::lock_guard lock(mutex_);
    freed = blocks_;
    count = std::exchange(count_, 0);
  }
  for (std::size_t i = 0; i < count; ++i) std::free(freed[i]);
}

std::size_t ReceiveBuffers::kept() const {
  std::lock_guard lock(mutex_);
  return count_;
}

ReceiveBuffers& ReceiveBuffers::shared() {
  static ReceiveBuffers* const buffers = new ReceiveBuffers(kReceiveBufferBytes + 1);
  return *buffers;
}

bool ReceiveBuffers::initialiseCurl() {
  // Takes effect only as curl's first initialisation; later ones just count.
  return curl().global_init_mem(CURL_GLOBAL_DEFAULT, &curlMalloc, &curlFree, &curlRealloc,
                                &curlStrdup, &curlCalloc) == CURLE_OK;
}

}  // namespace velquarin::platform::http
