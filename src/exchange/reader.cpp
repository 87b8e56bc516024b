// Recognising an exchange-file line by its first token and token count.
//
// The recognition tests are tried in a fixed order and the first that
// matches handles the line; a keyword whose token count fits none of its
// forms falls through to the later tests, and finally to the four-number
// line (any line of exactly four tokens). Apart from "file=", which may
// appear anywhere in token 0 and is tested first, every keyword test looks
// at the start of token 0, so the tests are grouped by the first byte of
// token 0; within a group they keep their order.
#include <cassert>
#include <string_view>

#include "exchange/reader.h"
#include "exchange/reader_attrs.h"
#include "exchange/reader_entities.h"
#include "exchange/tokenizer.h"

namespace rek {

namespace {

using namespace reading;

// The tokens of the line being parsed, reused from line to line so that
// parsing allocates nothing once the buffer fits the longest line.
TTokenLine& Tokens() {
  static TTokenLine tokens;
  return tokens;
}

// Header lines, indicated points and pick numbers.
bool DispatchH(const TTokenLine& t, std::string_view k, int n) {
  if (k == "hk" && n >= 2) {
    ReadHk(t);
    return true;
  }
  if (k == "hs" && n >= 17) {
    ReadHs(t);
    return true;
  }
  if (k == "hzs" && n >= 3) {
    ReadHzs(t);
    return true;
  }
  if (k == "hcw" && n >= 11) {
    ReadTextKindTable(t, tkWidth);
    return true;
  }
  if (k == "hch" && n >= 11) {
    ReadTextKindTable(t, tkHeight);
    return true;
  }
  if (k == "hcd" && n >= 11) {
    ReadTextKindTable(t, tkSpacing);
    return true;
  }
  if (k == "hcc" && n >= 11) {
    ReadTextKindTable(t, tkColor);
    return true;
  }
  if (k == "hn" && n >= 5) {
    ReadHn(t);
    return true;
  }
  if (StartsWith(k, "hp") && n >= 3) {
    ReadIndicatedPoint(t);
    return true;
  }
  if (StartsWith(k, "hhp")) {
    ReadPickNumber(t);
    return true;
  }
  return false;
}

// Layer names and the layer group, layer, colour, line type and width lines.
bool DispatchL(const TTokenLine& t, std::string_view k) {
  if (StartsWith(k, "lgn")) {
    ReadGroupName(t);
    return true;
  }
  if (StartsWith(k, "lyn")) {
    ReadLayerName(t);
    return true;
  }
  if (StartsWith(k, "lg")) {
    ReadGroupLine(t);
    return true;
  }
  if (StartsWith(k, "ly")) {
    ReadLayerLine(t);
    return true;
  }
  if (StartsWith(k, "lc")) {
    ReadColorLine(t);
    return true;
  }
  if (StartsWith(k, "lt")) {
    ReadLineTypeLine(t);
    return true;
  }
  if (StartsWith(k, "lw")) {
    ReadLineWidthLine(t);
    return true;
  }
  return false;
}

// Command number of a text keyword, -1 for any other token.
int32_t TextCommand(std::string_view k) {
  static constexpr std::string_view kKeywords[] = {"ch", "cv", "cs", "cr", "co",
                                                   "cp", "ct", "ck", "cz", "c2"};
  for (int32_t i = 0; i < 10; ++i) {
    if (k == kKeywords[i]) return i;
  }
  return -1;
}

// Font, text kind and "cc" lines, circles, arcs, texts and dimensions.
bool DispatchC(const TTokenLine& t, std::string_view k, int n) {
  if (StartsWith(k, "cn$")) {
    ReadFontLine(t);
    return true;
  }
  if (StartsWith(k, "cn")) {
    ReadTextKindLine(t);
    return true;
  }
  if (StartsWith(k, "cc")) {
    ReadCcLine(t);
    return true;
  }
  if (k == "ci" && n == 4) {
    AddCircle(t);
    return true;
  }
  if (k == "ci" && n >= 8) {
    AddArc(t);
    return true;
  }
  if (n >= 6) {
    if (const int32_t cmd = TextCommand(k); cmd >= 0) {
      AddTextLine(t, cmd);
      return true;
    }
  }
  return false;
}

// Point colour, polyline marker, points and marks.
bool DispatchP(const TTokenLine& t, std::string_view k, int n) {
  if (StartsWith(k, "pn")) {
    ReadPointColorLine(t);
    return true;
  }
  if (k == "pl") {
    StartPolyline();
    return true;
  }
  if (k == "pt" && n == 3) {
    AddPoint(t);
    return true;
  }
  if (k == "pt" && n >= 6) {
    AddMark(t);
    return true;
  }
  return false;
}

// Solids.
bool DispatchS(const TTokenLine& t, std::string_view k, int n) {
  if (k == "sl") {
    if (n == 5) {
      AddSolidOf2(t);
      return true;
    }
    if (n == 7) {
      AddSolidOf3(t);
      return true;
    }
    if (n >= 9) {
      AddSolidOf4(t);
      return true;
    }
    return false;
  }
  if (n < 9) return false;
  if (k == "sc") {
    AddSolidArc(t, ekSc);
    return true;
  }
  if (k == "se") {
    AddSolidArc(t, ekSe);
    return true;
  }
  if (k == "so") {
    AddSolidRing(t, ekSo);
    return true;
  }
  if (k == "sg") {
    AddSolidRing(t, ekSg);
    return true;
  }
  return false;
}

// Handles the line by its keyword; false when no keyword form fits.
bool DispatchKeyword(const TTokenLine& t, std::string_view k, int n) {
  assert(!k.empty());
  switch (k[0]) {
    case 'h': return DispatchH(t, k, n);
    case 'l': return DispatchL(t, k);
    case 'c': return DispatchC(t, k, n);
    case 'p': return DispatchP(t, k, n);
    case 's': return DispatchS(t, k, n);
    case 'b':
      if (k == "bz") {
        ReadBz();
        return true;
      }
      return false;
    case 'z':
      if (k.size() == 2 && k[1] >= '1' && k[1] <= '5') {
        ReadZLine(k[1]);
        return true;
      }
      return false;
    case 'm':
      if (k == "msg") {
        StartDimension();
        return true;
      }
      return false;
    case '#':
      if (k == "#") {
        EndBlock();
        return true;
      }
      return false;
    case 'B':
      if (k == "BL" && n >= 4) {
        AddBlock(t);
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace

void ParseLine(std::string_view line) {
  TTokenLine& t = Tokens();
  t.Split(line);
  if (t.Empty()) return;
  const std::string_view k = t.Token(0);
  const int n = t.Count();
  // A plain search first: the boundary-aware one is needed only when the
  // bytes occur at all, which is rare.
  if (k.find("file=") != std::string_view::npos && FindOnBoundary(k, "file=") != std::string_view::npos) {
    ReadFileName(t);
    return;
  }
  if (DispatchKeyword(t, k, n)) return;
  if (n == 4) ReadFourNumberLine(t);
}

}  // namespace rek
