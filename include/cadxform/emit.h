// The emission: writes a whole drawing in input order, each entity preceded
// by the attribute lines it needs.
//
// What EmitAll appends to the output (after the "hd" line its caller
// queues first):
//   - "bz" when the input had one;
//   - per entity, the attribute lines of its kind (layer group "lg" and
//     layer "ly" in hex, colour "lc", line type "lt", width "lw", text kind
//     "cn", "cc", font "cn\"$name", point colour "pn", solid colour
//     "lc10 rgb", z-flags "z1".."z5"), each only when its value differs from
//     the one written last or the line is still pending (every line is
//     pending after ResetAttrState); then the entity's own line(s). Numbers
//     use the real form: 15 significant digits, full stop, no trailing zeros;
//   - runs of lines of one polyline between "pl" and "#", dimensions as a
//     "msg" block; block references ("BL") are never written;
//   - at the end "lg"/"ly" lines that bring back the drawing's first layer
//     group and layer, when they are not in force.
// Overrides force one attribute on every entity it applies to; values
// out of range are still brought into range by the attribute lines.
//
// Example: the drawing read from
//   lg2
//   lc1
//   0 0 5 5
//   lc3
//   ci 1 1 3
// is written by AddOutLine(w.Out, "hd"); EmitAll(d, w); as
//   hd  lg2  ly0  lc1  lt1  lw0  0 0 5 5  lc3  ci 1 1 3
// and with overrides.ColorOverride = 5 as
//   hd  lg2  ly0  lc5  lt1  lw0  0 0 5 5  ci 1 1 3
// (one line each, ended by CR LF in the file).
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "cadxform/drawing.h"
#include "cadxform/write_state.h"

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

// Optional progress display: set its text and repaint it at once.
class TProgress {
 public:
  virtual ~TProgress() = default;
  virtual void SetTextAndRepaint(std::string_view text) = 0;
};

// Source of the Escape key state: true while the key is down. An empty
// source is never down.
using TEscapeKeySource = std::function<bool()>;

// Emits every entity of d in input order into w ("bz" first when the input
// had one), then the closing "lg"/"ly" lines of d's first group and layer.
// Reads d only; changes w (values written last, pending flags, output).
// escapeKeyDown is polled every 100 entities: when it reports the key down,
// the whole output is discarded.
void EmitAll(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides = TEmitOverrides(),
             const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(), TProgress* progress = nullptr);

}  // namespace cadxform
