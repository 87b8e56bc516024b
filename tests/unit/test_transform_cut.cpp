// Transforms run on two threads: for every cut of the record arrays, the
// records and the output are those of one thread.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "files/reader.h"
#include "app/cmdline.h"
#include "app/run.h"
#include "app/transforms.h"
#include "cadxform/drawing.h"
#include "cadxform/transform.h"
#include "format/parse_line.h"
#include "parallel/pass_cut.h"
#include "drawing_compare.h"
#include "store_records.h"

namespace cadxform {
namespace {

// The cuts tried: everything on the second thread, uneven and even halves.
const TPassCut kCuts[] = {{0, 1}, {1, 3}, {1, 2}, {2, 3}, {999, 1000}};

// The tool's transform for command line cl, on d with the records cut as
// given.
TTransformResult ApplyWithCut(TDrawing& d, const TCommandLine& cl, TPassCut cut) {
  const TSelection sel = TSelection::Of(d, cl.AllEntities);
  if (cl.IsTranslation()) {
    return TransformDrawing(d, MoveAllTranslation(d, cl.DestX1, cl.DestY1), sel, cut) ? trDone : trOutOfRange;
  }
  const auto similarity = TwoPointSimilarity(d, cl.DestX1, cl.DestY1, cl.DestX2, cl.DestY2);
  if (!similarity) return trSamePoint;
  return TransformDrawing(d, *similarity, sel, cut) ? trDone : trOutOfRange;
}

// Runs the transform the golden case `name` asks for on its input, with
// the records cut as given; returns the queued output.
std::string TransformGolden(const std::string& name, TPassCut cut) {
  const std::string dir = std::string(TEST_DATA_DIR "/../golden/") + name;
  TDrawing d;
  EXPECT_TRUE(ReadExchangeFile(dir + "/input.txt", d)) << name;
  std::vector<std::string> args;
  std::ifstream in(dir + "/args");
  for (std::string line; std::getline(in, line);) args.push_back(line);
  const TCommandLine cl = ParseCommandLine(args);
  TWriteState w;
  ResetAttrState(w, d);
  QueueTransformOutput(d, w, ApplyWithCut(d, cl, cut));
  return w.Out.Bytes();
}

// Every kind, the first-group scope, parameter texts, re-measured
// dimensions, and a value out of range (seen by one part only).
TEST(TransformCut, GoldenCasesGiveTheOutputOfOneThread) {
  const char* const cases[] = {
      "two_point_quarter_turn_every_kind", "two_point_eighth_turn",    "two_point_parameter_texts",
      "two_point_dimension_scale_3",       "two_point_first_group_scope", "two_point_out_of_range",
      "two_point_half_turn_tilts",         "move_every_kind",          "move_first_group_scope",
      "move_out_of_range",
  };
  for (const char* name : cases) {
    const std::string one = TransformGolden(name, kOneThread);
    ASSERT_FALSE(one.empty()) << name;
    for (const TPassCut cut : kCuts) {
      EXPECT_EQ(TransformGolden(name, cut), one) << name << " cut " << cut.Num << "/" << cut.Den;
    }
  }
}

// A drawing whose positions, sizes and angles use every bit of a double,
// so that a part computed with fewer bits than the other would show. Texts
// and dimensions get new contents on either thread.
void BuildFullPrecisionDrawing(TDrawing& d) {
  d.HpPoints[1] = THpPoint{true, 12.345678901234567, -7.654321098765432, 0};
  d.HpPoints[2] = THpPoint{true, 112.34567890123457, 53.21098765432109, 0};
  for (int i = 0; i < 3001; ++i) {
    const double a = i * 0.7071067811865476 + 1000.0 / 3;
    const double b = i * -1.4142135623730951 + 1.0 / 7;
    TLineEnt& l = AddRecord(d, d.Lines, ekLine);
    l.X1 = a, l.Y1 = b, l.X2 = b, l.Y2 = a;
    TArcEnt& arc = AddRecord(d, d.Arcs, ekArc);
    arc.X = a, arc.Y = b, arc.R = a / 3, arc.TiltAngle = i * 0.1234567;
    TTextEnt& t = AddRecord(d, d.Texts, ekText);
    t.X = b, t.Y = a, t.Dx = 0.6, t.Dy = 0.8, t.Width = a / 100, t.Height = b / 100;
    t.Text = d.TextPool.AddShort(i % 2 ? "^@BMp," + std::to_string(a) + ",," + std::to_string(b) : "abc");
    TDimEnt& dim = AddRecord(d, d.Dims, ekDim);
    dim.Line.X1 = a, dim.Line.Y1 = b, dim.Line.X2 = a + b / 3, dim.Line.Y2 = b - a / 7;
    dim.Text.X = a, dim.Text.Dx = 1, dim.Text.Text = d.TextPool.AddShort("1");
    TSolidRingEnt& ring = AddRecord(d, d.SoEnts, ekSo);
    ring.X = b, ring.Y = a, ring.R = a / 5, ring.R2 = a / 9, ring.TiltRad = i * 0.00314159;
  }
}

TEST(TransformCut, FullPrecisionRecordsAreThoseOfOneThread) {
  TDrawing one;
  BuildFullPrecisionDrawing(one);
  TWriteState w1;
  ResetAttrState(w1, one);
  const TCommandLine cl = ParseCommandLine({"1", "3", "-3.3", "4.4", "97.7", "11.1"});
  const TTransformResult r1 = ApplyWithCut(one, cl, kOneThread);
  QueueTransformOutput(one, w1, r1);
  for (const TPassCut cut : kCuts) {
    SCOPED_TRACE(std::to_string(cut.Num) + "/" + std::to_string(cut.Den));
    TDrawing two;
    BuildFullPrecisionDrawing(two);
    TWriteState w2;
    ResetAttrState(w2, two);
    const TTransformResult r2 = ApplyWithCut(two, cl, cut);
    QueueTransformOutput(two, w2, r2);
    EXPECT_EQ(DrawingDifference(two, one), "");
    EXPECT_EQ(w2.Out.Bytes(), w1.Out.Bytes());
  }
}

}  // namespace
}  // namespace cadxform
