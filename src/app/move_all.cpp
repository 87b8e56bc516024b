#include "app/move_all.h"

#include "app/transform_common.h"
#include "cadxform/out_buffer.h"

namespace cadxform {

namespace {

// The offset applied to every selected position, and which records take part.
struct TMove {
  bool AllEntities;
  int32_t Group;
  double Dx, Dy;
  TFiniteCheck Check;  // every moved position
  TRecordShare Share;  // the records this part of the pass visits

  bool Takes(const TEntHead& head) const { return AllEntities || head.Group == Group; }

  // Each sum is formed in extended precision and rounded to double once, so
  // the Linux and Windows builds give identical bits.
  void Point(double& x, double& y) const {
    x = static_cast<double>(static_cast<long double>(x) + Dx);
    y = static_cast<double>(static_cast<long double>(y) + Dy);
    Check.Note(x);
    Check.Note(y);
  }
};

// Moves the records of s in m.Share.
void MoveRecords(TDrawing& s, const TMove& m) {
  ForSelected(s.Heads, s.Lines, m, [&](TLineEnt& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
  });
  ForSelected(s.Heads, s.Circles, m, [&](TCircleEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.Arcs, m, [&](TArcEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.Texts, m, [&](TTextEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.Points, m, [&](TPointEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.Marks, m, [&](TMarkEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.Dims, m, [&](TDimEnt& e) {
    m.Point(e.Line.X1, e.Line.Y1);
    m.Point(e.Line.X2, e.Line.Y2);
    m.Point(e.Text.X, e.Text.Y);
  });
  MapSolidCorners(s, m);
  ForSelected(s.Heads, s.ScEnts, m, [&](TSolidArcEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.SeEnts, m, [&](TSolidArcEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.SoEnts, m, [&](TSolidRingEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Heads, s.SgEnts, m, [&](TSolidRingEnt& e) { m.Point(e.X, e.Y); });
  // Blocks are not moved: the writer never emits them.
}

}  // namespace

void MoveAll(TDrawing& d, TWriteState& w, bool AllEntities, double TargetX, double TargetY,
             const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  const THpPoint& ref = d.HpPoints[1];
  TMove m;
  m.AllEntities = AllEntities;
  m.Group = d.First.Group;
  // The offset is rounded to double once; every position gets the same one.
  m.Dx = static_cast<double>(static_cast<long double>(TargetX) - ref.X);
  m.Dy = static_cast<double>(static_cast<long double>(TargetY) - ref.Y);
  RunPass(m, PassCutFor(d, policy), [&](const TMove& part, bool) { MoveRecords(d, part); });
  QueueTransformOutput(d, w, m.Check, escapeKeyDown, policy);
}

}  // namespace cadxform
