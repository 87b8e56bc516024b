#include "platform/block_source.h"

#include <cassert>
#include <new>

#include "platform/memory.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CADXFORM_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CADXFORM_ASAN 1
#endif
#ifdef CADXFORM_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace cadxform {

namespace {

// Under AddressSanitizer the bytes of a region that are not handed out are
// poisoned, so that an access past a block is reported as one past a heap
// block would be; the whole region is unpoisoned before it goes back.
void Poison(const char* p, size_t n) {
#ifdef CADXFORM_ASAN
  ASAN_POISON_MEMORY_REGION(p, n);
#else
  (void)p, (void)n;
#endif
}

void Unpoison(const char* p, size_t n) {
#ifdef CADXFORM_ASAN
  ASAN_UNPOISON_MEMORY_REGION(p, n);
#else
  (void)p, (void)n;
#endif
}

// Every block starts on a boundary fit for any record.
constexpr size_t kAlign = alignof(std::max_align_t);

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

}  // namespace

TBlockSource::~TBlockSource() {
  for (const TRegion& r : regions_) {
    Unpoison(r.Base, r.Size);
    platform::UnmapRegion(r.Base, r.Size);
  }
  DropPrepared();
}

detail::TBlockMemory* NewBlockSource() { return new TBlockSource; }

void FreeBlockSource(detail::TBlockMemory* source) noexcept { delete static_cast<TBlockSource*>(source); }

void* TBlockSource::Take(size_t bytes) {
  bytes = RoundUp(bytes == 0 ? 1 : bytes, kAlign);
  if (bytes > kRegion / 4) {
    // A request this large gets a region of its own, and the current one
    // stays current for the blocks that follow.
    const TRegion own = AddRegion(RoundUp(bytes, platform::kRegionPage));
    Unpoison(own.Base, bytes);
    return own.Base;
  }
  if (bytes > left_) {
    // The rest of the current region, smaller than this block, stays
    // unused.
    const TRegion next = AddRegion(kRegion);
    cur_ = next.Base;
    left_ = next.Size;
  }
  char* at = cur_;
  cur_ += bytes;
  left_ -= bytes;
  Unpoison(at, bytes);
  return at;
}

TBlockSource::TRegion TBlockSource::AddRegion(size_t size) {
  regions_.reserve(regions_.size() + 1);  // the push below cannot fail
  const TRegion r = NextRegion(size);
  regions_.push_back(r);
  mapped_ += r.Size;
  Poison(r.Base, r.Size);
  return r;
}

TBlockSource::TRegion TBlockSource::NextRegion(size_t size) {
  if (size == kRegion) {  // prepared regions are all of this size
    std::lock_guard lock(mutex_);
    if (preparedCount_ > 0) return prepared_[--preparedCount_];
  }
  void* p = platform::MapRegion(size);
  if (p == nullptr) throw std::bad_alloc();
  return TRegion{static_cast<char*>(p), size};
}

bool TBlockSource::PrepareSome() {
  {
    std::lock_guard lock(mutex_);
    if (preparedCount_ >= kReadyMax) return false;
  }
  if (preparing_.Base == nullptr) {
    void* p = platform::MapRegion(kRegion);
    if (p == nullptr) return false;
    preparing_ = TRegion{static_cast<char*>(p), kRegion};
    preparingDone_ = 0;
  }
  platform::FaultInRegion(preparing_.Base + preparingDone_, kPrepareStep);
  preparingDone_ += kPrepareStep;
  if (preparingDone_ == preparing_.Size) {
    std::lock_guard lock(mutex_);
    prepared_[preparedCount_++] = preparing_;
    preparing_ = TRegion{};
  }
  return true;
}

void TBlockSource::DropPrepared() {
  if (preparing_.Base != nullptr) platform::UnmapRegion(preparing_.Base, preparing_.Size);
  preparing_ = TRegion{};
  std::lock_guard lock(mutex_);
  while (preparedCount_ > 0) {
    const TRegion& r = prepared_[--preparedCount_];
    platform::UnmapRegion(r.Base, r.Size);
  }
}

}  // namespace cadxform
