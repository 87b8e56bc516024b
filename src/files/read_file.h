// Reading the exchange file with the sizes of a path policy: the entry the
// run sequence and the tests use; cadxform/reader.h has the library's.
#pragma once

#include "cadxform/drawing.h"
#include "files/reader.h"
#include "parallel/path_policy.h"

namespace cadxform {

// ReadExchangeFile with the read chunk, and whether and in what batches a
// large file is read on two threads, taken from policy.
bool ReadExchangeFile(const platform::TPath& path, TDrawing& d, const TPathPolicy& policy);

}  // namespace cadxform
