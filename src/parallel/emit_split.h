// Writing a drawing on one thread or, when it is large, in segments on two
// threads: the driver around the emission of stretches (emit_range.h).
#pragma once

#include <cstdint>

#include "cadxform/drawing.h"
#include "parallel/emit.h"
#include "format/write_state.h"
#include "parallel/path_policy.h"

namespace cadxform {

// The segment size EmitAll writes a drawing of `total` entities in under
// policy: -1 for one thread.
int32_t SegmentSizeFor(int32_t total, const TPathPolicy& policy);

// EmitAll with the segments of a large drawing sized as policy says.
void EmitAll(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
             const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy);

// EmitAll, with the input order cut into segments of `segment` entities
// that this thread and a second one write in turn, or all on this thread
// when segment is -1 or not below the entity count, or no thread can be
// started. The output, the polls and the final write state are those of
// one pass whatever the segment size.
void EmitAllInSegments(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
                       const TEscapeKeySource& escapeKeyDown, int32_t segment);

}  // namespace cadxform
