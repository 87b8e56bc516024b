// The tool's command line: up to six positional numeric arguments.
//
//   1 scope      StrToIntOrZero,   default 0: exactly 1 = every entity,
//                                  else only the layer group of the file's
//                                  first "lg" line
//   2 operation  StrToIntOrZero,   default 1: 1 or 2 = translation,
//                                  anything else = two-point transform
//   3..6         StrToFloatOrZero, default 0.0: destination points D1, D2
// Arguments after the sixth are ignored. A malformed argument reads as 0, so
// a malformed operation selects the two-point transform while an absent one
// selects the translation.
//   {}                 -> translation of the first group to (0, 0)
//   {"1","1","25.5"}   -> translation of every entity to (25.5, 0)
//   {"1","abc"}        -> two-point transform
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cadxform {

struct TCommandLine {
  int32_t Scope = 0;
  int32_t Operation = 1;
  double DestX1 = 0.0;
  double DestY1 = 0.0;
  double DestX2 = 0.0;
  double DestY2 = 0.0;
  bool AllEntities = false;  // Scope == 1

  // Operation 1 or 2 runs the translation; any other value the two-point
  // similarity transform.
  bool IsTranslation() const { return Operation == 1 || Operation == 2; }
};

// Reads the arguments (program name excluded) into a TCommandLine.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace cadxform
