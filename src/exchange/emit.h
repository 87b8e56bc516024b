// The emission driver: writes the whole store back in input order, each
// entity preceded by the attribute lines it needs.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace rek {

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

// Source of the Escape key state, polled every 100 entities. The default
// source is never down; the program installs the platform's own.
using TEscapeKeySource = std::function<bool()>;
void SetEscapeKeySource(TEscapeKeySource source);
bool EscapeKeyDown();

// Emits every stored entity in input order ("bz" first when the input had
// one), then the closing "lg"/"ly" lines of FirstGroup and FirstLayer.
// When the Escape key is down at a check, the whole output is discarded.
void EmitAll(const TEmitOverrides& overrides = TEmitOverrides(), TProgress* progress = nullptr);

}  // namespace rek
