// Parameter texts: texts whose content begins with "^@BM" carry a list of
// numbers after their first comma, which the two-point similarity transform
// rewrites instead of turning and scaling the text itself.
//
// Content layout:  <head part up to and including the first comma><P1>,<P2>,...,<P6>
//   P1, P2  lengths: scaled by the transform's scale factor
//   P3..P5  passed through unchanged
//   P6      angle in degrees: turned by the transform's rotation
//
// Pure functions on code page 932 byte strings; nothing here touches a
// drawing.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cadxform {

// The six numbers P1..P6 of a parameter list.
using TParamValues = std::array<double, 6>;

// A parameter list as a transform rewrites it: the length of the head part
// (up to and including the first comma) and the six new numbers.
struct TParamList {
  size_t HeadLength;
  TParamValues Values;
};

// True when text begins with the four bytes "^@BM".
//   "^@BMabc,5" -> true   "x^@BM" -> false   "^@B" -> false
bool IsParamText(std::string_view text);

// Rewrites the number list of a parameter text for a transform that scales
// lengths by `scale` and turns angles by `theta` degrees.
//
// Takes the text content (normally one for which IsParamText holds, but any
// bytes are accepted). Returns std::nullopt when the content has no comma:
// the content then stays as it is. Otherwise returns the head part followed
// by exactly six numbers in the real form, separated by commas, cut to 255
// bytes:
//   - up to six fields are read after the head part; a field runs to the
//     next comma, or to the end when no comma follows; a seventh and later
//     fields are dropped;
//   - each field reads by StrToFloatOrZero, so an empty or malformed field
//     gives 0;
//   - fields that are not there default to P3 = 0, P4 = 0, P5 = 1, P6 = 0;
//     a single field (no comma after the head part) also gives P2 := P1;
//   - P1 and P2 are multiplied by scale (also when scale is 1), P6 becomes
//     NormDeg(P6 + theta).
// The comma scan steps over double-byte characters whole, so a trail byte
// is never taken for a delimiter.
//
// Examples (scale 2, theta 90):
//   "^@BMabc,50"            -> "^@BMabc,100,100,0,0,1,90"
//   "^@BMabc,1,2,3,4,5,6,7" -> "^@BMabc,2,4,3,4,5,96"
//   "^@BMabc,,x"            -> "^@BMabc,0,0,0,0,1,90"
//   "^@BMabc"               -> nullopt
std::optional<std::string> RewriteParamText(std::string_view text, double scale, double theta);

// The two steps of RewriteParamText, for a caller that checks the numbers
// before it writes them: the head part's length and the six new numbers
// (nullopt when there is no comma), and the text made of text's head part
// and those numbers, cut to 255 bytes.
std::optional<TParamList> RewrittenParams(std::string_view text, double scale, double theta);
std::string ParamTextOf(std::string_view text, const TParamList& params);

}  // namespace cadxform
