// The reader's line dispatcher: one line of the exchange file applied to a
// drawing (ReadExchangeFile in cadxform/reader.h reads a whole file).
#pragma once

#include <string_view>

#include "cadxform/drawing.h"
#include "format/read_state.h"
#include "format/token_view.h"

namespace cadxform {

// Applies one line of the file (without its line end) to d, with r the
// reader's state from the lines before it: splits it into r.Tokens and
// calls ParseTokens.
void ParseLine(TDrawing& d, TReadState& r, std::string_view line);

// ParseLine for a line already split: applies the tokens of t to d, with r
// as for ParseLine. The entry of lines split elsewhere (in batches).
void ParseTokens(TDrawing& d, TReadState& r, const TTokenView& t);

}  // namespace cadxform
