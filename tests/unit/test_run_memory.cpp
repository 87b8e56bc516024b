// Running out of memory anywhere in the run sequence, start-up included:
// every allocation from the k-th on fails, for every k up to a whole run.
// The tool must never end abnormally: it exits with status 1 and a message
// on stderr, and the exchange file afterwards is the host's input, the
// single out-of-memory message line or the whole output (when memory ran
// out only after the output had replaced the input), never a part of one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "app/run.h"
#include "platform/file_system.h"

namespace {

// Allocations left before every further one fails; negative: none fails.
// Only this test sets it, and only around RunTool.
long gAllocationsLeft = -1;
// Allocations counted while gCounting is set.
bool gCounting = false;
long gAllocations = 0;

void* Allocate(std::size_t size) {
  if (gCounting) ++gAllocations;
  if (gAllocationsLeft == 0) throw std::bad_alloc();
  if (gAllocationsLeft > 0) --gAllocationsLeft;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(RunMemory, EveryFailingAllocationEndsInInputOrMessage) {
  const fs::path dir = fs::temp_directory_path() / ("cadxform_run_memory_" + std::to_string(cadxform::platform::CurrentProcessId()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / cadxform::kExchangeFileName;
  const std::string input = "hp1 10 20\r\nlg2\r\nly3\r\n0 0 5 5\r\nci 1 2 3\r\nch 1 2 1 0 \"A\r\n";
  const std::string message = "h#" + std::string(cadxform::kOutOfMemoryMessage) + "\r\n";
  const std::vector<std::string> args = {"1", "1", "110", "220"};
  const fs::path exeDir = dir;

  // A whole run first: how many allocations it makes, and its output.
  WriteAll(file, input);
  gAllocations = 0;
  gCounting = true;
  ASSERT_EQ(cadxform::RunTool(args, exeDir, stderr), 0);
  gCounting = false;
  const long total = gAllocations;
  const std::string output = ReadAll(file);
  ASSERT_EQ(output.substr(0, 4), "hd\r\n");

  for (long k = 0; k < total; ++k) {
    WriteAll(file, input);
    std::FILE* errors = std::tmpfile();
    ASSERT_NE(errors, nullptr);
    gAllocationsLeft = k;
    const int status = cadxform::RunTool(args, exeDir, errors);
    gAllocationsLeft = -1;
    std::rewind(errors);
    char text[256] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, errors);
    std::fclose(errors);
    EXPECT_EQ(status, 1) << "allocation " << k;
    EXPECT_NE(std::string(text, n).find("out of memory"), std::string::npos) << "allocation " << k;
    const std::string after = ReadAll(file);
    EXPECT_TRUE(after == input || after == message || after == output) << "allocation " << k << ": " << after;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "allocation " << k;
  }
  fs::remove_all(dir);
}

}  // namespace
