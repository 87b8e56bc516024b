// The tool's own transform step and its run: the command line picks the
// translation or the two-point transform (cmdline.h, transforms.h), and
// the library's run sequence (run/run_sequence.h) does the rest.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cadxform/drawing.h"
#include "cadxform/path.h"
#include "cadxform/run.h"
#include "format/write_state.h"
#include "parallel/emit.h"
#include "parallel/path_policy.h"
#include "run/run_sequence.h"

namespace cadxform {

// The tool's transform step: reads the arguments (ParseCommandLine) and
// runs exactly one transformation of the run's drawing (MoveAll or
// TwoPointTransform) through the run's pass.
TTransformResult ApplyCommandLine(TRunContext& run);

// The tool's whole run (RunSequence with ApplyCommandLine, failures said
// as "cadxform: ..."). Returns the exit status.
int RunTool(const std::vector<std::string>& args, const platform::TPath& exeDir, std::FILE* errors,
            const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(),
            const TPathPolicy& policy = TPathPolicy());

// Queues in w the output of a transformation of d that ended in result,
// with no overrides (QueueRunOutput).
void QueueTransformOutput(const TDrawing& d, TWriteState& w, TTransformResult result,
                          const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(),
                          const TPathPolicy& policy = TPathPolicy());

// ApplyCommandLine on d, then its output queued in w (QueueTransformOutput).
void DispatchCommandLine(const std::vector<std::string>& args, TDrawing& d, TWriteState& w,
                         const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(),
                         const TPathPolicy& policy = TPathPolicy());

}  // namespace cadxform
