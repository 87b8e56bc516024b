// Making and giving back the memory a drawing's records take (a
// TBlockSource, block_source.h), for code that needs no more of it.
#pragma once

#include "cadxform/block_array.h"

namespace cadxform {

// A new, empty source (throws std::bad_alloc), and giving one back with
// all its memory (nullptr: nothing).
detail::TBlockMemory* NewBlockSource();
void FreeBlockSource(detail::TBlockMemory* source) noexcept;

}  // namespace cadxform
