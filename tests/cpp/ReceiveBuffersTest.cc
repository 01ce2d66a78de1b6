#include "http/ReceiveBuffers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using velquarin::platform::http::ReceiveBuffers;

TEST(ReceiveBuffers, KeepsBlocksOfTheBufferSizeOnlyAndNoMoreThanItsCapacity) {
  constexpr std::size_t kBlock = 4097;
  ReceiveBuffers buffers(kBlock);
  void* block = buffers.allocate(kBlock);
  ASSERT_NE(block, nullptr);
  buffers.release(nullptr);
  buffers.release(buffers.allocate(100));
  buffers.release(std::malloc(2 * kBlock));
  EXPECT_EQ(buffers.kept(), 0u);

  buffers.release(block);
  EXPECT_EQ(buffers.kept(), 1u);
  EXPECT_EQ(buffers.allocate(kBlock), block);
  EXPECT_EQ(buffers.kept(), 0u);
  buffers.release(block);

  std::vector<void*> more;
  for (std::size_t i = 0; i < ReceiveBuffers::kCapacity + 3; ++i) {
    more.push_back(buffers.allocate(kBlock));
  }
  EXPECT_EQ(buffers.kept(), 0u);
  for (void* each : more) buffers.release(each);
  EXPECT_EQ(buffers.kept(), ReceiveBuffers::kCapacity);
  buffers.drop();
  EXPECT_EQ(buffers.kept(), 0u);
}
