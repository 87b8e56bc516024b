#include "app/param_text.h"

#include <array>
#include <cstddef>

#include "exchange/number_forms.h"
#include "exchange/text_pool.h"
#include "numeric/myfunc.h"

namespace rek {

namespace {

constexpr std::string_view kParamPrefix = "^@BM";
constexpr int kParamCount = 6;

// A byte that starts a double-byte character in code page 932.
bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD);
}

// Position of the first comma at or after `from`, stepping over double-byte
// characters whole; npos when there is none.
size_t FindComma(std::string_view s, size_t from) {
  size_t i = from;
  while (i < s.size()) {
    if (s[i] == ',') return i;
    i += IsLeadByte(s[i]) ? 2 : 1;
  }
  return std::string_view::npos;
}

// The six numbers of a parameter list, read from the part after the head.
std::array<double, kParamCount> ReadParams(std::string_view rest) {
  std::array<double, kParamCount> p = {0.0, 0.0, 0.0, 0.0, 1.0, 0.0};
  size_t pos = 0;
  int fields = 0;
  bool more = true;
  while (more && fields < kParamCount) {
    const size_t comma = FindComma(rest, pos);
    more = comma != std::string_view::npos;
    const size_t end = more ? comma : rest.size();
    p[static_cast<size_t>(fields)] = myfunc::StrToFloatOrZero(rest.substr(pos, end - pos));
    ++fields;
    pos = end + 1;
  }
  if (fields == 1) p[1] = p[0];
  return p;
}

}  // namespace

bool IsParamText(std::string_view text) { return text.substr(0, kParamPrefix.size()) == kParamPrefix; }

std::optional<std::string> RewriteParamText(std::string_view text, double scale, double theta) {
  const size_t comma = FindComma(text, 0);
  if (comma == std::string_view::npos) return std::nullopt;
  std::array<double, kParamCount> p = ReadParams(text.substr(comma + 1));

  // Products and the sum are formed in extended precision and rounded to
  // double once, as every other intermediate of the transforms.
  p[0] = static_cast<double>(static_cast<long double>(p[0]) * scale);
  p[1] = static_cast<double>(static_cast<long double>(p[1]) * scale);
  p[5] = myfunc::NormDeg(static_cast<double>(static_cast<long double>(p[5]) + theta));

  std::string out(text.substr(0, comma + 1));
  char buf[kNumberFormMax];
  for (int i = 0; i < kParamCount; ++i) {
    if (i > 0) out.push_back(',');
    out.append(buf, AppendRealForm(buf, p[static_cast<size_t>(i)]));
  }
  out.resize(CutShort(out).size());
  return out;
}

}  // namespace rek
