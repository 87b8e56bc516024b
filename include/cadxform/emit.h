// The emission driver: writes a whole drawing in input order, each entity
// preceded by the attribute lines it needs.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "cadxform/drawing.h"
#include "cadxform/write_state.h"

namespace cadxform {

// Attribute values forced on every entity. Group and layer override only
// inside 0..15; the other seven override unless exactly -1.
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
