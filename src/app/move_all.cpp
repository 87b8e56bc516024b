#include "app/move_all.h"

#include "app/selection.h"
#include "exchange/emit.h"
#include "exchange/out_buffer.h"
#include "exchange/store.h"

namespace rek {

namespace {

// The offset applied to every selected position, and which records take part.
struct TMove {
  bool AllEntities;
  int32_t Group;
  double Dx, Dy;

  bool Takes(const TEntHead& head) const { return AllEntities || head.Group == Group; }

  // Each sum is formed in extended precision and rounded to double once,
  // as the x87 unit of the original 32-bit platform did.
  void Point(double& x, double& y) const {
    x = static_cast<double>(static_cast<long double>(x) + Dx);
    y = static_cast<double>(static_cast<long double>(y) + Dy);
  }
};

void MoveRecords(const TMove& m) {
  TDrawingStore& s = Store;
  ForSelected(s.Lines, m, [&](TLineEnt& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
  });
  ForSelected(s.Circles, m, [&](TCircleEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Arcs, m, [&](TArcEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Texts, m, [&](TTextEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Points, m, [&](TPointEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Marks, m, [&](TMarkEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.Dims, m, [&](TDimEnt& e) {
    m.Point(e.Line.X1, e.Line.Y1);
    m.Point(e.Line.X2, e.Line.Y2);
    m.Point(e.Text.X, e.Text.Y);
  });
  MapSolidCorners(s, m);
  ForSelected(s.ScEnts, m, [&](TSolidArcEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.SeEnts, m, [&](TSolidArcEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.SoEnts, m, [&](TSolidRingEnt& e) { m.Point(e.X, e.Y); });
  ForSelected(s.SgEnts, m, [&](TSolidRingEnt& e) { m.Point(e.X, e.Y); });
  // Blocks are not moved: the writer never emits them.
}

}  // namespace

void MoveAll(bool AllEntities, double TargetX, double TargetY) {
  const THpPoint& ref = Store.HpPoints[1];
  TMove m;
  m.AllEntities = AllEntities;
  m.Group = Store.FirstGroup;
  // The offset is rounded to double once; every position gets the same one.
  m.Dx = static_cast<double>(static_cast<long double>(TargetX) - ref.X);
  m.Dy = static_cast<double>(static_cast<long double>(TargetY) - ref.Y);
  MoveRecords(m);
  AddOutLine("hd");
  EmitAll();
}

}  // namespace rek
