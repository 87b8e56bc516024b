#include "format/attr_writers.h"

#include <cstring>
#include <string>

#include "format/byte_copy.h"
#include "numeric/number_forms.h"
#include "format/out_buffer.h"
#include "format/written_real.h"

namespace cadxform {

namespace {

// Queues keyword + number (integer form, or hex form when hex is set),
// built in place at the end of out.
template <size_t N>
void AddKeywordLine(TOutBuffer& out, const char (&keyword)[N], int32_t value, bool hex = false) {
  constexpr size_t n = N - 1;
  static_assert(n + kNumberFormMax <= kLineRoom);
  char* begin = out.BeginLine();
  std::memcpy(begin, keyword, n);
  char* end = hex ? AppendHexForm(begin + n, value) : AppendIntForm(begin + n, value);
  out.EndLine(begin, end);
}

// value + offset with 32-bit wrap-around: numbers from the file may be near
// the int32 limit, where a plain addition would overflow.
int32_t AddWrapping(int32_t value, int32_t offset) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(offset));
}

// Queues the text kind line of `last`: "cn" + kind, or for the free size
// (kind 0) "cn0 " width height spacing colour; built in place.
void AddTextKindLine(TOutBuffer& out, const TAttrs& last) {
  if (last.TextKind != 0) return AddKeywordLine(out, "cn", last.TextKind);
  static_assert(4 + 4 * (kNumberFormMax + 1) <= kLineRoom);
  char* const begin = out.BeginLine();
  std::memcpy(begin, "cn0 ", 4);
  char* p = AppendWrittenReal(out, begin + 4, last.TextWidth);
  *p++ = ' ';
  p = AppendWrittenReal(out, p, last.TextHeight);
  *p++ = ' ';
  p = AppendWrittenReal(out, p, last.TextSpacing);
  *p++ = ' ';
  p = AppendIntForm(p, last.TextColor);
  out.EndLine(begin, p);
}

// Queues the font line "cn\"$" + name, built in place. A plain line: the
// buffer never joins it with the next, even when the name ends in a double
// quote. The buffer keeps no more than kOutLineMax bytes of it anyway.
void AddFontNameLine(TOutBuffer& out, std::string_view name) {
  constexpr size_t kPrefix = 4;  // cn"$
  static_assert(kOutLineMax <= kLineRoom);
  char* const begin = out.BeginLine();
  std::memcpy(begin, "cn\"$", kPrefix);
  const size_t take = name.size() < kOutLineMax - kPrefix ? name.size() : kOutLineMax - kPrefix;
  CopyBytes(begin + kPrefix, name.data(), take);
  out.EndLine(begin, begin + kPrefix + take);
}

}  // namespace

int32_t FileColorNo(const TWriteState& w, int32_t color) {
  if (color <= 0) return w.First.Color;
  if (color <= 9) return color;
  return AddWrapping(color, 91);
}

int32_t FileLineTypeNo(const TWriteState& w, int32_t lineType) {
  if (lineType <= 0) return w.First.LineType;
  if (lineType <= 9) return lineType;
  if (lineType <= 18) return lineType + 1;
  return AddWrapping(lineType, 12);
}

TAttrLines NoteTextKind(TWriteState& w, int32_t kind, int32_t color, int32_t mode, double width,
                        double height, double spacing) {
  if (mode == 1) color = FileColorNo(w, color);
  if (kind < 0 || kind > 10) {
    // Unknown kind: the drawing's own text kind (and free size, for kind 0).
    kind = w.First.TextKind;
    if (kind == 0) {
      width = w.First.TextWidth;
      height = w.First.TextHeight;
      spacing = w.First.TextSpacing;
      color = w.First.TextColor;
    }
  }
  const bool sizeDiffers = width != w.Last.TextWidth || height != w.Last.TextHeight ||
                           spacing != w.Last.TextSpacing || color != w.Last.TextColor;
  if (!(w.PendingAttr[paTextKind] || kind != w.Last.TextKind || (kind == 0 && sizeDiffers))) {
    return 0;
  }
  if (kind == 0) {
    w.Last.TextWidth = width;
    w.Last.TextHeight = height;
    w.Last.TextSpacing = spacing;
    w.Last.TextColor = color;
  }
  w.Last.TextKind = kind;
  attr_detail::MarkWritten(w, paTextKind);
  return alTextKind;
}

TAttrLines NoteFontName(TWriteState& w, std::string_view name) {
  if (name.empty() || name == "<>") name = w.First.FontName;  // the drawing's own font
  if (!w.PendingAttr[paFontName] && SameBytes(name, w.Last.FontName)) return 0;
  w.Last.FontName.assign(name);
  attr_detail::MarkWritten(w, paFontName);
  return alFontName;
}

void PutAttrLines(TOutBuffer& out, const TAttrs& last, TAttrLines due) {
  if (due == 0) return;
  if (due & alGroup) AddKeywordLine(out, "lg", last.Group, true);
  if (due & alLayer) AddKeywordLine(out, "ly", last.Layer, true);
  if (due & alColor) AddKeywordLine(out, "lc", last.Color);
  if (due & alSolidColor) AddKeywordLine(out, "lc10 ", last.SolidColor);
  if (due & alPointColor) AddKeywordLine(out, "pn", last.PointColor);
  if (due & alLineType) AddKeywordLine(out, "lt", last.LineType);
  if (due & alLineWidth) AddKeywordLine(out, "lw", last.LineWidth);
  if (due & alTextKind) AddTextKindLine(out, last);
  if (due & alCc) AddKeywordLine(out, "cc", last.Cc);
  if (due & alFontName) AddFontNameLine(out, last.FontName);
}

void PutGroup(TWriteState& w, int32_t group) { PutAttrLines(w.Out, w.Last, NoteGroup(w, group)); }

void PutLayer(TWriteState& w, int32_t layer) { PutAttrLines(w.Out, w.Last, NoteLayer(w, layer)); }

void PutColor(TWriteState& w, int32_t color, int32_t mode) {
  PutAttrLines(w.Out, w.Last, NoteColor(w, color, mode));
}

void PutLineType(TWriteState& w, int32_t lineType, int32_t mode) {
  PutAttrLines(w.Out, w.Last, NoteLineType(w, lineType, mode));
}

void PutLineWidth(TWriteState& w, int32_t width) { PutAttrLines(w.Out, w.Last, NoteLineWidth(w, width)); }

void PutTextKind(TWriteState& w, int32_t kind, int32_t color, int32_t mode, double width, double height,
                 double spacing) {
  PutAttrLines(w.Out, w.Last, NoteTextKind(w, kind, color, mode, width, height, spacing));
}

void PutCc(TWriteState& w, int32_t value) { PutAttrLines(w.Out, w.Last, NoteCc(w, value)); }

void PutFontName(TWriteState& w, std::string_view name) {
  PutAttrLines(w.Out, w.Last, NoteFontName(w, name));
}

void PutPointColor(TWriteState& w, int32_t color, int32_t mode) {
  PutAttrLines(w.Out, w.Last, NotePointColor(w, color, mode));
}

void PutSolidColor(TWriteState& w, int32_t rgb) { PutAttrLines(w.Out, w.Last, NoteSolidColor(w, rgb)); }

void PutZFlags(TOutBuffer& out, int32_t flags) {
  if (flags & 1) out.AddLine("z1");
  if (flags & 2) out.AddLine("z2");
  if (flags & 4) out.AddLine("z3");
  // "z5" takes the place of "z4" when both are set.
  if ((flags & 8) && !(flags & 16)) out.AddLine("z4");
  if (flags & 16) out.AddLine("z5");
}

}  // namespace cadxform
