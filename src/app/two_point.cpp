#include "app/transforms.h"

#include "cadxform/geometry.h"
#include "cadxform/transform.h"

namespace cadxform {

namespace {

// Intermediates in extended precision, rounded to double once (see
// cadxform/similarity.h).
using ext = long double;
double Round(ext v) { return static_cast<double>(v); }

// Indicated or destination points closer than this count as one point.
constexpr double kSamePointTol = 1e-8;

}  // namespace

std::optional<TSimilarity> TwoPointSimilarity(const TDrawing& d, double DestX1, double DestY1, double DestX2,
                                              double DestY2) {
  const THpPoint& s1 = d.HpPoints[1];
  const THpPoint& s2 = d.HpPoints[2];
  const double destAngle = AngleDeg(Round(ext{DestX2} - DestX1), Round(ext{DestY2} - DestY1));
  const double srcAngle = AngleDeg(Round(ext{s2.X} - s1.X), Round(ext{s2.Y} - s1.Y));
  const double srcLength = Distance(s1.X, s1.Y, s2.X, s2.Y);
  const double destLength = Distance(DestX1, DestY1, DestX2, DestY2);
  if (srcLength < kSamePointTol || destLength < kSamePointTol) return std::nullopt;
  return TSimilarity(s1.X, s1.Y, DestX1, DestY1, Round(ext{destAngle} - srcAngle),
                     Round(ext{destLength} / srcLength));
}

TTransformResult TwoPointTransform(TRunContext& run, bool AllEntities, double DestX1, double DestY1, double DestX2,
                                   double DestY2) {
  TDrawing& d = run.Drawing();
  const std::optional<TSimilarity> similarity = TwoPointSimilarity(d, DestX1, DestY1, DestX2, DestY2);
  if (!similarity) return trSamePoint;
  return run.Transform(*similarity, TSelection::Of(d, AllEntities));
}

TTransformResult TwoPointTransform(TDrawing& d, bool AllEntities, double DestX1, double DestY1, double DestX2,
                                   double DestY2) {
  const std::optional<TSimilarity> similarity = TwoPointSimilarity(d, DestX1, DestY1, DestX2, DestY2);
  if (!similarity) return trSamePoint;
  return TransformDrawing(d, *similarity, TSelection::Of(d, AllEntities)) ? trDone : trOutOfRange;
}

}  // namespace cadxform
