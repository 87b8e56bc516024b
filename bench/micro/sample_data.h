// Typical inputs for the micro-benchmarks, taken from a generated drawing,
// so that the mix of lines, number tokens and values is that of a real
// exchange file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bench {

// Lines of a generated drawing of a few thousand entities, without CR LF.
const std::vector<std::string>& SampleLines();

// The number tokens of those lines that hold reals ("1234.5", "87.25",
// "0.125", "-2524.8", "1234.56789012345", ...).
const std::vector<std::string>& SampleRealTokens();

// Integer tokens as the attribute and mark lines carry them ("3", "15",
// "255", "-1", "16777215", "$F" ...).
const std::vector<std::string>& SampleIntTokens();

// The values of SampleRealTokens: short decimals as the host writes them.
const std::vector<double>& SampleCoordinates();

// The same values turned by 30 degrees and scaled by 1.5 about a point, as
// the two-point transform leaves them: mostly 15 significant digits.
const std::vector<double>& SampleTransformedCoordinates();

}  // namespace bench
