#include "format/reader_lines.h"

namespace cadxform {

std::string_view TLineAssembler::StripCr(std::string_view raw) {
  const char* cr = FindByte(raw.data(), raw.size(), '\r');
  if (cr == nullptr) return raw;
  const size_t first = static_cast<size_t>(cr - raw.data());
  if (first + 1 == raw.size()) return raw.substr(0, first);  // CR LF
  noCr_.clear();
  for (char c : raw) {
    if (c != '\r') noCr_.push_back(c);
  }
  return noCr_;
}

}  // namespace cadxform
