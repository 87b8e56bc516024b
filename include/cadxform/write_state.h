// The state of one emission: what the writer wrote last, which attribute
// lines must be written whatever was written last, the output buffer and
// the temporary file it spills into.
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
#include "cadxform/out_buffer.h"

namespace cadxform {

// The temporary file of the file writer (file_writer.h); its own business.
class TTempFileSink;

struct TWriteState {
  // Ready to write an empty drawing: as after ResetAttrState. Throws
  // std::bad_alloc when memory runs out.
  TWriteState();
  TWriteState(const TWriteState&) = delete;
  TWriteState& operator=(const TWriteState&) = delete;
  // Deletes a temporary file begun and never written (BeginExchangeFile).
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
  // The temporary file Out spills into once BeginExchangeFile created it:
  // the file writer's own business.
  friend struct TWriteStateFile;
  std::unique_ptr<TTempFileSink> spill_;
};

// Prepares w for writing drawing d: all ten PendingAttr flags true, the
// values written last back to their defaults, and d's first-seen attributes
// taken over. The output buffer is left as it is.
void ResetAttrState(TWriteState& w, const TDrawing& d);

}  // namespace cadxform
