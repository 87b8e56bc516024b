#include "app/transforms.h"

#include "cadxform/similarity.h"
#include "parallel/pass_cut.h"

namespace cadxform {

TTransformResult MoveAll(TDrawing& d, bool AllEntities, double TargetX, double TargetY,
                         TPassCut cut) {
  const THpPoint& ref = d.HpPoints[1];
  // The offset is rounded to double once; every position gets the same one.
  const TTranslation move{static_cast<double>(static_cast<long double>(TargetX) - ref.X),
                          static_cast<double>(static_cast<long double>(TargetY) - ref.Y)};
  const bool finite = TransformDrawing(d, move, TSelection::Of(d, AllEntities), cut);
  return finite ? trDone : trOutOfRange;
}

}  // namespace cadxform
