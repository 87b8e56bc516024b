// Reading the exchange file: chunks of bytes in, lines out to ParseLine.
#include "exchange/reader_file.h"

#include <cstdio>
#include <memory>
#include <new>

#include "exchange/reader.h"

namespace rek {

std::string_view TLineAssembler::StripCr(std::string_view raw) {
  const char* cr = wordbits::FindByte(raw.data(), raw.size(), '\r');
  if (cr == nullptr) return raw;
  const size_t first = static_cast<size_t>(cr - raw.data());
  if (first + 1 == raw.size()) return raw.substr(0, first);  // CR LF
  noCr_.clear();
  for (char c : raw) {
    if (c != '\r') noCr_.push_back(c);
  }
  return noCr_;
}

namespace {

// Bytes read from the file at a time: large enough that the cost of a read
// call vanishes, small enough to stay in cache-friendly memory.
constexpr size_t kChunkSize = size_t{1} << 20;

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool ReadExchangeFile(const std::string& path) {
  // Binary mode: line ends are handled by TLineAssembler, the same way on
  // every platform.
  std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  try {
    std::unique_ptr<char[]> chunk(new char[kChunkSize]);
    TLineAssembler lines;
    auto parse = [](std::string_view line) { ParseLine(line); };
    for (;;) {
      const size_t got = std::fread(chunk.get(), 1, kChunkSize, file.get());
      if (got > 0 && !lines.Feed(chunk.get(), got, parse)) return true;  // Ctrl+Z
      if (got < kChunkSize) {
        if (std::ferror(file.get())) return false;
        break;
      }
    }
    lines.Finish(parse);
    return true;
  } catch (const std::bad_alloc&) {
    // Out of memory: the lines parsed so far stay in the store.
    return false;
  }
}

}  // namespace rek
