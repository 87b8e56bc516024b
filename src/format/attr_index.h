// The attributes by index: the reader's first-line flags (0..5) and the
// writer's pending flags (all ten).
#pragma once

namespace cadxform {

enum TPendingIndex : int {
  paGroup = 0,
  paLayer = 1,
  paColor = 2,
  paLineType = 3,
  paLineWidth = 4,
  paTextKind = 5,
  paCc = 6,
  paFontName = 7,
  paPointColor = 8,
  paSolidColor = 9,
};
inline constexpr int kAttrCount = 10;

}  // namespace cadxform
