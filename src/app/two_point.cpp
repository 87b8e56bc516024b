#include "app/two_point.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/param_text.h"
#include "app/transform_common.h"
#include "exchange/number_forms.h"
#include "cadxform/out_buffer.h"
#include "cadxform/geometry.h"
#include "cadxform/rounding.h"

namespace cadxform {

namespace {

// Precision: every intermediate of the point map and of the angle
// conversions (differences, products, sums, the degree/radian factors) is
// formed in long double (80-bit extended on both targets); only stored
// results and the arguments of the double-taking geometry routines are
// rounded to double. This makes the Linux and Windows builds agree bit for
// bit.
using ext = long double;

// Indicated or destination points closer than this count as one point.
constexpr double kSamePointTol = 1e-8;
// A scale factor within this of 1 does not count as scaling.
constexpr double kNoScaleTol = 1e-10;

double Round(ext v) { return static_cast<double>(v); }

// Text contents made by the second thread of a pass, kept until that thread
// is done: only this thread adds to the drawing's text pool.
using TPendingTexts = std::vector<std::pair<TTextRef*, std::string>>;

// The derived values of one run and the elementary updates built on them.
struct TSimilarity {
  bool AllEntities;
  int32_t Group;      // the first-seen group: the scope when not AllEntities
  double BaseX, BaseY;  // S1, the centre of the rotation
  double DestX, DestY;  // D1, where S1 lands
  double Theta;       // rotation in degrees, not normalised
  TRotation Turn{0.0};  // the turn by Theta
  double S;           // scale factor
  bool Scaling;       // |S - 1| > kNoScaleTol
  TFiniteCheck Check;  // every value stored
  TRecordShare Share;  // the records this part of the pass visits
  TPendingTexts* Pending = nullptr;  // set on the second thread of a pass

  bool Takes(const TEntHead& head) const { return AllEntities || head.Group == Group; }

  // Makes text the content of ref: at once, or, on the second thread of a
  // pass, once that thread is done (StorePendingTexts).
  void SetText(TTextPool& pool, TTextRef& ref, std::string text) const {
    if (Pending != nullptr) {
      Pending->emplace_back(&ref, std::move(text));
    } else {
      ref = pool.AddShort(text);
    }
  }

  // Turns the offset from S1 by Theta, scales it and adds D1 (RotateDeg by
  // Theta about the origin, its sine and cosine worked out once).
  void Point(double& x, double& y) const {
    double rx = 0.0, ry = 0.0;
    Turn.Apply(Round(ext{x} - BaseX), Round(ext{y} - BaseY), 0.0, 0.0, rx, ry);
    x = Round(ext{rx} * S + DestX);
    y = Round(ext{ry} * S + DestY);
    Check.Note(x);
    Check.Note(y);
  }

  // Turns a direction vector by Theta; its length stays.
  void Vector(double& vx, double& vy) const {
    double rx = 0.0, ry = 0.0;
    Turn.Apply(vx, vy, 0.0, 0.0, rx, ry);
    vx = rx;
    vy = ry;
    Check.Note(vx);
    Check.Note(vy);
  }

  void Length(double& v) const {
    v = Round(ext{v} * S);
    Check.Note(v);
  }

  // A degree angle becomes NormDeg(a + Theta), in [0, 360).
  void Degrees(double& a) const { a = NormDeg(Round(ext{a} + Theta)); }

  // A radian angle is taken to degrees, turned and normalised there, and
  // taken back.
  void Radians(double& a) const {
    const double turned = NormDeg(Round(ext{a} * 180 / kPi + Theta));
    a = Round(ext{turned} / 180 * kPi);
    Check.Note(a);
  }
};

// A text whose size changes leaves its numbered kind for a free size.
void ScaleTextSize(TTextEnt& t, const TSimilarity& m) {
  t.Kind = 0;
  m.Length(t.Width);
  m.Length(t.Height);
  m.Length(t.Spacing);
}

void TransformText(TTextPool& pool, TTextEnt& t, const TSimilarity& m) {
  m.Point(t.X, t.Y);
  if (IsParamText(t.Text.View())) {
    // The number list carries the size and angle; the text itself keeps
    // its vector, kind and sizes.
    if (const auto params = RewrittenParams(t.Text.View(), m.S, m.Theta)) {
      for (double v : params->Values) m.Check.Note(v);
      m.SetText(pool, t.Text, ParamTextOf(t.Text.View(), *params));
    }
    return;
  }
  m.Vector(t.Dx, t.Dy);
  if (m.Scaling) ScaleTextSize(t, m);
}

// The text of a dimension is its measured length: re-measured when the
// transform scales. It is never treated as a parameter text.
void TransformDim(TTextPool& pool, TDimEnt& d, const TSimilarity& m) {
  TLineEnt& l = d.Line;
  m.Point(l.X1, l.Y1);
  m.Point(l.X2, l.Y2);
  const double length = Distance(l.X1, l.Y1, l.X2, l.Y2);
  m.Point(d.Text.X, d.Text.Y);
  m.Vector(d.Text.Dx, d.Text.Dy);
  if (!m.Scaling) return;
  ScaleTextSize(d.Text, m);
  const double measured = RoundDigits(8, 2, length);
  m.Check.Note(measured);
  m.SetText(pool, d.Text.Text, RealForm(measured));
}

void TurnSolidArc(TSolidArcEnt& e, const TSimilarity& m) {
  m.Point(e.X, e.Y);
  m.Length(e.R);
  m.Radians(e.TiltRad);
}

void TurnSolidRing(TSolidRingEnt& e, const TSimilarity& m) {
  m.Point(e.X, e.Y);
  m.Length(e.R);
  m.Length(e.R2);
  m.Radians(e.TiltRad);
}

// Applies the transform to the records of s in m.Share.
void TransformRecords(TDrawing& s, const TSimilarity& m) {
  ForSelected(s.Heads, s.Lines, m, [&](TLineEnt& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
  });
  ForSelected(s.Heads, s.Circles, m, [&](TCircleEnt& e) {
    m.Point(e.X, e.Y);
    m.Length(e.R);
  });
  ForSelected(s.Heads, s.Arcs, m, [&](TArcEnt& e) {
    m.Point(e.X, e.Y);
    m.Length(e.R);
    m.Degrees(e.TiltAngle);
  });
  ForSelected(s.Heads, s.Texts, m, [&](TTextEnt& e) { TransformText(s.TextPool, e, m); });
  ForSelected(s.Heads, s.Points, m, [&](TPointEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.Marks, m, [&](TMarkEnt& e) {
    m.Point(e.X, e.Y);
    m.Length(e.Size);
    m.Degrees(e.Angle);
  });
  ForSelected(s.Heads, s.Dims, m, [&](TDimEnt& e) { TransformDim(s.TextPool, e, m); });
  MapSolidCorners(s, m);
  ForSelected(s.Heads, s.ScEnts, m, [&](TSolidArcEnt& e) { TurnSolidArc(e, m); });
  ForSelected(s.Heads, s.SeEnts, m, [&](TSolidArcEnt& e) { TurnSolidArc(e, m); });
  ForSelected(s.Heads, s.SoEnts, m, [&](TSolidRingEnt& e) { TurnSolidRing(e, m); });
  ForSelected(s.Heads, s.SgEnts, m, [&](TSolidRingEnt& e) { TurnSolidRing(e, m); });
  // Blocks are not changed: the writer never emits them.
}

// Stores the texts the second thread made, in the order it made them.
void StorePendingTexts(TTextPool& pool, const TPendingTexts& pending) {
  for (const auto& [ref, text] : pending) *ref = pool.AddShort(text);
}

// Transforms every record of d, cut for two threads as cut says.
void TransformAll(TDrawing& d, TSimilarity& m, TPassCut cut) {
  TPendingTexts pending;
  RunPass(m, cut, [&](TSimilarity& part, bool second) {
    if (second) part.Pending = &pending;
    TransformRecords(d, part);
  });
  StorePendingTexts(d.TextPool, pending);
}

}  // namespace

void TwoPointTransform(TDrawing& d, TWriteState& w, bool AllEntities, double DestX1, double DestY1,
                       double DestX2, double DestY2, const TEscapeKeySource& escapeKeyDown,
                       const TPathPolicy& policy) {
  const THpPoint& s1 = d.HpPoints[1];
  const THpPoint& s2 = d.HpPoints[2];
  const double destAngle = AngleDeg(Round(ext{DestX2} - DestX1), Round(ext{DestY2} - DestY1));
  const double srcAngle = AngleDeg(Round(ext{s2.X} - s1.X), Round(ext{s2.Y} - s1.Y));
  const double srcLength = Distance(s1.X, s1.Y, s2.X, s2.Y);
  const double destLength = Distance(DestX1, DestY1, DestX2, DestY2);
  if (srcLength < kSamePointTol || destLength < kSamePointTol) {
    AddMessageLine(w.Out, kSamePointMessage);
    return;
  }

  TSimilarity m;
  m.AllEntities = AllEntities;
  m.Group = d.First.Group;
  m.BaseX = s1.X;
  m.BaseY = s1.Y;
  m.DestX = DestX1;
  m.DestY = DestY1;
  m.Theta = Round(ext{destAngle} - srcAngle);
  m.Turn = TRotation(m.Theta);
  m.S = Round(ext{destLength} / srcLength);
  m.Scaling = std::fabs(m.S - 1.0) > kNoScaleTol;
  TransformAll(d, m, PassCutFor(d, policy));
  QueueTransformOutput(d, w, m.Check, escapeKeyDown, policy);
}

}  // namespace cadxform
