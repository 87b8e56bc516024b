#include "exchange/reader_attrs.h"

#include <cassert>
#include <utility>

#include "exchange/reader_values.h"
#include "exchange/store.h"

namespace rek::reading {

namespace {

// Token 0 from its byte at index `from` (0-based) to its end.
std::string_view KeywordTail(const TTokenLine& t, size_t from) {
  const std::string_view k = t.Token(0);
  return from < k.size() ? k.substr(from) : std::string_view();
}

// The byte at index `at` of token 0 alone; empty when token 0 is shorter.
std::string_view KeywordByte(const TTokenLine& t, size_t at) {
  const std::string_view k = t.Token(0);
  return at < k.size() ? k.substr(at, 1) : std::string_view();
}

// Layer group or layer: the third byte of token 0 read as one hex digit
// ("$" in front of it); missing, not a hex digit or outside 0..15 gives 0.
int32_t HexDigitOfKeyword(const TTokenLine& t) {
  const std::string_view digit = KeywordByte(t, 2);
  char text[2] = {'$', digit.empty() ? '\0' : digit[0]};
  const int32_t v = myfunc::StrToIntOrZero(std::string_view(text, 1 + digit.size()));
  return v < 0 || v > 15 ? 0 : v;
}

// Sets cur, and first too when this is the first line of its kind.
void SetAttr(TPendingIndex pending, int32_t value, int32_t& first, int32_t& cur) {
  bool& isFirst = Store.PendingAttr[static_cast<size_t>(pending)];
  if (isFirst) {
    first = value;
    isFirst = false;
  }
  cur = value;
}

}  // namespace

// --- Header lines ----------------------------------------------------------

void ReadFileName(const TTokenLine& t) { Store.FileName.assign(KeywordTail(t, 5)); }

void ReadHk(const TTokenLine& t) { Store.HkValue = Real(t, 1); }

void ReadHs(const TTokenLine& t) {
  for (int k = 0; k < 16; ++k) Store.HsValues[static_cast<size_t>(k)] = Real(t, k + 1);
}

void ReadHzs(const TTokenLine& t) {
  Store.SheetWidth = Real(t, 1);
  Store.SheetHeight = Real(t, 2);
}

void ReadTextKindTable(const TTokenLine& t, TTextKindField field) {
  for (int k = 1; k <= 10; ++k) {
    TTextKind& kind = Store.TextKinds[static_cast<size_t>(k)];
    switch (field) {
      case tkWidth: kind.Width = Real(t, k); break;
      case tkHeight: kind.Height = Real(t, k); break;
      case tkSpacing: kind.Spacing = Real(t, k); break;
      case tkColor: kind.Color = Int(t, k); break;
    }
  }
}

void ReadHn(const TTokenLine& t) {
  for (int k = 1; k <= 4; ++k) Store.HnValues[static_cast<size_t>(k)] = Real(t, k);
}

void ReadBz() { Store.BzSeen = true; }

void ReadGroupName(const TTokenLine& t) {
  assert(Store.CurGroup >= 0 && Store.CurGroup <= 15);
  Store.GroupNames[static_cast<size_t>(Store.CurGroup)].assign(KeywordTail(t, 3));
}

void ReadLayerName(const TTokenLine& t) {
  assert(Store.CurGroup >= 0 && Store.CurGroup <= 15 && Store.CurLayer >= 0 && Store.CurLayer <= 15);
  Store.LayerNames[static_cast<size_t>(Store.CurGroup * 16 + Store.CurLayer)].assign(KeywordTail(t, 3));
}

// --- Attribute lines -------------------------------------------------------

void ReadGroupLine(const TTokenLine& t) {
  SetAttr(paGroup, HexDigitOfKeyword(t), Store.FirstGroup, Store.CurGroup);
  if (t.Count() >= 2) Store.GroupNums[static_cast<size_t>(Store.CurGroup)] = Int(t, 1);
  Store.InPl = false;
}

void ReadLayerLine(const TTokenLine& t) {
  SetAttr(paLayer, HexDigitOfKeyword(t), Store.FirstLayer, Store.CurLayer);
  if (t.Count() >= 2) {
    Store.LayerNums[static_cast<size_t>(Store.CurGroup * 16 + Store.CurLayer)] = Int(t, 1);
  }
  Store.InPl = false;
}

void ReadColorLine(const TTokenLine& t) {
  const int32_t c = myfunc::StrToIntOrZero(KeywordTail(t, 2));
  SetAttr(paColor, c, Store.FirstColor, Store.CurColor);
  // Colour 10 is the solid colour given as a number of its own; any other
  // colour leaves the last one in force for later solids.
  if (c == 10 && t.Count() >= 2) Store.CurSolidColor = Int(t, 1);
  Store.InPl = false;
}

void ReadLineTypeLine(const TTokenLine& t) {
  SetAttr(paLineType, myfunc::StrToIntOrZero(KeywordTail(t, 2)), Store.FirstLineType, Store.CurLineType);
  Store.InPl = false;
}

void ReadLineWidthLine(const TTokenLine& t) {
  SetAttr(paLineWidth, myfunc::StrToIntOrZero(KeywordTail(t, 2)), Store.FirstLineWidth,
          Store.CurLineWidth);
  Store.InPl = false;
}

void ReadFontLine(const TTokenLine& t) {
  const std::string_view name = KeywordTail(t, 3);
  if (Store.FirstFontName.empty()) Store.FirstFontName.assign(name);
  Store.CurFontName.assign(name);
  Store.InPl = false;
}

void ReadTextKindLine(const TTokenLine& t) {
  TDrawingStore& s = Store;
  const int32_t k = myfunc::StrToIntOrZero(KeywordTail(t, 2));
  // Kind 0 is the free size, given by the four values that follow it.
  const bool freeSize = k == 0 && t.Count() >= 5;
  bool& isFirst = s.PendingAttr[paTextKind];
  if (isFirst) {
    s.FirstTextKind = k;
    if (freeSize) {
      s.FirstTextWidth = Real(t, 1);
      s.FirstTextHeight = Real(t, 2);
      s.FirstTextSpacing = Real(t, 3);
      s.FirstTextColor = Int(t, 4);
    }
    isFirst = false;
  }
  s.CurTextKind = k;
  if (freeSize) {
    s.CurTextWidth = Real(t, 1);
    s.CurTextHeight = Real(t, 2);
    s.CurTextSpacing = Real(t, 3);
    s.CurTextColor = Int(t, 4);
  }
  s.InPl = false;
}

void ReadCcLine(const TTokenLine& t) {
  const int32_t c = myfunc::StrToIntOrZero(KeywordByte(t, 2));
  Store.CurCc = c < 0 || c > 8 ? 0 : c;
  Store.InPl = false;
}

void ReadPointColorLine(const TTokenLine& t) {
  Store.CurPointColor = myfunc::StrToIntOrZero(KeywordTail(t, 2));
  Store.InPl = false;
}

void ReadZLine(char digit) {
  assert(digit >= '1' && digit <= '5');
  Store.CurZFlags |= 1 << (digit - '1');
}

// --- Block markers ---------------------------------------------------------

void StartPolyline() {
  ++Store.PlCount;
  Store.InPl = true;
  Store.InDim = false;
}

void StartDimension() {
  Store.InDim = true;
  Store.InPl = false;
}

void EndBlock() {
  Store.InPl = false;
  Store.InDim = false;
}

// --- Indicated points and pick numbers -------------------------------------

void ReadIndicatedPoint(const TTokenLine& t) {
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
  const int32_t m = myfunc::StrToIntOrZero(digits);
  if (m < 1 || m > 99) return;
  Store.HpPoints[static_cast<size_t>(m)] = THpPoint{true, Real(t, 1), Real(t, 2), kind};
  ++Store.HpCount;
}

void ReadPickNumber(const TTokenLine& t) {
  const std::string_view k = t.Token(0);
  assert(StartsWith(k, "hhp"));
  // The number runs from after "hhp" up to a suffix found after it.
  size_t len = k.size() - 3;
  for (const std::string_view suffix : {"ln", "ci", "ch"}) {
    const size_t p = FindOnBoundary(k, suffix);
    if (p != std::string_view::npos && p > 3) len = p - 3;
  }
  Store.CurHhpNo = myfunc::StrToIntOrZero(k.substr(3, len));
}

}  // namespace rek::reading
