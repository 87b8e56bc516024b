#include "run/command_line.h"

#include "cadxform/platform.h"

namespace cadxform {

std::vector<std::string> SplitCommandLine(std::string_view raw) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < raw.size()) {
    while (i < raw.size() && static_cast<unsigned char>(raw[i]) <= 32) ++i;
    if (i == raw.size()) break;
    std::string arg;
    bool quoted = false;
    for (; i < raw.size(); ++i) {
      const char c = raw[i];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && static_cast<unsigned char>(c) <= 32) {
        break;
      } else {
        arg.push_back(c);
      }
    }
    out.push_back(std::move(arg));
  }
  return out;
}

std::vector<std::string> CommandLineArgs(int argc, char** argv) {
  std::vector<std::string> args;
  if (const auto raw = platform::RawCommandLine()) {
    args = SplitCommandLine(*raw);
    if (!args.empty()) args.erase(args.begin());
  } else {
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  }
  return args;
}

}  // namespace cadxform
