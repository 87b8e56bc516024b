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

#include "format/parse_line.h"
#include "format/reader_attrs.h"
#include "format/reader_entities.h"
#include "format/token_view.h"
#include "format/tokenizer.h"

namespace cadxform {

namespace {

using namespace reading;

// The recognition routines are inlined whole into both entries (ParseLine,
// ParseTokens): a call per routine and line costs more than the tests.

// Header lines, indicated points and pick numbers.
[[gnu::always_inline]] inline bool
DispatchH(TDrawing& d, TReadState& r, const TTokenView& t, std::string_view k, int n) {
  if (k == "hk" && n >= 2) {
    ReadHk(d, t);
    return true;
  }
  if (k == "hs" && n >= 17) {
    ReadHs(d, t);
    return true;
  }
  if (k == "hzs" && n >= 3) {
    ReadHzs(d, t);
    return true;
  }
  if (k == "hcw" && n >= 11) {
    ReadTextKindTable(d, t, tkWidth);
    return true;
  }
  if (k == "hch" && n >= 11) {
    ReadTextKindTable(d, t, tkHeight);
    return true;
  }
  if (k == "hcd" && n >= 11) {
    ReadTextKindTable(d, t, tkSpacing);
    return true;
  }
  if (k == "hcc" && n >= 11) {
    ReadTextKindTable(d, t, tkColor);
    return true;
  }
  if (k == "hn" && n >= 5) {
    ReadHn(d, t);
    return true;
  }
  if (StartsWith(k, "hp") && n >= 3) {
    ReadIndicatedPoint(d, t);
    return true;
  }
  if (StartsWith(k, "hhp")) {
    ReadPickNumber(r, t);
    return true;
  }
  return false;
}

// Layer names and the layer group, layer, colour, line type and width lines.
[[gnu::always_inline]] inline bool
DispatchL(TDrawing& d, TReadState& r, const TTokenView& t, std::string_view k) {
  if (StartsWith(k, "lgn")) {
    ReadGroupName(d, r, t);
    return true;
  }
  if (StartsWith(k, "lyn")) {
    ReadLayerName(d, r, t);
    return true;
  }
  if (StartsWith(k, "lg")) {
    ReadGroupLine(d, r, t);
    return true;
  }
  if (StartsWith(k, "ly")) {
    ReadLayerLine(d, r, t);
    return true;
  }
  if (StartsWith(k, "lc")) {
    ReadColorLine(d, r, t);
    return true;
  }
  if (StartsWith(k, "lt")) {
    ReadLineTypeLine(d, r, t);
    return true;
  }
  if (StartsWith(k, "lw")) {
    ReadLineWidthLine(d, r, t);
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
[[gnu::always_inline]] inline bool
DispatchC(TDrawing& d, TReadState& r, const TTokenView& t, std::string_view k, int n) {
  if (StartsWith(k, "cn$")) {
    ReadFontLine(d, r, t);
    return true;
  }
  if (StartsWith(k, "cn")) {
    ReadTextKindLine(d, r, t);
    return true;
  }
  if (StartsWith(k, "cc")) {
    ReadCcLine(r, t);
    return true;
  }
  if (k == "ci" && n == 4) {
    AddCircle(d, r, t);
    return true;
  }
  if (k == "ci" && n >= 8) {
    AddArc(d, r, t);
    return true;
  }
  if (n >= 6) {
    if (const int32_t cmd = TextCommand(k); cmd >= 0) {
      AddTextLine(d, r, t, cmd);
      return true;
    }
  }
  return false;
}

// Point colour, polyline marker, points and marks.
[[gnu::always_inline]] inline bool
DispatchP(TDrawing& d, TReadState& r, const TTokenView& t, std::string_view k, int n) {
  if (StartsWith(k, "pn")) {
    ReadPointColorLine(r, t);
    return true;
  }
  if (k == "pl") {
    StartPolyline(r);
    return true;
  }
  if (k == "pt" && n == 3) {
    AddPoint(d, r, t);
    return true;
  }
  if (k == "pt" && n >= 6) {
    AddMark(d, r, t);
    return true;
  }
  return false;
}

// Solids.
[[gnu::always_inline]] inline bool
DispatchS(TDrawing& d, TReadState& r, const TTokenView& t, std::string_view k, int n) {
  if (k == "sl") {
    if (n == 5) {
      AddSolidOf2(d, r, t);
      return true;
    }
    if (n == 7) {
      AddSolidOf3(d, r, t);
      return true;
    }
    if (n >= 9) {
      AddSolidOf4(d, r, t);
      return true;
    }
    return false;
  }
  if (n < 9) return false;
  if (k == "sc") {
    AddSolidArc(d, r, t, ekSc);
    return true;
  }
  if (k == "se") {
    AddSolidArc(d, r, t, ekSe);
    return true;
  }
  if (k == "so") {
    AddSolidRing(d, r, t, ekSo);
    return true;
  }
  if (k == "sg") {
    AddSolidRing(d, r, t, ekSg);
    return true;
  }
  return false;
}

// Handles the line by its keyword; false when no keyword form fits.
[[gnu::always_inline]] inline bool
DispatchKeyword(TDrawing& d, TReadState& r, const TTokenView& t, std::string_view k, int n) {
  assert(!k.empty());
  switch (k[0]) {
    case 'h': return DispatchH(d, r, t, k, n);
    case 'l': return DispatchL(d, r, t, k);
    case 'c': return DispatchC(d, r, t, k, n);
    case 'p': return DispatchP(d, r, t, k, n);
    case 's': return DispatchS(d, r, t, k, n);
    case 'b':
      if (k == "bz") {
        ReadBz(d);
        return true;
      }
      return false;
    case 'z':
      if (k.size() == 2 && k[1] >= '1' && k[1] <= '5') {
        ReadZLine(r, k[1]);
        return true;
      }
      return false;
    case 'm':
      if (k == "msg") {
        StartDimension(r);
        return true;
      }
      return false;
    case '#':
      if (k == "#") {
        EndBlock(r);
        return true;
      }
      return false;
    case 'B':
      if (k == "BL" && n >= 4) {
        AddBlock(d, r, t);
        return true;
      }
      return false;
    default:
      return false;
  }
}

// The one dispatcher both entries below run: inlined into each, so that
// reading on one thread pays no call per line for the shared body.
[[gnu::always_inline]] inline void
Dispatch(TDrawing& d, TReadState& r, const TTokenView& t) {
  if (t.Empty()) return;
  const std::string_view k = t.Token(0);
  const int n = t.Count();
  // "file=" on a character boundary holds an equals sign that ended
  // splitting within token 0, so such a line has one token: other lines
  // skip the search. A plain search comes next: the boundary-aware one is
  // needed only when the bytes occur at all, which is rare.
  if (n == 1 && k.find("file=") != std::string_view::npos &&
      FindOnBoundary(k, "file=") != std::string_view::npos) {
    ReadFileName(d, t);
    return;
  }
  if (DispatchKeyword(d, r, t, k, n)) return;
  if (n == 4) ReadFourNumberLine(d, r, t);
}

}  // namespace

void ParseTokens(TDrawing& d, TReadState& r, const TTokenView& t) { Dispatch(d, r, t); }

void ParseLine(TDrawing& d, TReadState& r, std::string_view line) {
  r.Tokens.Split(line);
  Dispatch(d, r, r.Tokens.View());
}

}  // namespace cadxform
