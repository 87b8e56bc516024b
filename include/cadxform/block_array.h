// Growable record array that grows in blocks of 1000 elements.
//
// The drawing keeps every entity kind, the input-order list and other
// long lists in one of these. Storage is a list of fixed blocks of 1000
// elements, each value-initialised (zero-filled) when it is appended, so:
//   - appending is amortised O(1) and never moves an existing element
//     (no copy of millions of records when a large drawing grows);
//   - Capacity() is always a multiple of 1000 once anything is stored:
//     appending the 1000th element leaves it at 1000, the 1001st makes it
//     2000 and leaves elements 0..999 where they were.
//
// The blocks come from the heap, or from the drawing's memory given at
// construction (the drawing's arrays share it); those blocks are given
// back with the drawing, not by Clear().
//
// Example:
//   TBlockArray<TLineEnt> lines;
//   TLineEnt& l = lines.Append();   // l is zero-filled, lines.Count() == 1
//   lines[0].X1 = 5;
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace cadxform {

// Where an array takes its blocks when not from the heap: the drawing's
// arrays, head table and text pool share the memory the library gives
// them (its workings are its own).
namespace detail {
// A transform pass holds the drawing still: growing or clearing one of its
// arrays then throws std::logic_error (the library's own).
[[noreturn]] void RefuseWhileHeld(const char* what);

class TBlockMemory {
 public:
  // `bytes` of uninitialised memory aligned for any record, valid as long
  // as this memory lives. Throws std::bad_alloc when no memory is left.
  virtual void* TakeBlock(size_t bytes) = 0;

 protected:
  ~TBlockMemory() = default;
};
}  // namespace detail

}  // namespace cadxform

namespace cadxform {

template <class T>
class TBlockArray {
  // Elements are re-created in place, which is only free of leaks and
  // double destruction for records without resources.
  static_assert(std::is_trivially_destructible_v<T>, "records are plain data");

 public:
  static constexpr int32_t kBlock = 1000;

  // Blocks from the heap, or from `source` (which must outlive the array).
  explicit TBlockArray(detail::TBlockMemory* source = nullptr) : source_(source) {}

  // Number of elements in use; elements 0..Count()-1 are valid.
  int32_t Count() const { return count_; }
  // Number of elements allocated: a multiple of kBlock.
  int64_t Capacity() const { return static_cast<int64_t>(blocks_.size()) * kBlock; }

  // Appends one zero-filled element and returns it. Throws std::bad_alloc
  // when memory for a new block cannot be had, and std::logic_error while a
  // transform pass runs over the drawing the array belongs to; the array is
  // then unchanged.
  T& Append() {
    if (held_) detail::RefuseWhileHeld("the transform added a record to the drawing while the pass ran");
    // (Unsigned: count_ is never negative, and an unsigned remainder by a
    // constant is a few instructions shorter.)
    const uint32_t at = static_cast<uint32_t>(count_) % uint32_t{kBlock};
    if (at == 0) {
      blocks_.reserve(blocks_.size() + 1);
      // Left uninitialised: each element is zero-filled as it is appended,
      // while its memory is about to be written anyway, instead of a pass
      // over the whole block that touches every page before it is needed.
      blocks_.push_back(NewBlock());
    }
    T* slot = &blocks_.back()[at];
    ::new (static_cast<void*>(slot)) T();
    ++count_;
    return *slot;
  }

  T& operator[](int32_t i) {
    assert(i >= 0 && i < count_);
    const auto u = static_cast<uint32_t>(i);
    return blocks_[u / uint32_t{kBlock}][u % uint32_t{kBlock}];
  }
  const T& operator[](int32_t i) const {
    assert(i >= 0 && i < count_);
    const auto u = static_cast<uint32_t>(i);
    return blocks_[u / uint32_t{kBlock}][u % uint32_t{kBlock}];
  }

  // Calls f(element) for elements 0..Count()-1 in order, block by block.
  template <class F>
  void ForEach(F&& f) {
    EachOf(*this, f);
  }
  template <class F>
  void ForEach(F&& f) const {
    EachOf(*this, f);
  }

  // Releases every block (a source's blocks stay with the source);
  // Count() and Capacity() become 0. Throws std::logic_error while a
  // transform pass runs over the drawing.
  void Clear() {
    if (held_) detail::RefuseWhileHeld("the transform cleared a list of the drawing while the pass ran");
    blocks_.clear();
    blocks_.shrink_to_fit();
    count_ = 0;
  }

 private:
  friend class TDrawingHeldStill;
  bool held_ = false;

  template <class A, class F>
  static void EachOf(A& arr, F& f) {
    int32_t left = arr.count_;
    for (auto& block : arr.blocks_) {
      const int32_t n = left < kBlock ? left : kBlock;
      for (int32_t j = 0; j < n; ++j) f(block[static_cast<size_t>(j)]);
      left -= n;
      if (left == 0) break;
    }
  }

  // Frees a heap block; a source's block is left to the source.
  struct TBlockFree {
    bool FromHeap;
    void operator()(T* block) const {
      if (FromHeap) delete[] block;
    }
  };
  using TBlock = std::unique_ptr<T[], TBlockFree>;

  TBlock NewBlock() {
    if (source_ != nullptr) {
      return TBlock(static_cast<T*>(source_->TakeBlock(sizeof(T) * kBlock)), TBlockFree{false});
    }
    return TBlock(new T[kBlock], TBlockFree{true});
  }

  std::vector<TBlock> blocks_;
  int32_t count_ = 0;
  detail::TBlockMemory* source_;
};

}  // namespace cadxform
