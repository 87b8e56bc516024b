#include "exchange/emit.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "exchange/attr_writers.h"
#include "exchange/entity_writers.h"
#include "exchange/number_forms.h"
#include "exchange/out_buffer.h"
#include "exchange/store.h"

namespace rek {

namespace {

// Every attribute writer is called without number conversion.
constexpr int32_t kNoConversion = 0;

// The progress display and the Escape poll run once per this many entities.
constexpr int32_t kPollInterval = 100;

TEscapeKeySource& KeySource() {
  static TEscapeKeySource source;
  return source;
}

// Group and layer are overridden only by a value inside 0..15.
int32_t PickGroupOrLayer(int32_t forced, int32_t own) {
  return (forced >= 0 && forced <= 15) ? forced : own;
}

// The other overrides apply unless they are exactly -1.
int32_t Pick(int32_t forced, int32_t own) { return forced != -1 ? forced : own; }

void PutGroupAndLayer(const TEntHead& head, const TEmitOverrides& o) {
  PutGroup(PickGroupOrLayer(o.GroupOverride, head.Group));
  PutLayer(PickGroupOrLayer(o.LayerOverride, head.Layer));
}

// Colour, line type and width of lines, circles, arcs and dimension lines.
void PutLineStyle(const TEntHead& head, const TEmitOverrides& o) {
  PutColor(Pick(o.ColorOverride, head.Color), kNoConversion);
  PutLineType(Pick(o.LineTypeOverride, head.LineType), kNoConversion);
  PutLineWidth(Pick(o.LineWidthOverride, head.LineWidth));
}

// Text kind, "cc" and font of a text or a dimension text. A text colour
// override turns the style into a free size with the text's own sizes.
void PutTextStyle(const TTextEnt& t, const TEmitOverrides& o) {
  if (o.TextColorOverride == -1) {
    PutTextKind(t.Kind, t.Head->Color, kNoConversion, t.Width, t.Height, t.Spacing);
  } else {
    PutTextKind(0, o.TextColorOverride, kNoConversion, t.Width, t.Height, t.Spacing);
  }
  PutCc(Pick(o.CcOverride, t.Cc));
  PutFontName(t.FontName.View());
}

// Colour of a solid: colour 10 is an RGB colour, written with the RGB
// override when the colour was overridden, else with the solid's own value.
void PutSolidStyle(const TEntHead& head, int32_t solidColor, const TEmitOverrides& o) {
  const int32_t c = Pick(o.ColorOverride, head.Color);
  if (c == 10) {
    PutSolidColor(o.ColorOverride != -1 ? o.RgbOverride : solidColor);
  } else {
    PutColor(c, kNoConversion);
  }
}

// True when the polyline `openPl` goes on with the entity at position
// `pos` + 1: a line of the same polyline number.
bool PolylineContinues(int32_t pos, int32_t openPl) {
  if (openPl <= 0 || pos + 1 >= Store.Order.Count()) return false;
  const TOrderEntry& next = Store.Order[pos + 1];
  return next.Kind == ekLine && Store.Lines[next.Index].PlNo == openPl;
}

// A line; a run of consecutive lines with the same positive polyline number
// is written between one "pl" and one "#". `openPl` is the number of the
// polyline left open by the previous entity, 0 for none.
void EmitLine(int32_t index, const TEmitOverrides& o, int32_t pos, int32_t& openPl) {
  const TLineEnt& e = Store.Lines[index];
  PutGroupAndLayer(*e.Head, o);
  PutLineStyle(*e.Head, o);
  if (e.PlNo > 0 && e.PlNo != openPl) {
    PutPlStart();
    openPl = e.PlNo;
  }
  PutZFlags(e.Head->ZFlags);
  PutLine(e.X1, e.Y1, e.X2, e.Y2);
  if (!PolylineContinues(pos, openPl)) {
    if (openPl > 0) PutPlEnd();
    openPl = 0;
  }
}

void EmitCircle(int32_t index, const TEmitOverrides& o) {
  const TCircleEnt& e = Store.Circles[index];
  PutGroupAndLayer(*e.Head, o);
  PutLineStyle(*e.Head, o);
  PutZFlags(e.Head->ZFlags);
  PutCircle(e.X, e.Y, e.R);
}

void EmitArc(int32_t index, const TEmitOverrides& o) {
  const TArcEnt& e = Store.Arcs[index];
  PutGroupAndLayer(*e.Head, o);
  PutLineStyle(*e.Head, o);
  PutZFlags(e.Head->ZFlags);
  PutArc(e.X, e.Y, e.R, e.ArcParam1, e.ArcParam2, e.Ratio, e.TiltAngle);
}

void EmitText(int32_t index, const TEmitOverrides& o) {
  const TTextEnt& e = Store.Texts[index];
  PutGroupAndLayer(*e.Head, o);
  PutTextStyle(e, o);
  PutZFlags(e.Head->ZFlags);
  PutText(e.Cmd, e.Text.View(), e.X, e.Y, e.Dx, e.Dy);
}

// Point colour and width of points and marks.
void PutPointStyle(const TEntHead& head, const TEmitOverrides& o) {
  PutPointColor(Pick(o.ColorOverride, head.Color), kNoConversion);
  PutLineWidth(Pick(o.LineWidthOverride, head.LineWidth));
}

void EmitPoint(int32_t index, const TEmitOverrides& o) {
  const TPointEnt& e = Store.Points[index];
  PutGroupAndLayer(*e.Head, o);
  PutPointStyle(*e.Head, o);
  PutZFlags(e.Head->ZFlags);
  PutPoint(e.X, e.Y);
}

void EmitMark(int32_t index, const TEmitOverrides& o) {
  const TMarkEnt& e = Store.Marks[index];
  PutGroupAndLayer(*e.Head, o);
  PutPointStyle(*e.Head, o);
  PutZFlags(e.Head->ZFlags);
  PutMark(e.Code, e.X, e.Y, e.Size, e.Angle);
}

// A dimension: group, layer and z-flags from its own head, the line style
// from its line, the text style from its text.
void EmitDim(int32_t index, const TEmitOverrides& o) {
  const TDimEnt& e = Store.Dims[index];
  PutGroupAndLayer(*e.Head, o);
  PutLineStyle(*e.Line.Head, o);
  PutTextStyle(e.Text, o);
  PutZFlags(e.Head->ZFlags);
  PutDim(e.Text.Text.View(), e.Line.X1, e.Line.Y1, e.Line.X2, e.Line.Y2, e.Text.X, e.Text.Y,
         e.Text.Dx, e.Text.Dy);
}

void EmitSolid2(int32_t index, const TEmitOverrides& o) {
  const TSolid2Ent& e = Store.Solids2[index];
  PutGroupAndLayer(*e.Head, o);
  PutSolidStyle(*e.Head, e.SolidColor, o);
  PutLineWidth(Pick(o.LineWidthOverride, e.Head->LineWidth));
  PutZFlags(e.Head->ZFlags);
  PutSolid2(e.X1, e.Y1, e.X2, e.Y2);
}

void EmitSolid3(int32_t index, const TEmitOverrides& o) {
  const TSolid3Ent& e = Store.Solids3[index];
  PutGroupAndLayer(*e.Head, o);
  PutSolidStyle(*e.Head, e.SolidColor, o);
  PutZFlags(e.Head->ZFlags);
  PutSolid3(e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3);
}

void EmitSolid4(int32_t index, const TEmitOverrides& o) {
  const TSolid4Ent& e = Store.Solids4[index];
  PutGroupAndLayer(*e.Head, o);
  PutSolidStyle(*e.Head, e.SolidColor, o);
  PutZFlags(e.Head->ZFlags);
  PutSolid4(e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3, e.X4, e.Y4);
}

void EmitSc(int32_t index, const TEmitOverrides& o) {
  const TSolidArcEnt& e = Store.ScEnts[index];
  PutGroupAndLayer(*e.Head, o);
  PutSolidStyle(*e.Head, e.SolidColor, o);
  PutZFlags(e.Head->ZFlags);
  PutSc(e.Code, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2);
}

void EmitSe(int32_t index, const TEmitOverrides& o) {
  const TSolidArcEnt& e = Store.SeEnts[index];
  PutGroupAndLayer(*e.Head, o);
  PutSolidStyle(*e.Head, e.SolidColor, o);
  PutLineWidth(Pick(o.LineWidthOverride, e.Head->LineWidth));
  PutZFlags(e.Head->ZFlags);
  PutSe(e.Code, e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2);
}

void EmitSo(int32_t index, const TEmitOverrides& o) {
  const TSolidRingEnt& e = Store.SoEnts[index];
  PutGroupAndLayer(*e.Head, o);
  PutSolidStyle(*e.Head, e.SolidColor, o);
  PutZFlags(e.Head->ZFlags);
  PutSo(e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2, e.R2);
}

void EmitSg(int32_t index, const TEmitOverrides& o) {
  const TSolidRingEnt& e = Store.SgEnts[index];
  PutGroupAndLayer(*e.Head, o);
  PutSolidStyle(*e.Head, e.SolidColor, o);
  PutZFlags(e.Head->ZFlags);
  PutSg(e.X, e.Y, e.R, e.Ratio, e.TiltRad, e.ArcParam1, e.ArcParam2, e.R2);
}

// Writes the entity at position `pos` of the input order. Blocks and
// unknown kind codes write nothing.
void EmitEntry(int32_t pos, const TEmitOverrides& o, int32_t& openPl) {
  const TOrderEntry& entry = Store.Order[pos];
  switch (entry.Kind) {
    case ekLine: EmitLine(entry.Index, o, pos, openPl); break;
    case ekCircle: EmitCircle(entry.Index, o); break;
    case ekArc: EmitArc(entry.Index, o); break;
    case ekText: EmitText(entry.Index, o); break;
    case ekPoint: EmitPoint(entry.Index, o); break;
    case ekMark: EmitMark(entry.Index, o); break;
    case ekDim: EmitDim(entry.Index, o); break;
    case ekSolid2: EmitSolid2(entry.Index, o); break;
    case ekSolid3: EmitSolid3(entry.Index, o); break;
    case ekSolid4: EmitSolid4(entry.Index, o); break;
    case ekSc: EmitSc(entry.Index, o); break;
    case ekSe: EmitSe(entry.Index, o); break;
    case ekSo: EmitSo(entry.Index, o); break;
    case ekSg: EmitSg(entry.Index, o); break;
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

void SetEscapeKeySource(TEscapeKeySource source) { KeySource() = std::move(source); }

bool EscapeKeyDown() {
  const TEscapeKeySource& source = KeySource();
  return source ? source() : false;
}

void EmitAll(const TEmitOverrides& overrides, TProgress* progress) {
  if (Store.BzSeen) AddOutLine("bz");
  int32_t openPl = 0;
  const int32_t total = Store.Order.Count();
  for (int32_t pos = 0; pos < total; ++pos) {
    if (pos % kPollInterval == 0) {
      if (progress != nullptr) ShowProgress(*progress, pos, total);
      // The user abandons the whole output, "hd" and "bz" included.
      if (EscapeKeyDown()) {
        ClearOutLines();
        break;
      }
    }
    EmitEntry(pos, overrides, openPl);
  }
  // Leave the drawing's own layer group and layer in force.
  PutGroup(Store.FirstGroup);
  PutLayer(Store.FirstLayer);
}

}  // namespace rek
