// Giving a large drawing's memory back on a second thread while the run
// writes its output: both take milliseconds for a large drawing, and
// neither needs the other.
#pragma once

#include <functional>
#include <memory>

#include "cadxform/drawing.h"
#include "parallel/path_policy.h"

namespace cadxform {

// Releases d and runs work(), which must not touch d: at the same time on
// two threads for a drawing of policy.ReleaseAsideFrom entities or more
// (when a thread can be had), else one after the other. d is gone when
// this returns, also when work throws. Returns what work returns.
bool ReleaseWhile(std::unique_ptr<TDrawing> d, const TPathPolicy& policy, const std::function<bool()>& work);

}  // namespace cadxform
