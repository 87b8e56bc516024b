// Reading a file of more than one chunk, where a second thread splits the
// lines: the drawing must be the one that applying the lines one by one on
// a single thread gives, in every value (header values, indicated points,
// first-seen attributes, every record with its head and texts, the order).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "files/reader.h"
#include "drawing_compare.h"
#include "format/parse_line.h"
#include "format/reader_lines.h"
#include "platform/file_system.h"

namespace cadxform {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Fills d from bytes line by line on this thread.
void ReadOneByOne(const std::string& bytes, TDrawing& d) {
  TReadState r(d);
  TLineAssembler lines;
  auto parse = [&](std::string_view line) { ParseLine(d, r, line); };
  if (lines.Feed(bytes.data(), bytes.size(), parse)) lines.Finish(parse);
}

TEST(ReaderSplit, LargeFilesReadAsLineByLine) {
  // Every kind of line, texts of code page 932, blocks, attributes.
  const std::string unit = ReadAll(TEST_DATA_DIR "/reader/every_kind.txt") +
                           ReadAll(TEST_DATA_DIR "/../golden/round_trip_polylines/input.txt") +
                           ReadAll(TEST_DATA_DIR "/../golden/round_trip_dimensions/input.txt");
  ASSERT_GT(unit.size(), 1000u);
  std::string big;
  while (big.size() < (size_t{5} << 19)) big += unit;  // 2.5 MiB: lines cross every chunk end
  struct TCase {
    const char* Name;
    std::string Bytes;
  };
  // Lines longer than the second thread splits in its batches (they go
  // whole to this thread), one of more than 32 tokens, and a last line so
  // long that it spans chunks.
  const std::string longNumber = "1" + std::string(70000, '0');
  const std::string longLines = "ch 1 2 3 0 \"" + std::string(100000, 'A') + "\r\n" + longNumber + " 2 3 4\r\n" +
                                "ci 5 6 7" + std::string(80000, ' ') + "\r\n" + "ci 8 9 10\r\n" +
                                std::string(40, 'x') + " 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 "
                                "25 26 27 28 29 30 31 32 33\r\n";
  const TCase cases[] = {
      {"whole lines", big},
      {"long lines", big + longLines + big + "pt " + longNumber + " 3" + std::string(3 << 20, ' ') + "x"},
      {"no final line end", big + "ci 1 2 3"},
      {"lone CR and Ctrl+Z after two chunks", big + "ci 1 2\r 3\r\n\x1A\r\nci 4 5 6\r\n" + big},
      {"Ctrl+Z in the first chunk", unit + "\x1A\r\n" + big},
  };
  const std::string path = (std::filesystem::temp_directory_path() / ("cadxform_test_reader_split_" + std::to_string(cadxform::platform::CurrentProcessId()) + ".txt")).string();
  for (const TCase& c : cases) {
    std::ofstream(path, std::ios::binary) << c.Bytes;
    TDrawing d;
    ASSERT_TRUE(ReadExchangeFile(path, d)) << c.Name;
    EXPECT_GT(d.Order.Count(), 0) << c.Name;
    TDrawing oneByOne;
    ReadOneByOne(c.Bytes, oneByOne);
    EXPECT_EQ(DrawingDifference(d, oneByOne), "") << c.Name;
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace cadxform
