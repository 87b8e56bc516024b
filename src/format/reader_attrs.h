// Handlers of the exchange-file lines that change the reader's state rather
// than add an entity: header values, attribute lines, block markers,
// indicated points and pick numbers.
//
// Each handler takes the tokens of a line that the dispatcher (ParseLine) has
// already recognised by its first token and token count, and applies it to
// the drawing d and the reader's state r. They never fail: missing or
// malformed numbers read as 0.
#pragma once

#include <cstdint>

#include "cadxform/drawing.h"
#include "format/read_state.h"
#include "format/token_view.h"

namespace cadxform::reading {

// --- Header lines ---------------------------------------------------------

// "file=<path>": FileName := everything after "file=" (blanks included,
// since the equals sign ends splitting).
void ReadFileName(TDrawing& d, const TTokenView& t);
// "hk v": HkValue := v.
void ReadHk(TDrawing& d, const TTokenView& t);
// "hs v0 .. v15": HsValues.
void ReadHs(TDrawing& d, const TTokenView& t);
// "hzs w h": SheetWidth, SheetHeight.
void ReadHzs(TDrawing& d, const TTokenView& t);
// "hcw"/"hch"/"hcd"/"hcc" with ten values: the widths, heights, spacings or
// colours of text kinds 1..10.
enum TTextKindField { tkWidth, tkHeight, tkSpacing, tkColor };
void ReadTextKindTable(TDrawing& d, const TTokenView& t, TTextKindField field);
// "hn a b c d": HnValues 1..4.
void ReadHn(TDrawing& d, const TTokenView& t);
// "bz": BzSeen.
void ReadBz(TDrawing& d);
// "lgn<name>": name of the current layer group.
void ReadGroupName(TDrawing& d, const TReadState& r, const TTokenView& t);
// "lyn<name>": name of the current layer.
void ReadLayerName(TDrawing& d, const TReadState& r, const TTokenView& t);

// --- Attribute lines ------------------------------------------------------
// Each sets one current attribute and, on the first line of its kind in the
// file, the first-seen value too; each ends a polyline block.

// "lg<h> [num]": layer group = one hex digit h (0 when missing or not a hex
// digit).  "lg3" -> 3, "lgA" -> 10, "lgG" -> 0, "lg" -> 0.
void ReadGroupLine(TDrawing& d, TReadState& r, const TTokenView& t);
// "ly<h> [num]": layer, as the layer group.
void ReadLayerLine(TDrawing& d, TReadState& r, const TTokenView& t);
// "lc<c> [rgb]": colour c; "lc10 255" also sets the solid colour to 255.
void ReadColorLine(TDrawing& d, TReadState& r, const TTokenView& t);
// "lt<n>": line type.
void ReadLineTypeLine(TDrawing& d, TReadState& r, const TTokenView& t);
// "lw<n>": line width.
void ReadLineWidthLine(TDrawing& d, TReadState& r, const TTokenView& t);
// "cn$<name>": font name.
void ReadFontLine(TDrawing& d, TReadState& r, const TTokenView& t);
// "cn<k> [w h s c]": text kind; kind 0 with four values sets the free size.
void ReadTextKindLine(TDrawing& d, TReadState& r, const TTokenView& t);
// "cc<d>": the one digit d (0..8, anything else 0).
void ReadCcLine(TReadState& r, const TTokenView& t);
// "pn<c>": point colour.
void ReadPointColorLine(TReadState& r, const TTokenView& t);
// "z1".."z5": adds bit 1, 2, 4, 8 or 16 to the z-flags of the next entity.
// digit is the second byte of the keyword, '1'..'5'.
void ReadZLine(TReadState& r, char digit);

// --- Block markers --------------------------------------------------------

// "pl": a new polyline block (numbered by r.PlCount).
void StartPolyline(TReadState& r);
// "msg": a dimension block.
void StartDimension(TReadState& r);
// "#": back to plain.
void EndBlock(TReadState& r);

// --- Indicated points and pick numbers -------------------------------------

// "hp<m>[suffix] x y": indicated point m (1..99) of kind 0 (no suffix),
// 1 "-", 2 "ln", 3 "ci", 4 "ch". Other numbers change nothing.
//   "hp5ci 1 2" -> d.HpPoints[5] = (1, 2) kind 3
void ReadIndicatedPoint(TDrawing& d, const TTokenView& t);
// "hhp<m>[ln|ci|ch]": r.CurHhpNo := m.  "hhp12ln" -> 12, "hhp" -> 0.
void ReadPickNumber(TReadState& r, const TTokenView& t);

}  // namespace cadxform::reading
