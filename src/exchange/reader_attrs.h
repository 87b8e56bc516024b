// Handlers of the exchange-file lines that change the reader's state rather
// than add an entity: header values, attribute lines, block markers,
// indicated points and pick numbers.
//
// Each handler takes the tokens of a line that the dispatcher (ParseLine) has
// already recognised by its first token and token count, and applies it to
// the drawing d and the reader's state r. They never fail: missing or
// malformed numbers read as 0.
//
// The tokens come as a TTokenLine or a TBatchLine (see reader_values.h);
// every handler is built for both.
#pragma once

#include <cstdint>

#include "cadxform/drawing.h"
#include "exchange/read_state.h"
#include "exchange/reader_batch.h"
#include "exchange/tokenizer.h"

namespace cadxform::reading {

// --- Header lines ---------------------------------------------------------

// "file=<path>": FileName := everything after "file=" (blanks included,
// since the equals sign ends splitting).
template <class TLine>
void ReadFileName(TDrawing& d, const TLine& t);
// "hk v": HkValue := v.
template <class TLine>
void ReadHk(TDrawing& d, const TLine& t);
// "hs v0 .. v15": HsValues.
template <class TLine>
void ReadHs(TDrawing& d, const TLine& t);
// "hzs w h": SheetWidth, SheetHeight.
template <class TLine>
void ReadHzs(TDrawing& d, const TLine& t);
// "hcw"/"hch"/"hcd"/"hcc" with ten values: the widths, heights, spacings or
// colours of text kinds 1..10.
enum TTextKindField { tkWidth, tkHeight, tkSpacing, tkColor };
template <class TLine>
void ReadTextKindTable(TDrawing& d, const TLine& t, TTextKindField field);
// "hn a b c d": HnValues 1..4.
template <class TLine>
void ReadHn(TDrawing& d, const TLine& t);
// "bz": BzSeen.
void ReadBz(TDrawing& d);
// "lgn<name>": name of the current layer group.
template <class TLine>
void ReadGroupName(TDrawing& d, const TReadState& r, const TLine& t);
// "lyn<name>": name of the current layer.
template <class TLine>
void ReadLayerName(TDrawing& d, const TReadState& r, const TLine& t);

// --- Attribute lines ------------------------------------------------------
// Each sets one current attribute and, on the first line of its kind in the
// file, the first-seen value too; each ends a polyline block.

// "lg<h> [num]": layer group = one hex digit h (0 when missing or not a hex
// digit).  "lg3" -> 3, "lgA" -> 10, "lgG" -> 0, "lg" -> 0.
template <class TLine>
void ReadGroupLine(TDrawing& d, TReadState& r, const TLine& t);
// "ly<h> [num]": layer, as the layer group.
template <class TLine>
void ReadLayerLine(TDrawing& d, TReadState& r, const TLine& t);
// "lc<c> [rgb]": colour c; "lc10 255" also sets the solid colour to 255.
template <class TLine>
void ReadColorLine(TDrawing& d, TReadState& r, const TLine& t);
// "lt<n>": line type.
template <class TLine>
void ReadLineTypeLine(TDrawing& d, TReadState& r, const TLine& t);
// "lw<n>": line width.
template <class TLine>
void ReadLineWidthLine(TDrawing& d, TReadState& r, const TLine& t);
// "cn$<name>": font name.
template <class TLine>
void ReadFontLine(TDrawing& d, TReadState& r, const TLine& t);
// "cn<k> [w h s c]": text kind; kind 0 with four values sets the free size.
template <class TLine>
void ReadTextKindLine(TDrawing& d, TReadState& r, const TLine& t);
// "cc<d>": the one digit d (0..8, anything else 0).
template <class TLine>
void ReadCcLine(TReadState& r, const TLine& t);
// "pn<c>": point colour.
template <class TLine>
void ReadPointColorLine(TReadState& r, const TLine& t);
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
template <class TLine>
void ReadIndicatedPoint(TDrawing& d, const TLine& t);
// "hhp<m>[ln|ci|ch]": r.CurHhpNo := m.  "hhp12ln" -> 12, "hhp" -> 0.
template <class TLine>
void ReadPickNumber(TReadState& r, const TLine& t);

}  // namespace cadxform::reading
