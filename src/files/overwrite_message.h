// Last resort of the file writer: when the output could not replace the
// exchange file (a full disk, a folder where no file can be made, or on
// Windows another process, such as a virus scanner, holding it open without
// delete sharing), the host must still not find its own input there and
// read it back as the result, which would add every selected entity a
// second time. The file is then overwritten in place with one message line,
// which the other process's read and write sharing allows; it is never
// deleted.
#pragma once

#include <string_view>

#include "cadxform/path.h"

namespace cadxform {

// Message for the user when the output could not be written:
// "変換結果を書き込めませんでした" in code page 932.
inline constexpr std::string_view kWriteFailedMessage =
    "\x95\xCF\x8A\xB7\x8C\x8B\x89\xCA\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xDF"
    "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";

// Replaces the content of the existing file at path by the single line
// "h#" + kWriteFailedMessage + CR LF, flushed to disk. Creates no file
// (nothing happens when there is none, or a folder is there) and leaves a
// file marked read-only as it is, even where the process could write it. Returns true
// when the line was written whole. Allocates nothing beyond what the file
// calls need.
bool OverwriteWithFailureMessage(const cadxform::platform::TPath& path);

}  // namespace cadxform
