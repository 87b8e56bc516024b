// The emission: per record kind, the attribute values its entities put and
// the entity line they write, written once below; EmitEntry writes an
// entity from them, PrimeEntry only notes its attribute values.
#include "format/emit_range.h"

#include <bit>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "cadxform/record_kinds.h"
#include "format/attr_writers.h"
#include "format/entity_writers.h"
#include "numeric/number_forms.h"
#include "format/out_buffer.h"

namespace cadxform {

namespace {

// Every attribute writer is called without number conversion.
constexpr int32_t kNoConversion = 0;

// What the entities noted before in one range leave for the next: the
// z-flags of the head the last entity noted its attributes from, and the
// text (or dimension text) whose style was noted last, with its colour.
struct TRangeNotes {
  int32_t ZFlags = 0;
  const TTextEnt* StyledText = nullptr;
  int32_t StyledTextColor = 0;
};

// What every per-kind routine works with: the drawing it reads, the write
// state it changes, the overrides it applies and what the range noted so
// far.
struct TEmission {
  const TDrawing& D;
  TWriteState& W;
  const TEmitOverrides& O;
  TRangeNotes& Notes;
};

// The per-kind routines below are overloads on TKind (record_kinds.h), so
// two kinds stored alike ("sc" and "se", "so" and "sg") differ.

// The head of a record.
const TEntHead& HeadOf(const TEmission& em, THeadRef head) { return em.D.Heads[head]; }

// Group and layer are overridden only by a value inside 0..15.
int32_t PickGroupOrLayer(int32_t forced, int32_t own) {
  return (forced >= 0 && forced <= 15) ? forced : own;
}

// The other overrides apply unless they are exactly -1.
int32_t Pick(int32_t forced, int32_t own) { return forced != -1 ? forced : own; }

// The attribute values kinds share. Each notes its values in the write state
// (in the order their lines are written) and returns the lines now due.

// Layer group and layer: every kind, from its own head, whose z-flags its
// entity line then takes (PutEntityLine).
TAttrLines NoteGroupAndLayer(const TEmission& em, const TEntHead& head) {
  em.Notes.ZFlags = head.ZFlags;
  TAttrLines due = NoteGroup(em.W, PickGroupOrLayer(em.O.GroupOverride, head.Group));
  due |= NoteLayer(em.W, PickGroupOrLayer(em.O.LayerOverride, head.Layer));
  return due;
}

// Line width of lines, circles, arcs, points, marks, dimension lines,
// two-point solids and "se" solids.
TAttrLines NoteWidth(const TEmission& em, const TEntHead& head) {
  return NoteLineWidth(em.W, Pick(em.O.LineWidthOverride, head.LineWidth));
}

// Colour, line type and width of lines, circles, arcs and dimension lines.
TAttrLines NoteLineStyle(const TEmission& em, const TEntHead& head) {
  TAttrLines due = NoteColor(em.W, Pick(em.O.ColorOverride, head.Color), kNoConversion);
  due |= NoteLineType(em.W, Pick(em.O.LineTypeOverride, head.LineType), kNoConversion);
  due |= NoteWidth(em, head);
  return due;
}

// True when a and b hold the same bits.
bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

// True when text t notes the text style that text s of colour sColor
// noted: all it depends on is the same, reals to the bit and the font name
// where its bytes are (the overrides are those of the whole range).
bool SameTextStyle(const TEmission& em, const TTextEnt& t, const TTextEnt& s, int32_t sColor) {
  return t.Kind == s.Kind && t.Cc == s.Cc && SameBits(t.Width, s.Width) && SameBits(t.Height, s.Height) &&
         SameBits(t.Spacing, s.Spacing) && t.FontName.Ptr == s.FontName.Ptr && t.FontName.Len == s.FontName.Len &&
         (t.Head.Id == s.Head.Id || HeadOf(em, t.Head).Color == sColor);
}

// Text kind, "cc" and font of a text or a dimension text. A text colour
// override turns the style into a free size with the text's own sizes.
// Noting the style noted last in the range again changes nothing: its
// writers left their values written and their flags cleared, and no other
// writer sets them. Runs of texts share one style, noted once.
TAttrLines NoteTextStyle(const TEmission& em, const TTextEnt& t) {
  const TTextEnt* styled = em.Notes.StyledText;
  if (styled != nullptr && SameTextStyle(em, t, *styled, em.Notes.StyledTextColor)) return 0;
  const int32_t color = HeadOf(em, t.Head).Color;
  em.Notes.StyledText = &t;
  em.Notes.StyledTextColor = color;
  TAttrLines due = 0;
  if (em.O.TextColorOverride == -1) {
    due = NoteTextKind(em.W, t.Kind, color, kNoConversion, t.Width, t.Height, t.Spacing);
  } else {
    due = NoteTextKind(em.W, 0, em.O.TextColorOverride, kNoConversion, t.Width, t.Height, t.Spacing);
  }
  due |= NoteCc(em.W, Pick(em.O.CcOverride, t.Cc));
  due |= NoteFontName(em.W, t.FontName.View());
  return due;
}

// Point colour and width of points and marks.
TAttrLines NotePointStyle(const TEmission& em, const TEntHead& head) {
  TAttrLines due = NotePointColor(em.W, Pick(em.O.ColorOverride, head.Color), kNoConversion);
  due |= NoteWidth(em, head);
  return due;
}

// Colour of a solid: colour 10 is an RGB colour, written with the RGB
// override when the colour was overridden, else with the solid's own value.
TAttrLines NoteSolidStyle(const TEmission& em, const TEntHead& head, int32_t solidColor) {
  const int32_t c = Pick(em.O.ColorOverride, head.Color);
  if (c == 10) return NoteSolidColor(em.W, em.O.ColorOverride != -1 ? em.O.RgbOverride : solidColor);
  return NoteColor(em.W, c, kNoConversion);
}

// The record kinds, each described once: NoteAttrs notes the attribute
// values its entity puts and returns the lines due; PutShape writes its
// entity line (the writer leaves out what cannot be drawn). The z-flags
// come between the two (PutEntityLine), a line's polyline run around its
// entity line (EmitLine).

// Lines, circles and arcs: group, layer and the line style.
template <TEntKind K, class R>
  requires(K == ekLine || K == ekCircle || K == ekArc)
TAttrLines NoteAttrs(const TEmission& em, TKind<K>, const R& e) {
  const TEntHead& h = HeadOf(em, e.Head);
  TAttrLines due = NoteGroupAndLayer(em, h);
  due |= NoteLineStyle(em, h);
  return due;
}

// Texts: group, layer and the text style.
TAttrLines NoteAttrs(const TEmission& em, TKind<ekText>, const TTextEnt& e) {
  TAttrLines due = NoteGroupAndLayer(em, HeadOf(em, e.Head));
  due |= NoteTextStyle(em, e);
  return due;
}

// Points and marks: group, layer and the point style.
template <TEntKind K, class R>
  requires(K == ekPoint || K == ekMark)
TAttrLines NoteAttrs(const TEmission& em, TKind<K>, const R& e) {
  const TEntHead& h = HeadOf(em, e.Head);
  TAttrLines due = NoteGroupAndLayer(em, h);
  due |= NotePointStyle(em, h);
  return due;
}

// Dimensions: group and layer from its own head (the z-flags too), the line
// style from its line, the text style from its text.
TAttrLines NoteAttrs(const TEmission& em, TKind<ekDim>, const TDimEnt& e) {
  TAttrLines due = NoteGroupAndLayer(em, HeadOf(em, e.Head));
  due |= NoteLineStyle(em, HeadOf(em, e.Line.Head));
  due |= NoteTextStyle(em, e.Text);
  return due;
}

// Solids: group, layer and the solid colour; two-point and "se" solids
// their line width too.
template <TEntKind K, class R>
  requires(K >= ekSolid2 && K <= ekSg)
TAttrLines NoteAttrs(const TEmission& em, TKind<K>, const R& e) {
  const TEntHead& h = HeadOf(em, e.Head);
  TAttrLines due = NoteGroupAndLayer(em, h);
  due |= NoteSolidStyle(em, h, e.SolidColor);
  if constexpr (K == ekSolid2 || K == ekSe) due |= NoteWidth(em, h);
  return due;
}

void PutShape(TOutBuffer& out, TKind<ekLine>, const TLineEnt& e) { PutLine(out, e.X1, e.Y1, e.X2, e.Y2); }
void PutShape(TOutBuffer& out, TKind<ekCircle>, const TCircleEnt& e) { PutCircle(out, e.X, e.Y, e.R); }
void PutShape(TOutBuffer& out, TKind<ekArc>, const TArcEnt& e) {
  PutArc(out, e.X, e.Y, e.R, e.ArcParam1, e.ArcParam2, e.Ratio, e.TiltAngle);
}
void PutShape(TOutBuffer& out, TKind<ekText>, const TTextEnt& e) {
  PutText(out, e.Cmd, e.Text.View(), e.X, e.Y, e.Dx, e.Dy);
}
void PutShape(TOutBuffer& out, TKind<ekPoint>, const TPointEnt& e) { PutPoint(out, e.X, e.Y); }
void PutShape(TOutBuffer& out, TKind<ekMark>, const TMarkEnt& e) {
  PutMark(out, e.Code, e.X, e.Y, e.Size, e.Angle);
}
void PutShape(TOutBuffer& out, TKind<ekDim>, const TDimEnt& e) {
  PutDim(out, e.Text.Text.View(), e.Line.X1, e.Line.Y1, e.Line.X2, e.Line.Y2, e.Text.X, e.Text.Y, e.Text.Dx,
         e.Text.Dy);
}
void PutShape(TOutBuffer& out, TKind<ekSolid2>, const TSolid2Ent& e) {
  PutSolid2(out, e.X1, e.Y1, e.X2, e.Y2);
}
void PutShape(TOutBuffer& out, TKind<ekSolid3>, const TSolid3Ent& e) {
  PutSolid3(out, e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3);
}
void PutShape(TOutBuffer& out, TKind<ekSolid4>, const TSolid4Ent& e) {
  PutSolid4(out, e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3, e.X4, e.Y4);
}
void PutShape(TOutBuffer& out, TKind<ekSc>, const TSolidArcEnt& e) {
  PutSc(out, e.Code, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2);
}
void PutShape(TOutBuffer& out, TKind<ekSe>, const TSolidArcEnt& e) {
  PutSe(out, e.Code, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2);
}
void PutShape(TOutBuffer& out, TKind<ekSo>, const TSolidRingEnt& e) {
  PutSo(out, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2, e.R2);
}
void PutShape(TOutBuffer& out, TKind<ekSg>, const TSolidRingEnt& e) {
  PutSg(out, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2, e.R2);
}

// What an entity's NoteAttrs notes, as a key: entities of one note class
// with the same head (and solid colour) note the same values. Noting the
// same values twice in a row changes nothing the second time: each Note
// writer leaves its value written and its flag cleared, and a later one
// only re-arms a line noted after it (the layer after the group) or clears
// flags. So an entity whose key equals that of the entity noted just
// before, with nothing else changing the write state in between, has no
// line due and may skip its notes. Texts and dimensions note more than
// their head and always note (class ncAlways).
enum TNoteClass : int32_t { ncAlways = 0, ncLineStyle, ncPointStyle, ncSolidWithWidth, ncSolid };

struct TNoteKey {
  int32_t Class = ncAlways;
  uint32_t Head = 0;
  int32_t SolidColor = 0;
};

bool SameNotes(const TNoteKey& a, const TNoteKey& b) {
  return a.Class != ncAlways && a.Class == b.Class && a.Head == b.Head && a.SolidColor == b.SolidColor;
}

template <TEntKind K, class R>
TNoteKey NoteKeyOf(TKind<K>, const R& e) {
  if constexpr (K == ekLine || K == ekCircle || K == ekArc) {
    return TNoteKey{ncLineStyle, e.Head.Id, 0};
  } else if constexpr (K == ekPoint || K == ekMark) {
    return TNoteKey{ncPointStyle, e.Head.Id, 0};
  } else if constexpr (K == ekSolid2 || K == ekSe) {
    return TNoteKey{ncSolidWithWidth, e.Head.Id, e.SolidColor};
  } else if constexpr (K >= ekSolid2 && K <= ekSg) {
    return TNoteKey{ncSolid, e.Head.Id, e.SolidColor};
  } else {
    return TNoteKey{};
  }
}

// NoteAttrs for an entity of note key `key`, which becomes `last`. Out of
// line: its calls need a frame that skipping the notes does not.
template <TEntKind K, class R>
[[gnu::noinline]] TAttrLines NoteAttrsKeyed(const TEmission& em, TKind<K> kind, const R& e, const TNoteKey& key,
                                            TNoteKey& last) {
  last = key;
  return NoteAttrs(em, kind, e);
}

// NoteAttrs, skipped for an entity that notes what the one before noted
// (`last`, the key of the entity noted before in this range; updated).
// Texts and dimensions always note (ncAlways), in line as before.
template <TEntKind K, class R>
TAttrLines NoteAttrsAfter(const TEmission& em, TKind<K> kind, const R& e, TNoteKey& last) {
  const TNoteKey key = NoteKeyOf(kind, e);
  if constexpr (K == ekText || K == ekDim) {
    last = key;
    return NoteAttrs(em, kind, e);
  } else {
    if (SameNotes(key, last)) return 0;
    return NoteAttrsKeyed(em, kind, e, key, last);
  }
}

// Calls f(TKind<kind>(), record) for the record of input order entry
// `entry`. Block references are never written and unknown kind codes
// name no record: neither calls f.
template <class F>
void WithRecord(const TDrawing& d, const TOrderEntry& entry, F&& f) {
  WithKind(d, entry.Kind, [&](auto kind, const auto& records) {
    if constexpr (decltype(kind)::value != ekBlock) f(kind, records[entry.Index]);
  });
}

// The z-flags and entity line of record e of kind K, once its attributes
// were noted: the z-flags of its head are those noted last, its own or
// those of the entity of the same head before it that it skipped its notes
// for.
template <TEntKind K, class R>
void PutEntityLine(const TEmission& em, TKind<K> kind, const R& e) {
  // Most entities have no z-flags: no call for them.
  if (const int32_t z = em.Notes.ZFlags; z != 0) PutZFlags(em.W.Out, z);
  PutShape(em.W.Out, kind, e);
}

// True when the polyline `openPl` goes on with the entity at position
// `pos` + 1: a line of the same polyline number.
bool PolylineContinues(const TDrawing& d, int32_t pos, int32_t openPl) {
  if (openPl <= 0 || pos + 1 >= d.Order.Count()) return false;
  const TOrderEntry& next = d.Order[pos + 1];
  return next.Kind == ekLine && d.Lines[next.Index].PlNo == openPl;
}

// The entity line of line e at position pos; a run of consecutive lines with
// the same positive polyline number is written between one "pl" and one "#".
// `openPl` is the number of the polyline left open by the previous entity,
// 0 for none.
void EmitLine(const TEmission& em, const TLineEnt& e, int32_t pos, int32_t& openPl) {
  if (e.PlNo > 0 && e.PlNo != openPl) {
    PutPlStart(em.W.Out);
    openPl = e.PlNo;
  }
  PutEntityLine(em, TKind<ekLine>(), e);
  if (!PolylineContinues(em.D, pos, openPl)) {
    if (openPl > 0) PutPlEnd(em.W.Out);
    openPl = 0;
  }
}

// Writes the entity `entry` at position `pos` of the input order: the
// attribute lines due, then its entity line. Only lines leave a polyline
// open. `last` is the note key of the entity written before in this range.
void EmitEntry(const TEmission& em, const TOrderEntry& entry, int32_t pos, int32_t& openPl, TNoteKey& last) {
  WithRecord(em.D, entry, [&](auto kind, const auto& e) {
    // Most entities change no attribute: no call for them.
    if (const TAttrLines due = NoteAttrsAfter(em, kind, e, last); due != 0) PutAttrLines(em.W.Out, em.W.Last, due);
    if constexpr (decltype(kind)::value == ekLine) {
      EmitLine(em, e, pos, openPl);
    } else {
      PutEntityLine(em, kind, e);
    }
  });
}

// Notes the attribute values of the entity at position `pos`, writing
// nothing; `last` as for EmitEntry.
void PrimeEntry(const TEmission& em, int32_t pos, TNoteKey& last) {
  WithRecord(em.D, em.D.Order[pos], [&](auto kind, const auto& e) { NoteAttrsAfter(em, kind, e, last); });
}

// The parts of a write state an entity's notes set, one bit each, named by
// what they hold. Once an entity noted a part, the state holds what that
// entity noted there, whatever it held before: each Note writer leaves its
// value written and its flag cleared, due or not (a value not due already
// is the one noted; the solid colour flag is down whenever the colour's
// is). Text sizes are the exception: 0 and -0 compare equal, so a size of
// 0 that is not due may keep the other zero; an entity that notes a zero
// size is not counted as setting them.
enum TNotedPart : uint32_t {
  npGroupLayer = 1u << 0,   // group, layer and the layer's flag
  npColor = 1u << 1,        // colour and the colour and solid colour flags
  npSolidColor = 1u << 2,   // the RGB value of colour 10
  npPointColor = 1u << 3,
  npLineType = 1u << 4,
  npLineWidth = 1u << 5,
  npTextStyle = 1u << 6,    // text kind, "cc" and font name
  npTextSizes = 1u << 7,    // the free size's sizes and colour
};
using TNotedParts = uint32_t;

constexpr TNotedParts kLineStyleParts = npGroupLayer | npColor | npLineType | npLineWidth;

// The parts the text style of t sets: its sizes too when it is a free size
// of sizes other than zero (kinds outside 1..10 that fall back on the
// drawing's own are not counted, which only makes PrimeRange look further).
TNotedParts TextParts(const TEmission& em, const TTextEnt& t) {
  const bool freeSize = em.O.TextColorOverride != -1 || t.Kind == 0;
  const bool sized = freeSize && t.Width != 0 && t.Height != 0 && t.Spacing != 0;
  return sized ? npTextStyle | npTextSizes : TNotedParts{npTextStyle};
}

// The parts record e of kind K sets when its attributes are noted, never
// one it leaves as it is.
template <TEntKind K, class R>
TNotedParts PartsSetBy(const TEmission& em, TKind<K>, const R& e) {
  if constexpr (K == ekLine || K == ekCircle || K == ekArc) {
    return kLineStyleParts;
  } else if constexpr (K == ekPoint || K == ekMark) {
    return npGroupLayer | npPointColor | npLineWidth;
  } else if constexpr (K == ekText) {
    return npGroupLayer | TextParts(em, e);
  } else if constexpr (K == ekDim) {
    return kLineStyleParts | TextParts(em, e.Text);
  } else if constexpr (K >= ekSolid2 && K <= ekSg) {
    TNotedParts parts = npGroupLayer | npColor;
    if (Pick(em.O.ColorOverride, HeadOf(em, e.Head).Color) == 10) parts |= npSolidColor;
    if constexpr (K == ekSolid2 || K == ekSe) parts |= npLineWidth;
    return parts;
  } else {
    return 0;
  }
}

// Every part some record of kind K may set.
template <TEntKind K>
constexpr TNotedParts PartsKindMaySet() {
  if constexpr (K == ekLine || K == ekCircle || K == ekArc) return kLineStyleParts;
  if constexpr (K == ekPoint || K == ekMark) return npGroupLayer | npPointColor | npLineWidth;
  if constexpr (K == ekText) return npGroupLayer | npTextStyle | npTextSizes;
  if constexpr (K == ekDim) return kLineStyleParts | npTextStyle | npTextSizes;
  if constexpr (K >= ekSolid2 && K <= ekSg) return npGroupLayer | npColor | npSolidColor | npLineWidth;
  return 0;
}

// Every part the records of d may set.
TNotedParts PartsDrawingMaySet(const TDrawing& d) {
  TNotedParts parts = 0;
  ForEachKind(d, [&](auto kind, const auto& records) {
    if (records.Count() > 0) parts |= PartsKindMaySet<decltype(kind)::value>();
  });
  return parts;
}

// Entities PrimeRange looks back over before it notes the whole stretch.
constexpr int32_t kLookBackMax = 4096;

// The start of the shortest stretch that ends at `to` and holds, for each
// part the entities at [from, to) set, the last entity setting it: from
// there on noting gives the state that noting from `from` gives. `from`
// when the parts were not all found within kLookBackMax entities.
int32_t LastSettersStart(const TEmission& em, int32_t from, int32_t to) {
  TNotedParts missing = PartsDrawingMaySet(em.D);
  if (missing == 0) return to;  // no record notes anything
  const int32_t stop = to - from > kLookBackMax ? to - kLookBackMax : from;
  for (int32_t pos = to - 1; pos >= stop; --pos) {
    WithRecord(em.D, em.D.Order[pos], [&](auto kind, const auto& e) { missing &= ~PartsSetBy(em, kind, e); });
    if (missing == 0) return pos;
  }
  return from;
}

}  // namespace

bool PollAt(const TEmitPolls& polls, int32_t pos) {
  if (pos % kPollInterval != 0) return false;
  return polls.EscapeKeyDown && polls.EscapeKeyDown();
}

int32_t PollRange(const TEmitPolls& polls, int32_t from, int32_t to) {
  for (int32_t pos = from; pos < to; ++pos) {
    if (PollAt(polls, pos)) return pos;
  }
  return to;
}

int32_t OpenPolylineBefore(const TDrawing& d, int32_t pos) {
  if (pos <= 0 || pos >= d.Order.Count()) return 0;
  const TOrderEntry& prev = d.Order[pos - 1];
  if (prev.Kind != ekLine) return 0;
  const int32_t plNo = d.Lines[prev.Index].PlNo;
  return PolylineContinues(d, pos - 1, plNo) ? plNo : 0;
}

void EmitOpening(const TDrawing& d, TWriteState& w) {
  if (d.BzSeen) w.Out.AddLine("bz");
}

// The entries between two poll positions lie in one block of the input
// order, side by side.
static_assert(TBlockArray<TOrderEntry>::kBlock % kPollInterval == 0);

int32_t EmitRange(const TDrawing& d, TWriteState& w, const TEmitOverrides& o, int32_t from,
                  int32_t to, const TEmitPolls* polls, const TStopTest* stop) {
  TRangeNotes notes;
  const TEmission em{d, w, o, notes};
  int32_t openPl = OpenPolylineBefore(d, from);
  TNoteKey last;  // the polls below change no write state
  int32_t pos = from;
  while (pos < to) {
    // Polls only at poll positions; the entities up to the next one are
    // written without a test.
    if (pos % kPollInterval == 0) {
      if (polls != nullptr && PollAt(*polls, pos)) return pos;
      if (stop != nullptr && stop->StopRequested()) return pos;
    }
    const int32_t nextPoll = (pos / kPollInterval + 1) * kPollInterval;
    const int32_t end = nextPoll < to ? nextPoll : to;
    const TOrderEntry* entry = &d.Order[pos];
    for (; pos < end; ++pos, ++entry) EmitEntry(em, *entry, pos, openPl, last);
  }
  return to;
}

void PrimeRange(const TDrawing& d, TWriteState& w, const TEmitOverrides& o, int32_t from, int32_t to) {
  TRangeNotes notes;
  const TEmission em{d, w, o, notes};
  // Only the last entity to set each part counts: the notes start at the
  // earliest of those.
  TNoteKey last;
  for (int32_t pos = LastSettersStart(em, from, to); pos < to; ++pos) PrimeEntry(em, pos, last);
}

void EmitClosing(const TDrawing& d, TWriteState& w, bool complete) {
  // The user abandons the whole output, "hd" and "bz" included.
  if (!complete) ClearOutLines(w.Out);
  // Leave the drawing's own layer group and layer in force.
  PutGroup(w, d.First.Group);
  PutLayer(w, d.First.Layer);
}

}  // namespace cadxform
