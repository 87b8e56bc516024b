// Attribute lines: layer group, layer, colours, line type and width, text
// kind, "cc", font name, point colour, solid colour and z-flags.
//
// Each writer normalises its value, then appends its line to w.Out only
// when its PendingAttr flag is set or the value differs from the value
// written last (w.Last), stores the value and clears the flag. Mode 1
// converts compact numbering (FileColorNo, FileLineTypeNo); any other mode
// leaves the number as it is.
//   After ResetAttrState: PutGroup(w, 0) -> "lg0"; PutGroup(w, 0) -> nothing;
//   PutGroup(w, 11) -> "lgB" and re-arms the layer line.
//
// Each writer is the two halves below: NoteX changes the state alone and
// says whether the line is due; PutAttrLines writes due lines from the
// values written last. The emission notes all attributes of an entity and
// then writes their lines; priming a writer state notes them only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "format/out_buffer.h"
#include "format/write_state.h"

namespace cadxform {

// Mode-1 conversions. FileColorNo: <= 0 the drawing's own colour, 1..9 the
// same, >= 10 plus 91. FileLineTypeNo: <= 0 the drawing's own line type,
// 1..9 the same, 10..18 plus 1, >= 19 plus 12.
int32_t FileColorNo(const TWriteState& w, int32_t color);
int32_t FileLineTypeNo(const TWriteState& w, int32_t lineType);

void PutGroup(TWriteState& w, int32_t group);                      // "lg" + hex
void PutLayer(TWriteState& w, int32_t layer);                      // "ly" + hex
void PutColor(TWriteState& w, int32_t color, int32_t mode);        // "lc" + int
void PutLineType(TWriteState& w, int32_t lineType, int32_t mode);  // "lt" + int
void PutLineWidth(TWriteState& w, int32_t width);                  // "lw" + int
// "cn" + kind, or "cn0 w h s c" for the free size (kind 0).
void PutTextKind(TWriteState& w, int32_t kind, int32_t color, int32_t mode, double width,
                 double height, double spacing);
void PutCc(TWriteState& w, int32_t value);                         // "cc" + int
void PutFontName(TWriteState& w, std::string_view name);           // "cn" + '"' + "$" + name
void PutPointColor(TWriteState& w, int32_t color, int32_t mode);   // "pn" + int
void PutSolidColor(TWriteState& w, int32_t rgb);                   // "lc10 " + int
void PutZFlags(TOutBuffer& out, int32_t flags);                    // "z1".."z5", no state

// The attribute lines, one bit each, numbered in the order an entity's
// lines are written.
enum TAttrLine : uint32_t {
  alGroup = 1u << 0,
  alLayer = 1u << 1,
  alColor = 1u << 2,
  alSolidColor = 1u << 3,
  alPointColor = 1u << 4,
  alLineType = 1u << 5,
  alLineWidth = 1u << 6,
  alTextKind = 1u << 7,
  alCc = 1u << 8,
  alFontName = 1u << 9,
};
// A set of TAttrLine bits.
using TAttrLines = uint32_t;

// The state halves of the Put writers above (same arguments): each brings
// w.Last and w.PendingAttr to what its Put writer leaves and returns the
// bit of its line when the line is due, 0 when not. They write nothing.
// The emission notes every entity that changes its head: the writers of
// one number are inline.
TAttrLines NoteTextKind(TWriteState& w, int32_t kind, int32_t color, int32_t mode, double width,
                        double height, double spacing);
TAttrLines NoteFontName(TWriteState& w, std::string_view name);

namespace attr_detail {

// Largest 24-bit RGB value of a solid colour.
inline constexpr int32_t kMaxRgb = 16777215;
// Largest line width number the host accepts.
inline constexpr int32_t kMaxLineWidth = 30000;

// True when the attribute line of flag `index` must be written for value
// (pending, or different from the value written last).
inline bool NeedsLine(const TWriteState& w, int index, int32_t value, int32_t current) {
  return w.PendingAttr[static_cast<size_t>(index)] || value != current;
}

// Marks the attribute of flag `index` as written with the value now in its
// current-attribute variable.
inline void MarkWritten(TWriteState& w, int index) { w.PendingAttr[static_cast<size_t>(index)] = false; }

// The common part of the Note writers: when the line of flag `index` is
// due for value, value becomes the one written last (`last`), the flag is
// cleared and the result is `line`; else 0.
inline TAttrLines NoteValue(TWriteState& w, int index, int32_t value, int32_t& last, TAttrLine line) {
  if (!NeedsLine(w, index, value, last)) return 0;
  last = value;
  MarkWritten(w, index);
  return line;
}

}  // namespace attr_detail

inline TAttrLines NoteGroup(TWriteState& w, int32_t group) {
  const TAttrLines due = attr_detail::NoteValue(w, paGroup, group, w.Last.Group, alGroup);
  // A new group line must be followed by its layer line, whatever the layer.
  if (due != 0) w.PendingAttr[paLayer] = true;
  return due;
}

inline TAttrLines NoteLayer(TWriteState& w, int32_t layer) {
  return attr_detail::NoteValue(w, paLayer, layer, w.Last.Layer, alLayer);
}

inline TAttrLines NoteColor(TWriteState& w, int32_t color, int32_t mode) {
  if (mode == 1) color = FileColorNo(w, color);
  const TAttrLines due = attr_detail::NoteValue(w, paColor, color, w.Last.Color, alColor);
  // A solid after this line writes its "lc10 " line only when the colour is
  // not 10 or its RGB value differs from the one held.
  if (due != 0) w.PendingAttr[paSolidColor] = false;
  return due;
}

inline TAttrLines NoteLineType(TWriteState& w, int32_t lineType, int32_t mode) {
  if (mode == 1) lineType = FileLineTypeNo(w, lineType);
  return attr_detail::NoteValue(w, paLineType, lineType, w.Last.LineType, alLineType);
}

inline TAttrLines NoteLineWidth(TWriteState& w, int32_t width) {
  if (width == -1) width = w.First.LineWidth;  // -1: the drawing's own width
  if (width < 0 || width > attr_detail::kMaxLineWidth) width = 0;
  return attr_detail::NoteValue(w, paLineWidth, width, w.Last.LineWidth, alLineWidth);
}

inline TAttrLines NoteCc(TWriteState& w, int32_t value) {
  if (value < 0 || value > 8) value = 0;
  return attr_detail::NoteValue(w, paCc, value, w.Last.Cc, alCc);
}

inline TAttrLines NotePointColor(TWriteState& w, int32_t color, int32_t mode) {
  if (mode == 1) color = FileColorNo(w, color);
  return attr_detail::NoteValue(w, paPointColor, color, w.Last.PointColor, alPointColor);
}

inline TAttrLines NoteSolidColor(TWriteState& w, int32_t rgb) {
  if (rgb < 0 || rgb > attr_detail::kMaxRgb) rgb = 0;
  // Nothing to write only when colour 10 is in force with this RGB value.
  if (!w.PendingAttr[paColor] && w.Last.Color == 10 && !w.PendingAttr[paSolidColor] &&
      rgb == w.Last.SolidColor) {
    return 0;
  }
  w.Last.SolidColor = rgb;
  attr_detail::MarkWritten(w, paSolidColor);
  w.Last.Color = 10;
  attr_detail::MarkWritten(w, paColor);
  return alSolidColor;
}

// Appends the lines of `due` in bit order, each with its value in `last`
// (the values written last once the Note writers ran). Each attribute may
// be noted once between two calls: its line shows its last value.
void PutAttrLines(TOutBuffer& out, const TAttrs& last, TAttrLines due);

}  // namespace cadxform
