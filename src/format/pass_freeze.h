// Holding a drawing's head table and text pool still while a transform pass
// runs: the pass may share the records between two threads, which both
// read the table, and a pool that grew on two threads at once would hand
// out the same bytes twice. So no rule may add a head or a text meanwhile:
// THeadTable::Intern and TTextPool::Add throw TPassRuleBroken then, and a
// rule sets heads and texts through its ops, stored once the pass is over.
#pragma once

#include <stdexcept>
#include <string_view>

#include "cadxform/drawing.h"

namespace cadxform {

// A transform broke a rule of the pass (it added a head or a text to the
// drawing while the pass ran). A std::logic_error, told apart from every
// other one a transform may throw.
class TPassRuleBroken : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class TDrawingHeldStill {
 public:
  explicit TDrawingHeldStill(TDrawing& d);
  // True while a pass holds d still (a pass begun inside a pass is a
  // broken rule).
  static bool IsHeld(const TDrawing& d) { return d.TextPool.held_; }
  ~TDrawingHeldStill();
  TDrawingHeldStill(const TDrawingHeldStill&) = delete;
  TDrawingHeldStill& operator=(const TDrawingHeldStill&) = delete;

  // Adds s (cut to a short text) to a pool held still: only the part of a
  // pass that runs on the drawing's own thread may, the other waits.
  static TTextRef AddOwnText(TTextPool& pool, std::string_view s) { return pool.Append(CutShort(s)); }

 private:
  // Holds (or lets go of) every array of d, the head table and the pool.
  static void Hold(TDrawing& d, bool held);

  TDrawing& d_;
};

}  // namespace cadxform
