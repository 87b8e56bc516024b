// The "\\?\" form of long Windows paths. Without it the file calls refuse
// paths of MAX_PATH (260) characters or more, unless the machine has long
// paths switched on and the program's manifest asks for them; with it the
// limit is about 32767 characters everywhere. The form switches off the
// system's own clean-up of the path, so LongPathForm does that part itself:
// slashes become backslashes, "." and empty components are dropped, ".."
// removes the component before it.
//
//   L"C:\\a\\.\\b\\..\\c.txt"      -> L"\\\\?\\C:\\a\\c.txt"
//   L"\\\\server\\share\\d\\e.txt" -> L"\\\\?\\UNC\\server\\share\\d\\e.txt"
//
// Pure text handling, the same on every platform (and tested on each).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cadxform::platform {

// Paths at least this long get the "\\?\" form: MAX_PATH less the room of
// an 8.3 file name, the lowest limit among the file calls (folders).
inline constexpr size_t kLongPathFrom = 260 - 12;

// path in the "\\?\" form when it is an absolute drive ("C:\...") or UNC
// ("\\server\share\...") path of kLongPathFrom characters or more;
// otherwise (short, relative, already in a "\\?\" or "\\.\" form) path
// unchanged.
std::wstring LongPathForm(std::wstring_view path);

}  // namespace cadxform::platform
