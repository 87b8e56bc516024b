#include "app/transforms.h"

#include "cadxform/transform.h"

namespace cadxform {

TTranslation MoveAllTranslation(const TDrawing& d, double TargetX, double TargetY) {
  const THpPoint& ref = d.HpPoints[1];
  return TTranslation{static_cast<double>(static_cast<long double>(TargetX) - ref.X),
                      static_cast<double>(static_cast<long double>(TargetY) - ref.Y)};
}

TTransformResult MoveAll(TRunContext& run, bool AllEntities, double TargetX, double TargetY) {
  TDrawing& d = run.Drawing();
  return run.Transform(MoveAllTranslation(d, TargetX, TargetY), TSelection::Of(d, AllEntities));
}

TTransformResult MoveAll(TDrawing& d, bool AllEntities, double TargetX, double TargetY) {
  const bool finite = TransformDrawing(d, MoveAllTranslation(d, TargetX, TargetY), TSelection::Of(d, AllEntities));
  return finite ? trDone : trOutOfRange;
}

}  // namespace cadxform
