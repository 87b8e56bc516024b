// The run sequence of the tool: read the exchange file beside the
// executable, run one transformation, rewrite the file.
#pragma once

#include <string>
#include <vector>

namespace rek {

// Name of the exchange file in the executable's folder.
inline constexpr const char* kExchangeFileName = "ZPH_TEMP.TXT";

// Runs the whole sequence for the arguments (program name excluded) with the
// exchange file in exeDir (which ends in its path delimiter, or is empty for
// the current folder):
//   InitStore; ReadExchangeFile; ResetAttrState; DispatchCommandLine;
//   WriteExchangeFile; FreeStore.
// Returns the process exit status.
int RunTool(const std::vector<std::string>& args, const std::string& exeDir);

}  // namespace rek
