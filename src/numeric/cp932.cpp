// Visible-content tests for code page 932 texts: StripBlanks, IsBlankText.
#include <cstddef>
#include <string>
#include <string_view>

#include "cadxform/cp932.h"

namespace cadxform {
namespace {

// Length of the character unit starting at text[pos]: 2 for a lead byte with
// a byte after it (whatever that byte is), else 1.
size_t UnitLength(std::string_view text, size_t pos) {
  const bool lead = IsLeadByte(static_cast<unsigned char>(text[pos]));
  return lead && pos + 1 < text.size() ? 2 : 1;
}

// True for the units that do not show: the half-width blank, control bytes
// and the full-width space 0x81 0x40.
bool IsBlankUnit(std::string_view unit) {
  if (unit.size() == 2) return unit[0] == '\x81' && unit[1] == '\x40';
  return static_cast<unsigned char>(unit[0]) <= 0x20;
}

}  // namespace

std::string StripBlanks(std::string_view text) {
  std::string out;
  for (size_t pos = 0; pos < text.size();) {
    const std::string_view unit = text.substr(pos, UnitLength(text, pos));
    if (!IsBlankUnit(unit)) out.append(unit);
    pos += unit.size();
  }
  return out;
}

bool IsBlankText(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const std::string_view unit = text.substr(pos, UnitLength(text, pos));
    if (!IsBlankUnit(unit)) return false;
    pos += unit.size();
  }
  return true;
}

}  // namespace cadxform
