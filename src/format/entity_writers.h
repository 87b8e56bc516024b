// Entity lines. Each writer appends the line(s) of one entity to the output
// buffer, or nothing when the entity cannot be drawn (zero extent, radius or
// ratio not above 1E-8, code outside its set, blank text); a degenerate
// four-point solid is written as the three-point solid it reduces to.
// Values are separated by one blank; reals use the real form, codes the
// integer form.
//   PutLine(out, 0.5, 1, 100, 1)  -> "0.5 1 100 1"
//   PutCircle(out, 1, 1, 2.5)     -> "ci 1 1 2.5"
//   PutText(out, 3, "A", 10, 20, 30, 0) -> "cr 10 20 30 0 \"A"  (one file line)
#pragma once

#include <cstdint>
#include <string_view>

#include "format/drop_rules.h"
#include "format/out_buffer.h"

namespace cadxform {

void PutLine(TOutBuffer& out, double x1, double y1, double x2, double y2);
void PutPlStart(TOutBuffer& out);
void PutPlEnd(TOutBuffer& out);
void PutPoint(TOutBuffer& out, double x, double y);
void PutMark(TOutBuffer& out, int32_t code, double x, double y, double size, double angle);
void PutCircle(TOutBuffer& out, double x, double y, double r);
void PutArc(TOutBuffer& out, double x, double y, double r, double arcParam1, double arcParam2, double ratio,
            double tiltAngle);
void PutText(TOutBuffer& out, int32_t cmd, std::string_view text, double x, double y, double dx, double dy);
void PutDim(TOutBuffer& out, std::string_view text, double x1, double y1, double x2, double y2, double x, double y,
            double dx, double dy);
void PutSolid2(TOutBuffer& out, double x1, double y1, double x2, double y2);
void PutSolid3(TOutBuffer& out, double x1, double y1, double x2, double y2, double x3, double y3);
void PutSolid4(TOutBuffer& out, double x1, double y1, double x2, double y2, double x3, double y3, double x4,
               double y4);
void PutSc(TOutBuffer& out, int32_t code, double x, double y, double r, double ratio, double tiltRad,
           double arcParam1, double arcParam2);
void PutSe(TOutBuffer& out, int32_t code, double x, double y, double r, double ratio, double tiltRad,
           double arcParam1, double arcParam2);
void PutSo(TOutBuffer& out, double x, double y, double r, double ratio, double tiltRad, double arcParam1,
           double arcParam2, double r2);
void PutSg(TOutBuffer& out, double x, double y, double r, double ratio, double tiltRad, double arcParam1,
           double arcParam2, double r2);

}  // namespace cadxform
