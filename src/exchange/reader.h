// The exchange file reader: fills a drawing from the host's file.
#pragma once

#include <string>
#include <string_view>

#include "exchange/drawing.h"
#include "exchange/read_state.h"
#include "platform/path.h"

namespace cadxform {

// Reads the whole file at path into d (normally a new drawing), line by
// line. Returns true when the whole file was read; false when no file exists
// at path (d is untouched) or reading failed (what was read so far stays).
bool ReadExchangeFile(const platform::TPath& path, TDrawing& d);

// Applies one line of the file (without its line end) to d, with r the
// reader's state from the lines before it.
void ParseLine(TDrawing& d, TReadState& r, std::string_view line);

}  // namespace cadxform
