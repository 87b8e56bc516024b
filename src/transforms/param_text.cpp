#include "transforms/param_text.h"

#include <array>
#include <cstddef>

#include "numeric/number_forms.h"
#include "cadxform/text_pool.h"
#include "cadxform/cp932.h"
#include "cadxform/geometry.h"
#include "cadxform/parse_number.h"

namespace cadxform {

namespace {

constexpr std::string_view kParamPrefix = "^@BM";
constexpr int kParamCount = std::tuple_size_v<TParamValues>;

// Position of the first comma at or after `from`, stepping over double-byte
// characters whole; npos when there is none.
size_t FindComma(std::string_view s, size_t from) {
  size_t i = from;
  while (i < s.size()) {
    if (s[i] == ',') return i;
    i += IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
  }
  return std::string_view::npos;
}

// The six numbers of a parameter list, read from the part after the head.
TParamValues ReadParams(std::string_view rest) {
  TParamValues p = {0.0, 0.0, 0.0, 0.0, 1.0, 0.0};
  size_t pos = 0;
  int fields = 0;
  bool more = true;
  while (more && fields < kParamCount) {
    const size_t comma = FindComma(rest, pos);
    more = comma != std::string_view::npos;
    const size_t end = more ? comma : rest.size();
    p[static_cast<size_t>(fields)] = StrToFloatOrZero(rest.substr(pos, end - pos));
    ++fields;
    pos = end + 1;
  }
  if (fields == 1) p[1] = p[0];
  return p;
}

}  // namespace

bool IsParamText(std::string_view text) { return text.substr(0, kParamPrefix.size()) == kParamPrefix; }

std::optional<TParamList> RewrittenParams(std::string_view text, double scale, double theta) {
  const size_t comma = FindComma(text, 0);
  if (comma == std::string_view::npos) return std::nullopt;
  TParamValues p = ReadParams(text.substr(comma + 1));

  // Products and the sum are formed in extended precision and rounded to
  // double once, as every other intermediate of the transforms.
  p[0] = static_cast<double>(static_cast<long double>(p[0]) * scale);
  p[1] = static_cast<double>(static_cast<long double>(p[1]) * scale);
  p[5] = NormDeg(static_cast<double>(static_cast<long double>(p[5]) + theta));
  return TParamList{comma + 1, p};
}

std::string ParamTextOf(std::string_view text, const TParamList& params) {
  std::string out(text.substr(0, params.HeadLength));
  char buf[kNumberFormMax];
  for (size_t i = 0; i < params.Values.size(); ++i) {
    if (i > 0) out.push_back(',');
    out.append(buf, AppendRealForm(buf, params.Values[i]));
  }
  out.resize(CutShort(out).size());
  return out;
}

std::optional<std::string> RewriteParamText(std::string_view text, double scale, double theta) {
  const std::optional<TParamList> params = RewrittenParams(text, scale, theta);
  if (!params) return std::nullopt;
  return ParamTextOf(text, *params);
}

}  // namespace cadxform
