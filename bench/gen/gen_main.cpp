// cadxform_gen: writes a generated exchange file to standard output.
//   cadxform_gen N SEED > ZPH_TEMP.TXT
// N entities (0 or more), SEED any unsigned 64-bit number; the same N and
// SEED always give the same bytes.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gen/drawing_gen.h"

namespace {

// Parses a whole decimal argument; false when it is not one.
bool ParseCount(const char* text, uint64_t& value) {
  if (text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0';
}

bool WriteOut(const std::string& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t n = 0, seed = 0;
  if (argc != 3 || !ParseCount(argv[1], n) || !ParseCount(argv[2], seed) || n > INT64_MAX / 2) {
    std::fprintf(stderr, "usage: cadxform_gen N SEED > file\n");
    return 2;
  }
  bench::TDrawingGen gen(seed);
  std::string out;
  out.reserve(2 << 20);
  gen.WriteHeader(out);
  // Flush about every megabyte, so memory stays small for any N.
  const int64_t total = static_cast<int64_t>(n);
  for (int64_t done = 0; done < total;) {
    done += gen.WriteNext(out, total - done);
    if (out.size() >= (1u << 20)) {
      if (!WriteOut(out)) return 1;
      out.clear();
    }
  }
  if (!WriteOut(out) || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "cadxform_gen: write failed\n");
    return 1;
  }
  return 0;
}
