// rotate_scale SCOPE ANGLE FACTOR: turns the entities of the exchange file by
// ANGLE degrees counter-clockwise about indicated point 1 and scales them by
// FACTOR about it. SCOPE exactly 1 = every entity, else the file's first
// layer group. The library's run sequence does everything else.
#include <cadxform/cadxform.h>

using namespace cadxform;

int main(int argc, char** argv) {
  return RunExternalTransform(argc, argv, [](TRunContext& run) {
    const THpPoint& base = run.Drawing().HpPoints[1];
    const double angle = run.RealArgument(2);
    const double factor = run.RealArgument(3, 1.0);
    // No turn and no scale: a translation by nothing, which touches
    // positions only, as the tool's translation does (a similarity would
    // still normalise degree angles and rewrite parameter texts).
    if (angle == 0 && factor == 1) return run.Transform(TTranslation{});
    return run.Transform(TSimilarity(base.X, base.Y, base.X, base.Y, angle, factor));
  });
}
