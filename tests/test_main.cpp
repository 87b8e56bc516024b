// Test entry: the same extended-precision set-up as the tool itself. The
// arguments left after GoogleTest's own flags are kept in TestArgs (the
// end-to-end tests take the executable and case folders from there).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cadxform/fp_setup.h"
#include "test_args.h"

std::vector<std::string> TestArgs;

int main(int argc, char** argv) {
  cadxform::EnsureExtendedPrecision();
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) TestArgs.emplace_back(argv[i]);
  return RUN_ALL_TESTS();
}
