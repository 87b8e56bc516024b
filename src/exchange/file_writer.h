// Writing the output buffer to the exchange file.
#pragma once

#include <string>

namespace rek {

// Replaces the file at path with the queued output lines: each line ends
// with CR LF, a text header and its text form one line, and an empty buffer
// gives the single line "hq". Returns true on success. On failure nothing
// partial is left at path.
bool WriteExchangeFile(const std::string& path);

}  // namespace rek
