// The state of one emission: what the writer wrote last, which attribute
// lines must be written whatever was written last, the output buffer and,
// for the output of the exchange file, the sink it spills into (the file
// writer's temporary file; a write state of its own for a segment of the
// output has none).
//
// The emission (emit.h) compares each attribute value with the one written
// last and writes its line only when it differs or is pending, and appends
// the entity lines to Out. A write state belongs to one output; a
// second output (another file, or a second writer that continues the same
// file from a split point) takes a write state of its own, primed with the
// values the first one would have written last.
//
// Lifecycle: TWriteState w; ResetAttrState(w, d); BeginExchangeFile(w,
// path); ... EmitAll(d, w) ...; WriteExchangeFile(w, path).
#pragma once

#include <array>
#include <memory>

#include "cadxform/drawing.h"
#include "format/attr_index.h"
#include "format/out_buffer.h"

namespace cadxform {

struct TWriteState {
  // Ready to write an empty drawing: as after ResetAttrState.
  TWriteState();
  TWriteState(const TWriteState&) = delete;
  TWriteState& operator=(const TWriteState&) = delete;
  // Destroys the sink it owns: a temporary file begun and never written
  // (BeginExchangeFile) is deleted.
  ~TWriteState();

  // The drawing's first-seen attributes (set by ResetAttrState): the values
  // written for out-of-range numbers, -1 widths and missing font names.
  TAttrs First;
  // The values written last.
  TAttrs Last;
  // Per attribute (TPendingIndex): write its line before the next entity
  // whatever was written last.
  std::array<bool, kAttrCount> PendingAttr;
  // Lines queued for the output file.
  TOutBuffer Out;

 private:
  // The sink Out spills into once BeginExchangeFile made it (the file
  // writer's temporary file, its own business); none before.
  friend struct TWriteStateFile;
  std::unique_ptr<TOutSink> spill_;
  // A write of this state failed: its output is gone, and every later
  // write with it fails (the file writer's business).
  bool spent_ = false;
};

// Prepares w for writing drawing d: all ten PendingAttr flags true, the
// values written last back to their defaults, and d's first-seen attributes
// taken over. The output buffer is left as it is.
void ResetAttrState(TWriteState& w, const TDrawing& d);

}  // namespace cadxform
