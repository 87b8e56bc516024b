// The exchange file reader: fills the drawing store from the host's file.
#pragma once

#include <string>
#include <string_view>

#include "platform/path.h"

namespace rek {

// Reads the whole file at path into the store, line by line. Returns true
// when the whole file was read; false when no file exists at path (the store
// is untouched) or reading failed (what was read so far stays).
bool ReadExchangeFile(const cadxform::platform::TPath& path);

// Applies one line of the file (without its line end) to the store.
void ParseLine(std::string_view line);

}  // namespace rek
