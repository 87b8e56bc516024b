#include "cadxform/write_rules.h"

#include "cadxform/record_kinds.h"
#include "format/drop_rules.h"

namespace cadxform {

using namespace drop;

bool IsWritten(const TLineEnt& e) { return !SamePoint(e.X1, e.Y1, e.X2, e.Y2); }
bool IsWritten(const TCircleEnt& e) { return !IsTooSmallRadius(e.R); }
bool IsWritten(const TArcEnt& e) { return IsDrawableArc(e.R, e.Ratio); }
bool IsWritten(const TTextEnt& e) { return IsDrawableText(e.Text.View(), e.Dx, e.Dy); }
bool IsWritten(const TPointEnt&) { return true; }
bool IsWritten(const TMarkEnt&) { return true; }
bool IsWritten(const TDimEnt& e) {
  return IsDrawableDim(e.Line.X1, e.Line.Y1, e.Line.X2, e.Line.Y2, e.Text.Dx, e.Text.Dy);
}
bool IsWritten(const TRekEntBlk&) { return false; }
bool IsWritten(const TSolid2Ent& e) { return !SamePoint(e.X1, e.Y1, e.X2, e.Y2); }
bool IsWritten(const TSolid3Ent& e) { return IsDrawableSolid3(e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3); }

bool IsWritten(const TSolid4Ent& e) {
  switch (Solid4Form(e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3, e.X4, e.Y4)) {
    case s4Dropped:
      return false;
    case s4Without2:
      return IsDrawableSolid3(e.X1, e.Y1, e.X3, e.Y3, e.X4, e.Y4);
    case s4Without3:
      return IsDrawableSolid3(e.X1, e.Y1, e.X2, e.Y2, e.X4, e.Y4);
    case s4Without4:
      return IsDrawableSolid3(e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3);
    case s4Whole:
      break;
  }
  return true;
}

bool IsWritten(const TSolidRingEnt& e) { return IsDrawableRing(e.R, e.Ratio, e.R2); }

bool IsWritten(const TSolidArcEnt& e, TEntKind kind) {
  if (!IsDrawableArc(e.R, e.Ratio)) return false;
  return kind == ekSc ? IsScCode(e.Code) : kind == ekSe && IsSeCode(e.Code);
}

bool IsWritten(const TDrawing& d, TOrderEntry entry) {
  bool written = false;
  WithKind(d, entry.Kind, [&](auto kind, const auto& records) {
    if (entry.Index < 0 || entry.Index >= records.Count()) return;
    if constexpr (kind == ekSc || kind == ekSe) {
      written = IsWritten(records[entry.Index], kind);
    } else {
      written = IsWritten(records[entry.Index]);
    }
  });
  return written;
}

}  // namespace cadxform
