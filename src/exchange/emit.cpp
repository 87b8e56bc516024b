#include "cadxform/emit.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "exchange/attr_writers.h"
#include "exchange/emit_range.h"
#include "exchange/entity_writers.h"
#include "exchange/number_forms.h"
#include "cadxform/out_buffer.h"

namespace cadxform {

namespace {

// Every attribute writer is called without number conversion.
constexpr int32_t kNoConversion = 0;

// What every per-kind routine works with: the drawing it reads, the write
// state it changes and the overrides it applies.
struct TEmission {
  const TDrawing& D;
  TWriteState& W;
  const TEmitOverrides& O;
  static constexpr bool AttrsOnly = false;
};

// The same with only the attribute writers running: the write state ends
// as after writing the entities, without their lines.
struct TAttrsEmission {
  const TDrawing& D;
  TWriteState& W;
  const TEmitOverrides& O;
  static constexpr bool AttrsOnly = true;
};

// Group and layer are overridden only by a value inside 0..15.
int32_t PickGroupOrLayer(int32_t forced, int32_t own) {
  return (forced >= 0 && forced <= 15) ? forced : own;
}

// The other overrides apply unless they are exactly -1.
int32_t Pick(int32_t forced, int32_t own) { return forced != -1 ? forced : own; }

template <class E>
void PutGroupAndLayer(E& em, const TEntHead& head) {
  PutGroup(em.W, PickGroupOrLayer(em.O.GroupOverride, head.Group));
  PutLayer(em.W, PickGroupOrLayer(em.O.LayerOverride, head.Layer));
}

// Colour, line type and width of lines, circles, arcs and dimension lines.
template <class E>
void PutLineStyle(E& em, const TEntHead& head) {
  PutColor(em.W, Pick(em.O.ColorOverride, head.Color), kNoConversion);
  PutLineType(em.W, Pick(em.O.LineTypeOverride, head.LineType), kNoConversion);
  PutLineWidth(em.W, Pick(em.O.LineWidthOverride, head.LineWidth));
}

// Text kind, "cc" and font of a text or a dimension text. A text colour
// override turns the style into a free size with the text's own sizes.
template <class E>
void PutTextStyle(E& em, const TTextEnt& t) {
  if (em.O.TextColorOverride == -1) {
    PutTextKind(em.W, t.Kind, em.D.Heads[t.Head].Color, kNoConversion, t.Width, t.Height, t.Spacing);
  } else {
    PutTextKind(em.W, 0, em.O.TextColorOverride, kNoConversion, t.Width, t.Height, t.Spacing);
  }
  PutCc(em.W, Pick(em.O.CcOverride, t.Cc));
  PutFontName(em.W, t.FontName.View());
}

// Colour of a solid: colour 10 is an RGB colour, written with the RGB
// override when the colour was overridden, else with the solid's own value.
template <class E>
void PutSolidStyle(E& em, const TEntHead& head, int32_t solidColor) {
  const int32_t c = Pick(em.O.ColorOverride, head.Color);
  if (c == 10) {
    PutSolidColor(em.W, em.O.ColorOverride != -1 ? em.O.RgbOverride : solidColor);
  } else {
    PutColor(em.W, c, kNoConversion);
  }
}

// True when the polyline `openPl` goes on with the entity at position
// `pos` + 1: a line of the same polyline number.
bool PolylineContinues(const TDrawing& d, int32_t pos, int32_t openPl) {
  if (openPl <= 0 || pos + 1 >= d.Order.Count()) return false;
  const TOrderEntry& next = d.Order[pos + 1];
  return next.Kind == ekLine && d.Lines[next.Index].PlNo == openPl;
}

// A line; a run of consecutive lines with the same positive polyline number
// is written between one "pl" and one "#". `openPl` is the number of the
// polyline left open by the previous entity, 0 for none.
template <class E>
void EmitLine(E& em, int32_t index, int32_t pos, int32_t& openPl) {
  const TLineEnt& e = em.D.Lines[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutLineStyle(em, h);
  if constexpr (E::AttrsOnly) return;
  if (e.PlNo > 0 && e.PlNo != openPl) {
    PutPlStart(em.W.Out);
    openPl = e.PlNo;
  }
  PutZFlags(em.W.Out, h.ZFlags);
  PutLine(em.W.Out, e.X1, e.Y1, e.X2, e.Y2);
  if (!PolylineContinues(em.D, pos, openPl)) {
    if (openPl > 0) PutPlEnd(em.W.Out);
    openPl = 0;
  }
}

template <class E>
void EmitCircle(E& em, int32_t index) {
  const TCircleEnt& e = em.D.Circles[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutLineStyle(em, h);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutCircle(em.W.Out, e.X, e.Y, e.R);
}

template <class E>
void EmitArc(E& em, int32_t index) {
  const TArcEnt& e = em.D.Arcs[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutLineStyle(em, h);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutArc(em.W.Out, e.X, e.Y, e.R, e.ArcParam1, e.ArcParam2, e.Ratio, e.TiltAngle);
}

template <class E>
void EmitText(E& em, int32_t index) {
  const TTextEnt& e = em.D.Texts[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutTextStyle(em, e);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutText(em.W.Out, e.Cmd, e.Text.View(), e.X, e.Y, e.Dx, e.Dy);
}

// Point colour and width of points and marks.
template <class E>
void PutPointStyle(E& em, const TEntHead& head) {
  PutPointColor(em.W, Pick(em.O.ColorOverride, head.Color), kNoConversion);
  PutLineWidth(em.W, Pick(em.O.LineWidthOverride, head.LineWidth));
}

template <class E>
void EmitPoint(E& em, int32_t index) {
  const TPointEnt& e = em.D.Points[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutPointStyle(em, h);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutPoint(em.W.Out, e.X, e.Y);
}

template <class E>
void EmitMark(E& em, int32_t index) {
  const TMarkEnt& e = em.D.Marks[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutPointStyle(em, h);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutMark(em.W.Out, e.Code, e.X, e.Y, e.Size, e.Angle);
}

// A dimension: group, layer and z-flags from its own head, the line style
// from its line, the text style from its text.
template <class E>
void EmitDim(E& em, int32_t index) {
  const TDimEnt& e = em.D.Dims[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutLineStyle(em, em.D.Heads[e.Line.Head]);
  PutTextStyle(em, e.Text);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutDim(em.W.Out, e.Text.Text.View(), e.Line.X1, e.Line.Y1, e.Line.X2, e.Line.Y2, e.Text.X, e.Text.Y,
         e.Text.Dx, e.Text.Dy);
}

template <class E>
void EmitSolid2(E& em, int32_t index) {
  const TSolid2Ent& e = em.D.Solids2[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutSolidStyle(em, h, e.SolidColor);
  PutLineWidth(em.W, Pick(em.O.LineWidthOverride, h.LineWidth));
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutSolid2(em.W.Out, e.X1, e.Y1, e.X2, e.Y2);
}

template <class E>
void EmitSolid3(E& em, int32_t index) {
  const TSolid3Ent& e = em.D.Solids3[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutSolidStyle(em, h, e.SolidColor);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutSolid3(em.W.Out, e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3);
}

template <class E>
void EmitSolid4(E& em, int32_t index) {
  const TSolid4Ent& e = em.D.Solids4[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutSolidStyle(em, h, e.SolidColor);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutSolid4(em.W.Out, e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3, e.X4, e.Y4);
}

template <class E>
void EmitSc(E& em, int32_t index) {
  const TSolidArcEnt& e = em.D.ScEnts[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutSolidStyle(em, h, e.SolidColor);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutSc(em.W.Out, e.Code, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2);
}

template <class E>
void EmitSe(E& em, int32_t index) {
  const TSolidArcEnt& e = em.D.SeEnts[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutSolidStyle(em, h, e.SolidColor);
  PutLineWidth(em.W, Pick(em.O.LineWidthOverride, h.LineWidth));
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutSe(em.W.Out, e.Code, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2);
}

template <class E>
void EmitSo(E& em, int32_t index) {
  const TSolidRingEnt& e = em.D.SoEnts[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutSolidStyle(em, h, e.SolidColor);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutSo(em.W.Out, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2, e.R2);
}

template <class E>
void EmitSg(E& em, int32_t index) {
  const TSolidRingEnt& e = em.D.SgEnts[index];
  const TEntHead& h = em.D.Heads[e.Head];
  PutGroupAndLayer(em, h);
  PutSolidStyle(em, h, e.SolidColor);
  if constexpr (E::AttrsOnly) return;
  PutZFlags(em.W.Out, h.ZFlags);
  PutSg(em.W.Out, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2, e.R2);
}

// Writes the entity at position `pos` of the input order. Blocks and
// unknown kind codes write nothing.
template <class E>
void EmitEntry(E& em, int32_t pos, int32_t& openPl) {
  const TOrderEntry& entry = em.D.Order[pos];
  switch (entry.Kind) {
    case ekLine: EmitLine(em, entry.Index, pos, openPl); break;
    case ekCircle: EmitCircle(em, entry.Index); break;
    case ekArc: EmitArc(em, entry.Index); break;
    case ekText: EmitText(em, entry.Index); break;
    case ekPoint: EmitPoint(em, entry.Index); break;
    case ekMark: EmitMark(em, entry.Index); break;
    case ekDim: EmitDim(em, entry.Index); break;
    case ekSolid2: EmitSolid2(em, entry.Index); break;
    case ekSolid3: EmitSolid3(em, entry.Index); break;
    case ekSolid4: EmitSolid4(em, entry.Index); break;
    case ekSc: EmitSc(em, entry.Index); break;
    case ekSe: EmitSe(em, entry.Index); break;
    case ekSo: EmitSo(em, entry.Index); break;
    case ekSg: EmitSg(em, entry.Index); break;
    default: break;  // ekBlock: block references are not written
  }
}

// Shows "処理中(ESC:中断)：<pos+1>／<total>" on the progress display.
void ShowProgress(TProgress& progress, int32_t pos, int32_t total) {
  // "処理中(ESC:中断)：" in code page 932.
  static constexpr std::string_view kPrefix =
      "\x8F\x88\x97\x9D\x92\x86(ESC:\x92\x86\x92\x66)\x81\x46";
  // "／" in code page 932.
  static constexpr std::string_view kSlash = "\x81\x5E";
  char buf[kPrefix.size() + kSlash.size() + 2 * kNumberFormMax];
  char* p = buf;
  std::memcpy(p, kPrefix.data(), kPrefix.size());
  p += kPrefix.size();
  p = AppendIntForm(p, pos + 1);
  std::memcpy(p, kSlash.data(), kSlash.size());
  p += kSlash.size();
  p = AppendIntForm(p, total);
  progress.SetTextAndRepaint(std::string_view(buf, static_cast<size_t>(p - buf)));
}

}  // namespace

bool PollAt(const TEmitPolls& polls, int32_t pos) {
  if (pos % kPollInterval != 0) return false;
  if (polls.Progress != nullptr) ShowProgress(*polls.Progress, pos, polls.Total);
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

int32_t EmitRange(const TDrawing& d, TWriteState& w, const TEmitOverrides& o, int32_t from,
                  int32_t to, const TEmitPolls* polls, const std::atomic<bool>* stop) {
  TEmission em{d, w, o};
  int32_t openPl = OpenPolylineBefore(d, from);
  int32_t pos = from;
  while (pos < to) {
    // Polls only at poll positions; the entities up to the next one are
    // written without a test.
    if (pos % kPollInterval == 0) {
      if (polls != nullptr && PollAt(*polls, pos)) return pos;
      if (stop != nullptr && stop->load(std::memory_order_relaxed)) return pos;
    }
    const int32_t nextPoll = (pos / kPollInterval + 1) * kPollInterval;
    const int32_t end = nextPoll < to ? nextPoll : to;
    for (; pos < end; ++pos) EmitEntry(em, pos, openPl);
  }
  return to;
}

void PrimeRange(const TDrawing& d, TWriteState& w, const TEmitOverrides& o, int32_t from, int32_t to) {
  TAttrsEmission em{d, w, o};
  int32_t openPl = 0;
  for (int32_t pos = from; pos < to; ++pos) EmitEntry(em, pos, openPl);
}

void EmitAll(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
             const TEscapeKeySource& escapeKeyDown, TProgress* progress) {
  EmitAll(d, w, overrides, escapeKeyDown, progress, TPathPolicy());
}

void EmitAll(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
             const TEscapeKeySource& escapeKeyDown, TProgress* progress, const TPathPolicy& policy) {
  EmitAllInSegments(d, w, overrides, escapeKeyDown, progress,
                    SegmentSizeFor(d.Order.Count(), policy));
}

}  // namespace cadxform
