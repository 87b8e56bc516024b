// Emission of a stretch of the input order, the building block of EmitAll:
// the whole drawing in one go, or segments of it written side by side by
// two threads in turn, each into a write state of its own.
#pragma once

#include <atomic>
#include <cstdint>

#include "cadxform/drawing.h"
#include "cadxform/emit.h"
#include "cadxform/write_state.h"
#include "exchange/path_policy.h"

namespace cadxform {

// The progress display and the Escape poll run at every position of the
// input order that is a multiple of this.
inline constexpr int32_t kPollInterval = 100;

// What is polled, and the entity count the progress text shows.
struct TEmitPolls {
  const TEscapeKeySource& EscapeKeyDown;
  TProgress* Progress;
  int32_t Total;
};

// Shows the progress of position pos and polls the Escape key, when pos is
// a poll position; true when the key was down.
bool PollAt(const TEmitPolls& polls, int32_t pos);

// The first poll position in [from, to) at which the Escape key is down
// (showing the progress of each position polled), or `to` when none.
int32_t PollRange(const TEmitPolls& polls, int32_t from, int32_t to);

// Number of the polyline left open by the entity before position pos, 0
// for none: a line run of one positive polyline number continues across pos.
int32_t OpenPolylineBefore(const TDrawing& d, int32_t pos);

// Writes the entities at positions [from, to) of d's input order into w,
// continuing the output as if every entity before `from` had been written
// by w. With polls, polls at each poll position first and stops there when
// the key is down; with stop, stops at a poll position once *stop is set.
// Returns the position it stopped at (`to` when it wrote them all). Does not
// discard anything.
int32_t EmitRange(const TDrawing& d, TWriteState& w, const TEmitOverrides& o, int32_t from,
                  int32_t to, const TEmitPolls* polls, const std::atomic<bool>* stop);

// Brings w's values written last and pending flags to what writing the
// entities at [from, to) would leave, without formatting their lines. The
// attribute lines still go to w.Out: the caller discards them.
void PrimeRange(const TDrawing& d, TWriteState& w, const TEmitOverrides& o, int32_t from, int32_t to);

// The segment size EmitAll writes a drawing of `total` entities in under
// policy: -1 for one thread.
int32_t SegmentSizeFor(int32_t total, const TPathPolicy& policy);

// EmitAll with the segments of a large drawing sized as policy says.
void EmitAll(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
             const TEscapeKeySource& escapeKeyDown, TProgress* progress, const TPathPolicy& policy);

// EmitAll, with the input order cut into segments of `segment` entities
// that this thread and a second one write in turn, or all on this thread
// when segment is -1 or not below the entity count, or no thread can be
// started. The output, the polls and the final write state are those of
// one pass whatever the segment size.
void EmitAllInSegments(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
                       const TEscapeKeySource& escapeKeyDown, TProgress* progress, int32_t segment);

}  // namespace cadxform
