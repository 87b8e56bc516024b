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
TAttrLines NoteGroup(TWriteState& w, int32_t group);
TAttrLines NoteLayer(TWriteState& w, int32_t layer);
TAttrLines NoteColor(TWriteState& w, int32_t color, int32_t mode);
TAttrLines NoteLineType(TWriteState& w, int32_t lineType, int32_t mode);
TAttrLines NoteLineWidth(TWriteState& w, int32_t width);
TAttrLines NoteTextKind(TWriteState& w, int32_t kind, int32_t color, int32_t mode, double width,
                        double height, double spacing);
TAttrLines NoteCc(TWriteState& w, int32_t value);
TAttrLines NoteFontName(TWriteState& w, std::string_view name);
TAttrLines NotePointColor(TWriteState& w, int32_t color, int32_t mode);
TAttrLines NoteSolidColor(TWriteState& w, int32_t rgb);

// Appends the lines of `due` in bit order, each with its value in `last`
// (the values written last once the Note writers ran). Each attribute may
// be noted once between two calls: its line shows its last value.
void PutAttrLines(TOutBuffer& out, const TAttrs& last, TAttrLines due);

}  // namespace cadxform
