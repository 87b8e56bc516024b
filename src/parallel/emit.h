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

#include "cadxform/drawing.h"
#include "cadxform/emit_options.h"
#include "format/emit_range.h"
#include "format/write_state.h"

namespace cadxform {

// Emits every entity of d in input order into w ("bz" first when the input
// had one), then the closing "lg"/"ly" lines of d's first group and layer.
// Reads d only; changes w (values written last, pending flags, output).
// escapeKeyDown is polled every 100 entities: when it reports the key down,
// the whole output is discarded.
void EmitAll(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides = TEmitOverrides(),
             const TEscapeKeySource& escapeKeyDown = TEscapeKeySource());

}  // namespace cadxform
