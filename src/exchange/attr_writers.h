// Attribute lines: layer group, layer, colours, line type and width, text
// kind, "cc", font name, point colour, solid colour and z-flags.
//
// Each writer normalises its value, then appends its line only when its
// PendingAttr flag is set or the value differs from the value written last
// (held in the store's current attributes), stores the value and clears the
// flag. Mode 1 converts compact numbering (FileColorNo, FileLineTypeNo); any
// other mode leaves the number as it is.
//   After ResetAttrState: PutGroup(0) -> "lg0"; PutGroup(0) -> nothing;
//   PutGroup(11) -> "lgB" and re-arms the layer line.
#pragma once

#include <cstdint>
#include <string_view>

namespace rek {

// Mode-1 conversions.
int32_t FileColorNo(int32_t color);       // <=0 FirstColor; 1..9 same; >=10 +91
int32_t FileLineTypeNo(int32_t lineType);  // <=0 FirstLineType; 1..9 same; 10..18 +1; >=19 +12

void PutGroup(int32_t group);                    // "lg" + hex
void PutLayer(int32_t layer);                    // "ly" + hex
void PutColor(int32_t color, int32_t mode);      // "lc" + int
void PutLineType(int32_t lineType, int32_t mode);  // "lt" + int
void PutLineWidth(int32_t width);                // "lw" + int
void PutTextKind(int32_t kind, int32_t color, int32_t mode, double width, double height,
                 double spacing);                // "cn" + kind, or "cn0 w h s c"
void PutCc(int32_t value);                       // "cc" + int
void PutFontName(std::string_view name);         // "cn" + '"' + "$" + name
void PutPointColor(int32_t color, int32_t mode);  // "pn" + int
void PutSolidColor(int32_t rgb);                 // "lc10 " + int
void PutZFlags(int32_t flags);                   // "z1".."z5", no state

}  // namespace rek
