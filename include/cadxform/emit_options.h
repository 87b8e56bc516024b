// Attribute values forced on every entity written: TRunContext::Overrides
// (run.h).
#pragma once

#include <cstdint>

namespace cadxform {

// Attribute values forced on every entity. Group and layer override only
// inside 0..15; the other seven override unless exactly -1 (the default:
// every entity keeps its own values).
//   GroupOverride, LayerOverride: every kind.
//   ColorOverride: the "lc" colour of lines, circles, arcs and dimension
//     lines, the "pn" colour of points and marks, the colour of solids
//     (10 there selects the RGB colour RgbOverride).
//   LineTypeOverride: lines, circles, arcs, dimension lines.
//   LineWidthOverride: lines, circles, arcs, points, marks, dimension lines,
//     two-point solids and "se" solids.
//   TextColorOverride: texts and dimension texts, written in the free size
//     (kind 0) with their own width, height and spacing and this colour.
//   CcOverride: the "cc" value of texts and dimension texts.
struct TEmitOverrides {
  int32_t GroupOverride = -1;
  int32_t LayerOverride = -1;
  int32_t ColorOverride = -1;
  int32_t LineTypeOverride = -1;
  int32_t LineWidthOverride = -1;
  int32_t TextColorOverride = -1;
  int32_t CcOverride = -1;
  int32_t RgbOverride = 0;
};

}  // namespace cadxform
