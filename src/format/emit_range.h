// Emission of a stretch of the input order, the building block of EmitAll:
// the whole drawing in one go, or a stretch continuing from one a write
// state was primed to (PrimeRange). Reads as one pass: whoever cuts the
// order into stretches (emit_split.h) calls these, never the reverse.
#pragma once

#include <cstdint>
#include <functional>

#include "cadxform/drawing.h"
#include "cadxform/emit_options.h"
#include "format/write_state.h"

namespace cadxform {

// Source of the Escape key state: true while the key is down. An empty
// source is never down.
using TEscapeKeySource = std::function<bool()>;

// The Escape key is polled at every position of the input order that is a
// multiple of this.
inline constexpr int32_t kPollInterval = 100;

// What is polled.
struct TEmitPolls {
  const TEscapeKeySource& EscapeKeyDown;
};

// Asked at each poll position whether the writing must stop there.
class TStopTest {
 public:
  virtual ~TStopTest() = default;
  virtual bool StopRequested() const = 0;
};

// Polls the Escape key when pos is a poll position; true when the key was
// down.
bool PollAt(const TEmitPolls& polls, int32_t pos);

// The first poll position in [from, to) at which the Escape key is down,
// or `to` when none.
int32_t PollRange(const TEmitPolls& polls, int32_t from, int32_t to);

// Number of the polyline left open by the entity before position pos, 0
// for none: a line run of one positive polyline number continues across pos.
int32_t OpenPolylineBefore(const TDrawing& d, int32_t pos);

// The lines before the first entity: "bz" when the input had one.
void EmitOpening(const TDrawing& d, TWriteState& w);

// Writes the entities at positions [from, to) of d's input order into w,
// continuing the output as if every entity before `from` had been written
// by w. With polls, polls at each poll position first and stops there when
// the key is down; with stop, stops at a poll position once it says so.
// Returns the position it stopped at (`to` when it wrote them all). Does not
// discard anything.
int32_t EmitRange(const TDrawing& d, TWriteState& w, const TEmitOverrides& o, int32_t from,
                  int32_t to, const TEmitPolls* polls, const TStopTest* stop);

// Brings w's values written last and pending flags to what writing the
// entities at [from, to) would leave, w holding what writing those before
// `from` left. Writes nothing to w.Out. Notes only from the last entities
// that set each value on, so a long stretch costs little more than a short
// one.
void PrimeRange(const TDrawing& d, TWriteState& w, const TEmitOverrides& o, int32_t from, int32_t to);

// The lines after the last entity: when the writing stopped before the end
// (`complete` false: the Escape key) the whole output is abandoned first,
// "hd" and "bz" included; then the "lg"/"ly" lines that bring back d's own
// group and layer.
void EmitClosing(const TDrawing& d, TWriteState& w, bool complete);

}  // namespace cadxform
