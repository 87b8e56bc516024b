#include "exchange/attr_writers.h"

#include <cstring>
#include <string>

#include "exchange/number_forms.h"
#include "exchange/out_buffer.h"
#include "exchange/store.h"

namespace rek {

namespace {

// Largest 24-bit RGB value of a solid colour.
constexpr int32_t kMaxRgb = 16777215;
// Largest line width number the host accepts.
constexpr int32_t kMaxLineWidth = 30000;

// Queues keyword + number (integer form, or hex form when hex is set).
void AddKeywordLine(const char* keyword, int32_t value, bool hex = false) {
  char buf[8 + kNumberFormMax];
  const size_t n = std::strlen(keyword);
  std::memcpy(buf, keyword, n);
  char* end = hex ? AppendHexForm(buf + n, value) : AppendIntForm(buf + n, value);
  AddOutLine(std::string_view(buf, static_cast<size_t>(end - buf)));
}

// True when the attribute line of flag `index` must be written for value
// (pending, or different from the value written last).
bool NeedsLine(int index, int32_t value, int32_t current) {
  return Store.PendingAttr[static_cast<size_t>(index)] || value != current;
}

// Marks the attribute of flag `index` as written with the value now in its
// current-attribute variable.
void MarkWritten(int index) { Store.PendingAttr[static_cast<size_t>(index)] = false; }

// value + offset with 32-bit wrap-around: numbers from the file may be near
// the int32 limit, where a plain addition would overflow.
int32_t AddWrapping(int32_t value, int32_t offset) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(offset));
}

}  // namespace

int32_t FileColorNo(int32_t color) {
  if (color <= 0) return Store.FirstColor;
  if (color <= 9) return color;
  return AddWrapping(color, 91);
}

int32_t FileLineTypeNo(int32_t lineType) {
  if (lineType <= 0) return Store.FirstLineType;
  if (lineType <= 9) return lineType;
  if (lineType <= 18) return lineType + 1;
  return AddWrapping(lineType, 12);
}

void PutGroup(int32_t group) {
  if (!NeedsLine(paGroup, group, Store.CurGroup)) return;
  AddKeywordLine("lg", group, true);
  Store.CurGroup = group;
  MarkWritten(paGroup);
  // A new group line must be followed by its layer line, whatever the layer.
  Store.PendingAttr[paLayer] = true;
}

void PutLayer(int32_t layer) {
  if (!NeedsLine(paLayer, layer, Store.CurLayer)) return;
  AddKeywordLine("ly", layer, true);
  Store.CurLayer = layer;
  MarkWritten(paLayer);
}

void PutColor(int32_t color, int32_t mode) {
  if (mode == 1) color = FileColorNo(color);
  if (!NeedsLine(paColor, color, Store.CurColor)) return;
  AddKeywordLine("lc", color);
  Store.CurColor = color;
  MarkWritten(paColor);
  // A solid after this line writes its "lc10 " line only when the colour is
  // not 10 or its RGB value differs from the one held.
  Store.PendingAttr[paSolidColor] = false;
}

void PutLineType(int32_t lineType, int32_t mode) {
  if (mode == 1) lineType = FileLineTypeNo(lineType);
  if (!NeedsLine(paLineType, lineType, Store.CurLineType)) return;
  AddKeywordLine("lt", lineType);
  Store.CurLineType = lineType;
  MarkWritten(paLineType);
}

void PutLineWidth(int32_t width) {
  if (width == -1) width = Store.FirstLineWidth;  // -1: the drawing's own width
  if (width < 0 || width > kMaxLineWidth) width = 0;
  if (!NeedsLine(paLineWidth, width, Store.CurLineWidth)) return;
  AddKeywordLine("lw", width);
  Store.CurLineWidth = width;
  MarkWritten(paLineWidth);
}

void PutTextKind(int32_t kind, int32_t color, int32_t mode, double width, double height,
                 double spacing) {
  TDrawingStore& s = Store;
  if (mode == 1) color = FileColorNo(color);
  if (kind < 0 || kind > 10) {
    // Unknown kind: the drawing's own text kind (and free size, for kind 0).
    kind = s.FirstTextKind;
    if (kind == 0) {
      width = s.FirstTextWidth;
      height = s.FirstTextHeight;
      spacing = s.FirstTextSpacing;
      color = s.FirstTextColor;
    }
  }
  const bool sizeDiffers = width != s.CurTextWidth || height != s.CurTextHeight ||
                           spacing != s.CurTextSpacing || color != s.CurTextColor;
  if (!(s.PendingAttr[paTextKind] || kind != s.CurTextKind || (kind == 0 && sizeDiffers))) {
    return;
  }
  if (kind != 0) {
    AddKeywordLine("cn", kind);
  } else {
    // "cn0 " width height spacing colour
    char buf[8 + 4 * (kNumberFormMax + 1)];
    char* p = buf;
    std::memcpy(p, "cn0 ", 4);
    p = AppendRealForm(p + 4, width);
    *p++ = ' ';
    p = AppendRealForm(p, height);
    *p++ = ' ';
    p = AppendRealForm(p, spacing);
    *p++ = ' ';
    p = AppendIntForm(p, color);
    AddOutLine(std::string_view(buf, static_cast<size_t>(p - buf)));
    s.CurTextWidth = width;
    s.CurTextHeight = height;
    s.CurTextSpacing = spacing;
    s.CurTextColor = color;
  }
  s.CurTextKind = kind;
  MarkWritten(paTextKind);
}

void PutCc(int32_t value) {
  if (value < 0 || value > 8) value = 0;
  if (!NeedsLine(paCc, value, Store.CurCc)) return;
  AddKeywordLine("cc", value);
  Store.CurCc = value;
  MarkWritten(paCc);
}

void PutFontName(std::string_view name) {
  TDrawingStore& s = Store;
  if (name.empty() || name == "<>") name = s.FirstFontName;  // the drawing's own font
  if (!s.PendingAttr[paFontName] && name == s.CurFontName) return;
  // A plain line: the buffer never joins it with the next, even when the
  // name ends in a double quote.
  std::string line = "cn\"$";
  line.append(name);
  AddOutLine(line);
  s.CurFontName.assign(name);
  MarkWritten(paFontName);
}

void PutPointColor(int32_t color, int32_t mode) {
  if (mode == 1) color = FileColorNo(color);
  if (!NeedsLine(paPointColor, color, Store.CurPointColor)) return;
  AddKeywordLine("pn", color);
  Store.CurPointColor = color;
  MarkWritten(paPointColor);
}

void PutSolidColor(int32_t rgb) {
  TDrawingStore& s = Store;
  if (rgb < 0 || rgb > kMaxRgb) rgb = 0;
  // Nothing to write only when colour 10 is in force with this RGB value.
  if (!s.PendingAttr[paColor] && s.CurColor == 10 && !s.PendingAttr[paSolidColor] &&
      rgb == s.CurSolidColor) {
    return;
  }
  AddKeywordLine("lc10 ", rgb);
  s.CurSolidColor = rgb;
  MarkWritten(paSolidColor);
  s.CurColor = 10;
  MarkWritten(paColor);
}

void PutZFlags(int32_t flags) {
  if (flags & 1) AddOutLine("z1");
  if (flags & 2) AddOutLine("z2");
  if (flags & 4) AddOutLine("z3");
  // "z5" takes the place of "z4" when both are set.
  if ((flags & 8) && !(flags & 16)) AddOutLine("z4");
  if (flags & 16) AddOutLine("z5");
}

}  // namespace rek
