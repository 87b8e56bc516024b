#include "app/run.h"

#include "app/cmdline.h"
#include "app/transforms.h"
#include "parallel/pass_cut.h"

namespace cadxform {

TTransformResult ApplyCommandLine(TRunContext& run) {
  TDrawing& d = run.Drawing();
  const TCommandLine cl = ParseCommandLine(run.Arguments());
  const TPassCut cut = PassCutFor(d, run.Policy());
  return cl.IsTranslation()
             ? MoveAll(d, cl.AllEntities, cl.DestX1, cl.DestY1, cut)
             : TwoPointTransform(d, cl.AllEntities, cl.DestX1, cl.DestY1, cl.DestX2, cl.DestY2, cut);
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
  TRunContext run(d, args, &policy);
  QueueTransformOutput(d, w, ApplyCommandLine(run), escapeKeyDown, policy);
}

}  // namespace cadxform
