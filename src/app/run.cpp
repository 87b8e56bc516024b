#include "app/run.h"

#include "app/cmdline.h"
#include "app/transforms.h"

namespace cadxform {

TTransformResult ApplyCommandLine(TRunContext& run) {
  const TCommandLine cl = ParseCommandLine(run.Arguments());
  return cl.IsTranslation() ? MoveAll(run, cl.AllEntities, cl.DestX1, cl.DestY1)
                            : TwoPointTransform(run, cl.AllEntities, cl.DestX1, cl.DestY1, cl.DestX2, cl.DestY2);
}

int RunTool(const std::vector<std::string>& args, const platform::TPath& exeDir, std::FILE* errors,
            const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  return RunSequence(args, exeDir, "cadxform", errors, ApplyCommandLine, escapeKeyDown, policy);
}

void QueueTransformOutput(const TDrawing& d, TWriteState& w, TTransformResult result,
                          const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  QueueRunOutput(d, w, result, TEmitOverrides(), {}, escapeKeyDown, policy);
}

void DispatchCommandLine(const std::vector<std::string>& args, TDrawing& d, TWriteState& w,
                         const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  ApplyAndQueue(d, w, args, ApplyCommandLine, escapeKeyDown, policy);
}

}  // namespace cadxform
