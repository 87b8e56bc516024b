// Regions of memory from the operating system: one #ifdef per platform.
#include "platform/memory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace cadxform::platform {

namespace {

// Writes a zero to each page, which makes the system back it.
void TouchEachPage(void* region, size_t bytes) {
  volatile char* p = static_cast<volatile char*>(region);
  for (size_t at = 0; at < bytes; at += kRegionPage) p[at] = 0;
}

}  // namespace

#ifdef _WIN32

void* MapRegion(size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FaultInRegion(void* region, size_t bytes) { TouchEachPage(region, bytes); }

void UnmapRegion(void* region, size_t) { VirtualFree(region, 0, MEM_RELEASE); }

#else

void* MapRegion(size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void FaultInRegion(void* region, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  if (madvise(region, bytes, MADV_POPULATE_WRITE) == 0) return;
#endif
  TouchEachPage(region, bytes);  // an older kernel
}

void UnmapRegion(void* region, size_t bytes) { munmap(region, bytes); }

#endif

}  // namespace cadxform::platform
