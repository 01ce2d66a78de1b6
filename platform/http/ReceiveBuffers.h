#pragma once

// curl allocates a transfer's receive buffer when the transfer starts and frees it when it
// ends. With many short transfers at once, the freed buffers lie at the top of the heap,
// malloc gives that memory back to the system, and the next batch of transfers faults it
// in again page by page (about a tenth of the CPU a small request costs). Blocks of the
// buffer's size are kept here for the next transfers instead: a bounded number, dropped once
// transfers stop. Internal to platform/http.

#include <array>
#include <cstddef>
#include <mutex>

namespace velquarin::platform::http {

// What each transfer asks curl to read at a time; curl allocates one byte more. Larger reads
// mean fewer callbacks (and fewer "data" events) on fast links; past malloc's mapping
// threshold (128 KiB) every buffer would be mapped and unmapped.
inline constexpr long kReceiveBufferBytes = 64 * 1024;

class ReceiveBuffers {
 public:
  static constexpr std::size_t kCapacity = 64;

  explicit ReceiveBuffers(std::size_t blockBytes) : blockBytes_(blockBytes) {}
  ~ReceiveBuffers() { drop(); }
  ReceiveBuffers(const ReceiveBuffers&) = delete;
  ReceiveBuffers& operator=(const ReceiveBuffers&) = delete;

  // malloc and free, except that a block of the block size comes from, and goes back to,
  // the kept ones where it can. Safe on any thread (curl's resolver threads free too).
  void* allocate(std::size_t bytes);
  void release(void* block);
  // Frees every kept block.
  void drop();
  std::size_t kept() const;

  // Sized for curl's receive buffers; never destroyed, as curl may free at exit.
  static ReceiveBuffers& shared();
  // Initialises curl with memory functions over shared(). False if curl refused.
  [[nodiscard]] static bool initialiseCurl();

 private:
  const std::size_t blockBytes_;
  mutable std::mutex mutex_;
  std::array<void*, kCapacity> blocks_{};
  std::size_t count_ = 0;
};

}  // namespace velquarin::platform::http
