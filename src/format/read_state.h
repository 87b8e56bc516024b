// The reader's own state while it fills a drawing: the running attributes,
// the open polyline and dimension blocks, the dimension line waiting for its
// text, and the token buffer reused from line to line.
#pragma once

#include <array>
#include <cstdint>

#include "cadxform/drawing.h"
#include "format/attr_index.h"
#include "format/tokenizer.h"

namespace cadxform {

struct TReadState {
  // The state at the start of a file that will be read into d. Adds the
  // default head to d's head table: throws std::bad_alloc when memory runs
  // out.
  explicit TReadState(TDrawing& d);

  // Running attributes: the values of the attribute lines read so far.
  TAttrs Cur;
  int32_t CurHhpNo = 0;   // number of the last "hhp" line
  int32_t CurZFlags = 0;  // bits of the "z1".."z5" lines since the last entity
  // Per attribute paGroup..paTextKind: no line of this kind read yet (the
  // next one also sets the drawing's first-seen value).
  std::array<bool, paTextKind + 1> FirstUnseen;

  // Blocks: polyline number of the last "pl", and which block is open.
  int32_t PlCount = 0;
  bool InPl = false;
  bool InDim = false;
  // The four-number line of the open dimension block, waiting for its "cs"
  // text.
  TLineEnt PendingDimLine;

  // The tokens of the line being parsed, reused so that parsing allocates
  // nothing once the buffer fits the longest line.
  TTokenLine Tokens;
};

}  // namespace cadxform
