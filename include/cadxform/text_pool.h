// Compact storage for the byte strings held in entity records.
//
// Records hold a TTextRef (pointer and length) into a TTextPool instead of an
// inline 256-byte buffer, so a drawing of a million texts costs the bytes of
// its texts, not 512 bytes per record. Pooled bytes never move: the pool
// grows in chunks and a reference stays valid until the pool is cleared.
// A zero-filled TTextRef is the empty string.
//
// Bytes are code page 932 and never converted.
//
// Example:
//   TTextPool pool;
//   TTextRef t = pool.AddShort(line_token);   // cut to 255 bytes
//   std::string_view v = t.View();
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "cadxform/block_array.h"

namespace cadxform {

// Longest short text (font names, text contents) a record may hold.
inline constexpr size_t kShortTextMax = 255;

struct TTextRef {
  const char* Ptr;
  uint32_t Len;

  std::string_view View() const { return Len == 0 ? std::string_view() : std::string_view(Ptr, Len); }
  bool Empty() const { return Len == 0; }
};

// Returns s cut to its first kShortTextMax bytes (a double-byte character at
// the cut may be split, as the exchange format does).
inline std::string_view CutShort(std::string_view s) { return s.substr(0, kShortTextMax); }

class TTextPool {
 public:
  // Chunks from the heap, or from `source` (which must outlive the pool;
  // its chunks go back with the source, not by Clear()).
  explicit TTextPool(detail::TBlockMemory* source = nullptr) : source_(source) {}

  // Copies s into the pool and returns a reference to the copy. Any length.
  // Throws std::bad_alloc when memory runs out, and std::logic_error while
  // a transform pass runs (a rule sets a text through its ops instead).
  TTextRef Add(std::string_view s);
  // Add(CutShort(s)).
  TTextRef AddShort(std::string_view s) { return Add(CutShort(s)); }
  // Releases every chunk; all references handed out become invalid.
  // Throws std::logic_error while a transform pass runs.
  void Clear();
  // Bytes held in chunks (for memory accounting in tests and benchmarks).
  size_t BytesReserved() const { return reserved_; }

 private:
  static constexpr size_t kChunk = 64 * 1024;
  // A chunk of `size` bytes, from the source or the heap.
  char* NewChunk(size_t size);
  // Add without the check: a transform pass holds the pool still and adds
  // the texts of its own thread through this.
  TTextRef Append(std::string_view s);
  friend class TDrawingHeldStill;
  bool held_ = false;

  detail::TBlockMemory* source_;
  std::vector<std::unique_ptr<char[]>> chunks_;  // heap chunks only
  char* cur_ = nullptr;
  size_t left_ = 0;
  size_t reserved_ = 0;
};

}  // namespace cadxform
