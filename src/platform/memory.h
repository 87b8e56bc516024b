// Memory straight from the operating system, in large regions: the drawing
// keeps its records in them (see TBlockSource), so that another thread can
// fault their pages in ahead of use and a whole region goes back in one
// call.
//
// Example:
//   void* p = MapRegion(4 << 20);   // zero-filled, no page touched yet
//   FaultInRegion(p, 4 << 20);      // every page now backed by memory
//   UnmapRegion(p, 4 << 20);
#pragma once

#include <cstddef>

namespace cadxform::platform {

// Maps `bytes` (a multiple of the page size) of zero-filled memory that can
// be read and written; nullptr when the system has none to give. POSIX:
// an anonymous private mapping. Windows: VirtualAlloc, reserved and
// committed.
void* MapRegion(size_t bytes);

// Backs every page of a region from MapRegion with memory now, as the first
// write to each would; the bytes stay zero. Linux: MADV_POPULATE_WRITE, which
// saves the fault of each page, else one write per page.
void FaultInRegion(void* region, size_t bytes);

// Gives back a region from MapRegion (`bytes` as mapped).
void UnmapRegion(void* region, size_t bytes);

// Granularity of MapRegion's sizes, and the page size FaultInRegion steps by.
inline constexpr size_t kRegionPage = 4096;

}  // namespace cadxform::platform
