// Replays fuzz inputs without libFuzzer: each argument is a file or a folder
// of files, fed once to the fuzz target. Used by the test suite to run the
// seed corpus and every past finding as regression cases.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cadxform/fp_setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

int ReplayFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  cadxform::EnsureExtendedPrecision();
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path p(argv[i]);
    if (!fs::exists(p)) continue;
    if (fs::is_directory(p)) {
      std::vector<fs::path> files;
      for (const auto& e : fs::directory_iterator(p))
        if (e.is_regular_file()) files.push_back(e.path());
      for (const auto& f : files) count += ReplayFile(f);
    } else {
      count += ReplayFile(p);
    }
  }
  std::printf("replayed %d inputs\n", count);
  return count > 0 ? 0 : 1;
}
