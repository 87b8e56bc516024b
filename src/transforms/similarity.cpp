#include "cadxform/similarity.h"

#include <cmath>
#include <optional>

#include "cadxform/rounding.h"
#include "numeric/number_forms.h"
#include "transforms/param_text.h"

namespace cadxform {

namespace {

// A scale factor within this of 1 does not count as scaling.
constexpr double kNoScaleTol = 1e-10;

// A text whose size changes leaves its numbered kind for a free size.
void ScaleTextSize(TTextEnt& t, const TRecordOps<TSimilarity>& ops) {
  t.Kind = 0;
  ops.Length(t.Width);
  ops.Length(t.Height);
  ops.Length(t.Spacing);
}

}  // namespace

TSimilarity::TSimilarity(double baseX, double baseY, double destX, double destY, double thetaDeg,
                         double scale)
    : baseX_(baseX),
      baseY_(baseY),
      destX_(destX),
      destY_(destY),
      theta_(thetaDeg),
      turn_(thetaDeg),
      s_(scale),
      scaling_(std::fabs(scale - 1.0) > kNoScaleTol) {}

void TSimilarity::Record(TTextEnt& t, const TRecordOps<TSimilarity>& ops) const {
  ops.Point(t.X, t.Y);
  if (IsParamText(t.Text.View())) {
    // The number list carries the size and angle; the text itself keeps
    // its vector, kind and sizes.
    if (const std::optional<TParamList> params = RewrittenParams(t.Text.View(), s_, theta_)) {
      for (double v : params->Values) ops.Note(v);
      ops.SetText(t.Text, ParamTextOf(t.Text.View(), *params));
    }
    return;
  }
  ops.Vector(t.Dx, t.Dy);
  if (scaling_) ScaleTextSize(t, ops);
}

// The text of a dimension is its measured length: re-measured when the
// transform scales. It is never treated as a parameter text.
void TSimilarity::Record(TDimEnt& d, const TRecordOps<TSimilarity>& ops) const {
  TLineEnt& l = d.Line;
  ops.Point(l.X1, l.Y1);
  ops.Point(l.X2, l.Y2);
  const double length = Distance(l.X1, l.Y1, l.X2, l.Y2);
  ops.Point(d.Text.X, d.Text.Y);
  ops.Vector(d.Text.Dx, d.Text.Dy);
  if (!scaling_) return;
  ScaleTextSize(d.Text, ops);
  const double measured = RoundDigits(8, 2, length);
  ops.Note(measured);
  ops.SetText(d.Text.Text, RealForm(measured));
}

}  // namespace cadxform
