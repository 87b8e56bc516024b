#include "format/reader_attrs.h"

#include <cassert>
#include <utility>

#include "format/reader_values.h"
#include "format/tokenizer.h"

namespace cadxform::reading {

namespace {

// Token 0 from its byte at index `from` (0-based) to its end.
std::string_view KeywordTail(const TTokenView& t, size_t from) {
  const std::string_view k = t.Token(0);
  return from < k.size() ? k.substr(from) : std::string_view();
}

// The byte at index `at` of token 0 alone; empty when token 0 is shorter.
std::string_view KeywordByte(const TTokenView& t, size_t at) {
  const std::string_view k = t.Token(0);
  return at < k.size() ? k.substr(at, 1) : std::string_view();
}

// Layer group or layer: the third byte of token 0 read as one hex digit
// ("$" in front of it); missing, not a hex digit or outside 0..15 gives 0.
int32_t HexDigitOfKeyword(const TTokenView& t) {
  const std::string_view digit = KeywordByte(t, 2);
  char text[2] = {'$', digit.empty() ? '\0' : digit[0]};
  const int32_t v = StrToIntOrZero(std::string_view(text, 1 + digit.size()));
  return v < 0 || v > 15 ? 0 : v;
}

// Sets cur, and first too when this is the first line of its kind.
void SetAttr(TReadState& r, TPendingIndex pending, int32_t value, int32_t& first, int32_t& cur) {
  bool& isFirst = r.FirstUnseen[static_cast<size_t>(pending)];
  if (isFirst) {
    first = value;
    isFirst = false;
  }
  cur = value;
}

}  // namespace

// --- Header lines ----------------------------------------------------------

void ReadFileName(TDrawing& d, const TTokenView& t) { d.FileName.assign(KeywordTail(t, 5)); }

void ReadHk(TDrawing& d, const TTokenView& t) { d.HkValue = Real(t, 1); }

void ReadHs(TDrawing& d, const TTokenView& t) {
  for (int k = 0; k < 16; ++k) d.HsValues[static_cast<size_t>(k)] = Real(t, k + 1);
}

void ReadHzs(TDrawing& d, const TTokenView& t) {
  d.SheetWidth = Real(t, 1);
  d.SheetHeight = Real(t, 2);
}

void ReadTextKindTable(TDrawing& d, const TTokenView& t, TTextKindField field) {
  for (int k = 1; k <= 10; ++k) {
    TTextKind& kind = d.TextKinds[static_cast<size_t>(k)];
    switch (field) {
      case tkWidth: kind.Width = Real(t, k); break;
      case tkHeight: kind.Height = Real(t, k); break;
      case tkSpacing: kind.Spacing = Real(t, k); break;
      case tkColor: kind.Color = Int(t, k); break;
    }
  }
}

void ReadHn(TDrawing& d, const TTokenView& t) {
  for (int k = 1; k <= 4; ++k) d.HnValues[static_cast<size_t>(k)] = Real(t, k);
}

void ReadBz(TDrawing& d) { d.BzSeen = true; }

void ReadGroupName(TDrawing& d, const TReadState& r, const TTokenView& t) {
  assert(r.Cur.Group >= 0 && r.Cur.Group <= 15);
  d.GroupNames[static_cast<size_t>(r.Cur.Group)].assign(KeywordTail(t, 3));
}

void ReadLayerName(TDrawing& d, const TReadState& r, const TTokenView& t) {
  assert(r.Cur.Group >= 0 && r.Cur.Group <= 15 && r.Cur.Layer >= 0 && r.Cur.Layer <= 15);
  d.LayerNames[static_cast<size_t>(r.Cur.Group * 16 + r.Cur.Layer)].assign(KeywordTail(t, 3));
}

// --- Attribute lines -------------------------------------------------------

void ReadGroupLine(TDrawing& d, TReadState& r, const TTokenView& t) {
  SetAttr(r, paGroup, HexDigitOfKeyword(t), d.First.Group, r.Cur.Group);
  if (t.Count() >= 2) d.GroupNums[static_cast<size_t>(r.Cur.Group)] = Int(t, 1);
  r.InPl = false;
}

void ReadLayerLine(TDrawing& d, TReadState& r, const TTokenView& t) {
  SetAttr(r, paLayer, HexDigitOfKeyword(t), d.First.Layer, r.Cur.Layer);
  if (t.Count() >= 2) {
    d.LayerNums[static_cast<size_t>(r.Cur.Group * 16 + r.Cur.Layer)] = Int(t, 1);
  }
  r.InPl = false;
}

void ReadColorLine(TDrawing& d, TReadState& r, const TTokenView& t) {
  const int32_t c = StrToIntOrZero(KeywordTail(t, 2));
  SetAttr(r, paColor, c, d.First.Color, r.Cur.Color);
  // Colour 10 is the solid colour given as a number of its own; any other
  // colour leaves the last one in force for later solids.
  if (c == 10 && t.Count() >= 2) r.Cur.SolidColor = Int(t, 1);
  r.InPl = false;
}

void ReadLineTypeLine(TDrawing& d, TReadState& r, const TTokenView& t) {
  SetAttr(r, paLineType, StrToIntOrZero(KeywordTail(t, 2)), d.First.LineType, r.Cur.LineType);
  r.InPl = false;
}

void ReadLineWidthLine(TDrawing& d, TReadState& r, const TTokenView& t) {
  SetAttr(r, paLineWidth, StrToIntOrZero(KeywordTail(t, 2)), d.First.LineWidth,
          r.Cur.LineWidth);
  r.InPl = false;
}

void ReadFontLine(TDrawing& d, TReadState& r, const TTokenView& t) {
  const std::string_view name = KeywordTail(t, 3);
  if (d.First.FontName.empty()) d.First.FontName.assign(name);
  r.Cur.FontName.assign(name);
  r.InPl = false;
}

void ReadTextKindLine(TDrawing& d, TReadState& r, const TTokenView& t) {
  const int32_t k = StrToIntOrZero(KeywordTail(t, 2));
  // Kind 0 is the free size, given by the four values that follow it.
  const bool freeSize = k == 0 && t.Count() >= 5;
  bool& isFirst = r.FirstUnseen[paTextKind];
  if (isFirst) {
    d.First.TextKind = k;
    if (freeSize) {
      d.First.TextWidth = Real(t, 1);
      d.First.TextHeight = Real(t, 2);
      d.First.TextSpacing = Real(t, 3);
      d.First.TextColor = Int(t, 4);
    }
    isFirst = false;
  }
  r.Cur.TextKind = k;
  if (freeSize) {
    r.Cur.TextWidth = Real(t, 1);
    r.Cur.TextHeight = Real(t, 2);
    r.Cur.TextSpacing = Real(t, 3);
    r.Cur.TextColor = Int(t, 4);
  }
  r.InPl = false;
}

void ReadCcLine(TReadState& r, const TTokenView& t) {
  const int32_t c = StrToIntOrZero(KeywordByte(t, 2));
  r.Cur.Cc = c < 0 || c > 8 ? 0 : c;
  r.InPl = false;
}

void ReadPointColorLine(TReadState& r, const TTokenView& t) {
  r.Cur.PointColor = StrToIntOrZero(KeywordTail(t, 2));
  r.InPl = false;
}

void ReadZLine(TReadState& r, char digit) {
  assert(digit >= '1' && digit <= '5');
  r.CurZFlags |= 1 << (digit - '1');
}

// --- Block markers ---------------------------------------------------------

void StartPolyline(TReadState& r) {
  ++r.PlCount;
  r.InPl = true;
  r.InDim = false;
}

void StartDimension(TReadState& r) {
  r.InDim = true;
  r.InPl = false;
}

void EndBlock(TReadState& r) {
  r.InPl = false;
  r.InDim = false;
}

// --- Indicated points and pick numbers -------------------------------------

void ReadIndicatedPoint(TDrawing& d, const TTokenView& t) {
  const std::string_view k = t.Token(0);
  std::string_view digits = KeywordTail(t, 2);
  int32_t kind = 0;
  // Each suffix found cuts the number before it; a later one in this list
  // overrides an earlier one.
  static constexpr std::pair<std::string_view, int32_t> kSuffixes[] = {
      {"-", 1}, {"ln", 2}, {"ci", 3}, {"ch", 4}};
  for (const auto& [suffix, code] : kSuffixes) {
    const size_t p = FindOnBoundary(k, suffix);
    if (p == std::string_view::npos) continue;
    assert(p >= 2);  // token 0 starts with "hp", which holds no suffix
    digits = k.substr(2, p - 2);
    kind = code;
  }
  const int32_t m = StrToIntOrZero(digits);
  if (m < 1 || m > 99) return;
  d.HpPoints[static_cast<size_t>(m)] = THpPoint{true, Real(t, 1), Real(t, 2), kind};
  ++d.HpCount;
}

void ReadPickNumber(TReadState& r, const TTokenView& t) {
  const std::string_view k = t.Token(0);
  assert(StartsWith(k, "hhp"));
  // The number runs from after "hhp" up to a suffix found after it.
  size_t len = k.size() - 3;
  for (const std::string_view suffix : {"ln", "ci", "ch"}) {
    const size_t p = FindOnBoundary(k, suffix);
    if (p != std::string_view::npos && p > 3) len = p - 3;
  }
  r.CurHhpNo = StrToIntOrZero(k.substr(3, len));
}

}  // namespace cadxform::reading
