#include "app/cmdline.h"

#include "cadxform/parse_number.h"

namespace cadxform {

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine cl;
  const size_t n = args.size();
  if (n >= 1) cl.Scope = StrToIntOrZero(args[0]);
  if (n >= 2) cl.Operation = StrToIntOrZero(args[1]);
  double* const coords[4] = {&cl.DestX1, &cl.DestY1, &cl.DestX2, &cl.DestY2};
  for (size_t i = 0; i < 4 && i + 2 < n; ++i) *coords[i] = StrToFloatOrZero(args[i + 2]);
  cl.AllEntities = cl.Scope == 1;
  return cl;
}

}  // namespace cadxform
