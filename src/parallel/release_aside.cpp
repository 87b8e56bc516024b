#include "parallel/release_aside.h"

#include "parallel/worker_thread.h"

namespace cadxform {

bool ReleaseWhile(std::unique_ptr<TDrawing> d, const TPathPolicy& policy, const std::function<bool()>& work) {
  const bool aside = d->Order.Count() >= policy.ReleaseAsideFrom;
  TWorkerThread releaser;  // joined before d goes, whatever work does
  if (!aside || !releaser.Start([&d] { d.reset(); })) d.reset();
  return work();
}

}  // namespace cadxform
