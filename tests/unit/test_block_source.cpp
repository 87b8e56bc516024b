// The drawing's block source: blocks never overlap and keep their bytes
// while another thread prepares regions, prepared regions are used before
// new ones, and a request that cannot be met leaves the source usable.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "cadxform/block_array.h"
#include "platform/block_source.h"

namespace {

using cadxform::TBlockSource;

TEST(BlockSource, BlocksKeepTheirBytesWhileAnotherThreadPrepares) {
  TBlockSource source;
  std::vector<std::pair<unsigned char*, size_t>> blocks;
  std::thread preparer([&] {
    for (int i = 0; i < 400; ++i) source.PrepareSome();
  });
  // Sizes from a few bytes to more than a quarter region (own region).
  const size_t sizes[] = {1, 40, 28000, 104000, 150000, 65536, TBlockSource::kRegion / 4 + 1};
  for (int i = 0; i < 600; ++i) {
    const size_t n = sizes[i % 7];
    auto* p = static_cast<unsigned char*>(source.Take(n));
    ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u);
    std::memset(p, i & 0xFF, n);
    blocks.emplace_back(p, n);
  }
  preparer.join();
  for (size_t i = 0; i < blocks.size(); ++i) {
    const auto [p, n] = blocks[i];
    for (size_t j = 0; j < n; j += 997) ASSERT_EQ(p[j], i & 0xFF) << "block " << i;
    ASSERT_EQ(p[n - 1], i & 0xFF) << "block " << i;
  }
  source.DropPrepared();
}

TEST(BlockSource, PreparedRegionsAreTakenFirstAndBounded) {
  TBlockSource source;
  constexpr size_t kSteps = TBlockSource::kRegion / TBlockSource::kPrepareStep;
  for (size_t i = 0; i < kSteps * TBlockSource::kReadyMax; ++i) EXPECT_TRUE(source.PrepareSome());
  EXPECT_FALSE(source.PrepareSome());
  source.Take(100);
  EXPECT_EQ(source.BytesMapped(), TBlockSource::kRegion);
  EXPECT_TRUE(source.PrepareSome());  // one was taken: room for another
  source.DropPrepared();
  EXPECT_TRUE(source.PrepareSome());
}

TEST(BlockSource, RequestBeyondMemoryThrowsAndLeavesSourceUsable) {
  TBlockSource source;
  const size_t before = source.BytesMapped();
  EXPECT_THROW(source.Take(SIZE_MAX / 2), std::bad_alloc);
  EXPECT_EQ(source.BytesMapped(), before);
  cadxform::TBlockArray<double> values(&source);
  for (int i = 0; i < 2500; ++i) values.Append() = i;
  EXPECT_EQ(values.Capacity(), 3000);
  EXPECT_EQ(values[2499], 2499.0);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer a write past a block is caught as past a heap block.
TEST(BlockSourceDeathTest, WritePastABlockIsReported) {
  TBlockSource source;
  auto* p = static_cast<volatile char*>(source.Take(100));
  p[99] = 1;
  EXPECT_DEATH(p[112] = 1, "use-after-poison|unknown-crash");
}
#endif
