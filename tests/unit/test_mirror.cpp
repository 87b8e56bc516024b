// The mirror, by its properties rather than its rules: on drawings of every
// kind, each mapped point lies where an independent reflection puts it,
// texts still read left to right or upward, mirroring twice gives the
// drawing back within the last digit of the number form, and every cut of
// the pass between two threads gives the bytes of one thread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cadxform/mirror.h"
#include "cadxform/transform.h"
#include "files/reader.h"
#include "format/write_state.h"
#include "parallel/emit.h"
#include "parallel/pass_cut.h"

namespace cadxform {
namespace {

const char* const kDrawings[] = {"round_trip_every_kind", "round_trip_dimensions", "round_trip_text_styles",
                                 "two_point_quarter_turn_every_kind", "round_trip_polylines"};

// Axes: the y axis and a diagonal (exact), and two of no special angle.
struct TAxis {
  double Ax, Ay, Bx, By;
};
const TAxis kAxes[] = {{0, 0, 0, 1}, {1, 1, 3, 3}, {2, -1, 7, 2.5}, {-4, 10, 3, -20}};

void Read(const std::string& name, TDrawing& d) {
  ASSERT_TRUE(ReadExchangeFile(std::string(TEST_DATA_DIR "/../golden/") + name + "/input.txt", d)) << name;
}

std::string Emitted(const TDrawing& d) {
  TWriteState w;
  ResetAttrState(w, d);
  EmitAll(d, w);
  return w.Out.Bytes();
}

// The reflection of p about the line through a and b, by projection.
void Reflect(const TAxis& a, double& x, double& y) {
  const long double ux = a.Bx - a.Ax, uy = a.By - a.Ay, len2 = ux * ux + uy * uy;
  const long double t = ((x - a.Ax) * ux + (y - a.Ay) * uy) / len2;
  const long double px = a.Ax + t * ux, py = a.Ay + t * uy;
  x = static_cast<double>(2 * px - x);
  y = static_cast<double>(2 * py - y);
}

bool Near(double a, double b) { return std::fabs(a - b) <= 1e-14 * (1 + std::fabs(a)); }

TEST(Mirror, PointsLieOnTheReflectionAndTextsStayReadable) {
  for (const char* name : kDrawings) {
    for (const TAxis& axis : kAxes) {
      SCOPED_TRACE(std::string(name) + " axis " + std::to_string(axis.Bx));
      TDrawing before, after;
      Read(name, before);
      Read(name, after);
      ASSERT_TRUE(TransformDrawing(after, TMirror(axis.Ax, axis.Ay, axis.Bx, axis.By), TSelection::Of(after, true)));
      for (int32_t i = 0; i < before.Lines.Count(); ++i) {
        TLineEnt l = before.Lines[i];
        Reflect(axis, l.X1, l.Y1);
        Reflect(axis, l.X2, l.Y2);
        EXPECT_TRUE(Near(l.X1, after.Lines[i].X1) && Near(l.Y1, after.Lines[i].Y1) && Near(l.X2, after.Lines[i].X2) &&
                    Near(l.Y2, after.Lines[i].Y2))
            << "line " << i;
      }
      for (int32_t i = 0; i < before.Texts.Count(); ++i) {
        double x = before.Texts[i].X, y = before.Texts[i].Y;
        Reflect(axis, x, y);
        const TTextEnt& t = after.Texts[i];
        EXPECT_TRUE(Near(x, t.X) && Near(y, t.Y)) << "text " << i;
        const double reading = AngleDeg(t.Dx, t.Dy);
        EXPECT_TRUE(reading <= 90 || reading > 270) << "text " << i << " reads at " << reading;
        EXPECT_EQ(t.Text.View(), before.Texts[i].Text.View());
      }
      for (int32_t i = 0; i < before.Arcs.Count(); ++i) {
        EXPECT_EQ(after.Arcs[i].ArcParam1, 0.0 - before.Arcs[i].ArcParam2);
        EXPECT_EQ(after.Arcs[i].R, before.Arcs[i].R);
      }
    }
  }
}

// The written numbers of a and b, token by token: equal words, numbers
// within the last of their 15 digits, or (angles, which come back
// normalised) a whole turn apart.
void ExpectSameWithinLastDigit(const std::string& a, const std::string& b) {
  std::istringstream sa(a), sb(b);
  std::string wa, wb;
  while (sa >> wa) {
    ASSERT_TRUE(static_cast<bool>(sb >> wb));
    char* ea = nullptr;
    char* eb = nullptr;
    const double va = std::strtod(wa.c_str(), &ea), vb = std::strtod(wb.c_str(), &eb);
    if (*ea == '\0' && *eb == '\0' && !wa.empty() && !wb.empty()) {
      const double apart = std::fabs(va - vb), within = 1e-13 * std::fabs(va) + 1e-12;
      EXPECT_TRUE(apart <= within || std::fabs(apart - 360) <= 1e-12 || std::fabs(apart - 2 * kPi) <= 1e-12)
          << wa << " " << wb;
    } else {
      EXPECT_EQ(wa, wb);
    }
  }
  EXPECT_FALSE(static_cast<bool>(sb >> wb));
}

TEST(Mirror, TwiceGivesTheDrawingBack) {
  for (const char* name : kDrawings) {
    for (const TAxis& axis : kAxes) {
      SCOPED_TRACE(std::string(name) + " axis " + std::to_string(axis.Bx));
      TDrawing d;
      Read(name, d);
      const std::string original = Emitted(d);
      const TMirror mirror(axis.Ax, axis.Ay, axis.Bx, axis.By);
      ASSERT_TRUE(TransformDrawing(d, mirror, TSelection::Of(d, true)));
      ASSERT_TRUE(TransformDrawing(d, mirror, TSelection::Of(d, true)));
      ExpectSameWithinLastDigit(Emitted(d), original);
    }
  }
}

TEST(Mirror, EveryCutGivesTheBytesOfOneThread) {
  const TPassCut cuts[] = {{0, 1}, {1, 3}, {1, 2}, {999, 1000}};
  for (const char* name : kDrawings) {
    TDrawing one;
    Read(name, one);
    const TMirror mirror(2, -1, 7, 2.5);
    ASSERT_TRUE(TransformDrawing(one, mirror, TSelection::Of(one, false), kOneThread));
    for (const TPassCut cut : cuts) {
      TDrawing two;
      Read(name, two);
      ASSERT_TRUE(TransformDrawing(two, mirror, TSelection::Of(two, false), cut));
      EXPECT_EQ(Emitted(two), Emitted(one)) << name << " cut " << cut.Num << "/" << cut.Den;
    }
  }
}

}  // namespace
}  // namespace cadxform
