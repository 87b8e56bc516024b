// Absolute Windows paths in their "\\?\" form.
#include "platform/long_path.h"

#include <vector>

namespace cadxform::platform {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveAbsolute(std::wstring_view p) {
  const bool letter = (p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z');
  return p.size() >= 3 && letter && p[1] == L':' && IsSeparator(p[2]);
}

bool IsUnc(std::wstring_view p) {
  return p.size() >= 3 && IsSeparator(p[0]) && IsSeparator(p[1]) && p[2] != L'?' && p[2] != L'.';
}

// The components of rest with "." and empty ones dropped and ".." applied;
// the first `fixed` components (a UNC server and share) are never removed.
std::vector<std::wstring_view> CleanComponents(std::wstring_view rest, size_t fixed) {
  std::vector<std::wstring_view> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::wstring_view part = rest.substr(start, end - start);
    if (part == L"..") {
      if (parts.size() > fixed) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::wstring LongPathForm(std::wstring_view path) {
  if (path.size() < kLongPathFrom) return std::wstring(path);
  const bool drive = IsDriveAbsolute(path);
  if (!drive && !IsUnc(path)) return std::wstring(path);
  std::wstring out = drive ? std::wstring(L"\\\\?\\") + path[0] + L":" : std::wstring(L"\\\\?\\UNC");
  const auto parts = CleanComponents(path.substr(drive ? 3 : 2), drive ? 0 : 2);
  for (const std::wstring_view part : parts) {
    out += L'\\';
    out += part;
  }
  if (parts.empty() || IsSeparator(path.back())) out += L'\\';
  return out;
}

}  // namespace cadxform::platform
