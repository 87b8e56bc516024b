// Translation: which records move, which fields move, and what is queued.
#include <gtest/gtest.h>

#include <string>

#include "app/run.h"
#include "app/transforms.h"
#include "cadxform/drawing.h"
#include "store_records.h"

namespace cadxform {
namespace {

class MoveAllTest : public ::testing::Test {
 protected:
  static void SetHp1(TDrawing& d, double x, double y) { d.HpPoints[1] = THpPoint{true, x, y, 0}; }

  TDrawing D;
  TWriteState W;
};

// The example run of the tool: point 1 at (10, 20), one line under group 2,
// layer 3, colour 1, line type 1, width 1, moved onto (110, 220).
TEST_F(MoveAllTest, MovesTheLineOntoTheTargetAndQueuesTheOutput) {
  SetHp1(D, 10, 20);
  D.First.Group = 2;
  D.First.Layer = 3;
  TLineEnt& l = AddRecord(D, D.Lines, ekLine, TEntHead{0, 2, 3, 1, 1, 1, 0});
  l.X2 = 5;
  l.Y2 = 5;
  ResetAttrState(W, D);

  QueueTransformOutput(D, W, MoveAll(D, true, 110, 220));

  const TLineEnt& r = D.Lines[0];
  EXPECT_EQ(r.X1, 100);
  EXPECT_EQ(r.Y1, 200);
  EXPECT_EQ(r.X2, 105);
  EXPECT_EQ(r.Y2, 205);
  EXPECT_EQ(W.Out.Bytes(),
            "hd\r\nlg2\r\nly3\r\nlc1\r\nlt1\r\nlw1\r\n100 200 105 205\r\n");
}

// Every kind moves its positions by the offset and keeps everything else.
TEST_F(MoveAllTest, MovesOnlyPositionsOfEveryKind) {
  SetHp1(D, 1, 2);  // target (101, 202): offset (100, 200)
  TCircleEnt& c = AddRecord(D, D.Circles, ekCircle);
  c = TCircleEnt{c.Head, 1, 1, 3};
  TArcEnt& a = AddRecord(D, D.Arcs, ekArc);
  a = TArcEnt{a.Head, 1, 1, 3, 10, 20, 0.5, 30};
  TTextEnt& t = AddRecord(D, D.Texts, ekText);
  t.Kind = 3;
  t.Width = 2.5;
  t.X = 1;
  t.Y = 1;
  t.Dx = 0.6;
  t.Dy = 0.8;
  t.Text = D.TextPool.AddShort("10");
  TPointEnt& p = AddRecord(D, D.Points, ekPoint);
  p = TPointEnt{p.Head, 1, 1};
  TMarkEnt& mk = AddRecord(D, D.Marks, ekMark);
  mk = TMarkEnt{mk.Head, 1, 1, 1.5, 45, 7};
  TDimEnt& dim = AddRecord(D, D.Dims, ekDim);
  dim.Line.X2 = 10;
  dim.Text.X = 5;
  dim.Text.Dx = 1;
  dim.Text.Text = D.TextPool.AddShort("10");
  TSolid4Ent& s4 = AddRecord(D, D.Solids4, ekSolid4);
  s4 = TSolid4Ent{s4.Head, 7, 0, 0, 1, 0, 1, 1, 0, 1};
  TSolidRingEnt& so = AddRecord(D, D.SoEnts, ekSo);
  so = TSolidRingEnt{so.Head, 7, 1, 1, 3, 1, 0.5, 0, 0, 2};

  QueueTransformOutput(D, W, MoveAll(D, true, 101, 202));

  EXPECT_EQ(D.Circles[0].X, 101);
  EXPECT_EQ(D.Circles[0].Y, 201);
  EXPECT_EQ(D.Circles[0].R, 3);
  const TArcEnt& ra = D.Arcs[0];
  EXPECT_EQ(ra.X, 101);
  EXPECT_EQ(ra.Y, 201);
  EXPECT_EQ(ra.R, 3);
  EXPECT_EQ(ra.ArcParam1, 10);
  EXPECT_EQ(ra.ArcParam2, 20);
  EXPECT_EQ(ra.Ratio, 0.5);
  EXPECT_EQ(ra.TiltAngle, 30);
  const TTextEnt& rt = D.Texts[0];
  EXPECT_EQ(rt.X, 101);
  EXPECT_EQ(rt.Y, 201);
  EXPECT_EQ(rt.Dx, 0.6);
  EXPECT_EQ(rt.Dy, 0.8);
  EXPECT_EQ(rt.Kind, 3);
  EXPECT_EQ(rt.Width, 2.5);
  EXPECT_EQ(D.Points[0].X, 101);
  EXPECT_EQ(D.Points[0].Y, 201);
  const TMarkEnt& rm = D.Marks[0];
  EXPECT_EQ(rm.X, 101);
  EXPECT_EQ(rm.Y, 201);
  EXPECT_EQ(rm.Size, 1.5);
  EXPECT_EQ(rm.Angle, 45);
  EXPECT_EQ(rm.Code, 7);
  const TDimEnt& rd = D.Dims[0];
  EXPECT_EQ(rd.Line.X1, 100);
  EXPECT_EQ(rd.Line.Y1, 200);
  EXPECT_EQ(rd.Line.X2, 110);
  EXPECT_EQ(rd.Line.Y2, 200);
  EXPECT_EQ(rd.Text.X, 105);
  EXPECT_EQ(rd.Text.Y, 200);
  EXPECT_EQ(rd.Text.Dx, 1);
  EXPECT_EQ(rd.Text.Text.View(), "10");  // not re-measured
  const TSolid4Ent& r4 = D.Solids4[0];
  EXPECT_EQ(r4.X1, 100);
  EXPECT_EQ(r4.Y1, 200);
  EXPECT_EQ(r4.X3, 101);
  EXPECT_EQ(r4.Y3, 201);
  EXPECT_EQ(r4.X4, 100);
  EXPECT_EQ(r4.Y4, 201);
  EXPECT_EQ(r4.SolidColor, 7);
  const TSolidRingEnt& ro = D.SoEnts[0];
  EXPECT_EQ(ro.X, 101);
  EXPECT_EQ(ro.Y, 201);
  EXPECT_EQ(ro.R, 3);
  EXPECT_EQ(ro.R2, 2);
  EXPECT_EQ(ro.TiltRad, 0.5);
}

// Scope, missing indicated point and blocks, each checked on one line and
// one block reference.
TEST_F(MoveAllTest, SelectionAndReferencePoint) {
  struct Case {
    const char* name;
    bool hasHp1;
    bool all;
    int32_t lineGroup;
    double targetX, targetY;
    double expectX1;  // the line starts at (1, 1)
  };
  const Case cases[] = {
      {"group matches FirstGroup", true, false, 2, 20, 0, 11},
      {"other group stays", true, false, 3, 20, 0, 1},
      {"other group moves when all", true, true, 3, 20, 0, 11},
      {"no point 1: moved by the target", false, true, 2, 7, 0, 8},
      {"no point 1, target origin: unchanged", false, true, 2, 0, 0, 1},
  };
  for (const Case& c : cases) {
    TDrawing d;
    TWriteState w;
    d.First.Group = 2;
    if (c.hasHp1) SetHp1(d, 10, 0);
    TLineEnt& l = AddRecord(d, d.Lines, ekLine, TEntHead{0, c.lineGroup, 0, 1, 1, 0, 0});
    l = TLineEnt{l.Head, 0, 1, 1, 4, 5};
    TRekEntBlk& b = AddRecord(d, d.Blocks, ekBlock, TEntHead{0, 2, 0, 1, 1, 0, 0});
    b.X = 1;
    b.Y = 1;

    QueueTransformOutput(d, w, MoveAll(d, c.all, c.targetX, c.targetY));

    const TLineEnt& r = d.Lines[0];
    const double dx = c.expectX1 - 1;
    EXPECT_EQ(r.X1, c.expectX1) << c.name;
    EXPECT_EQ(r.Y1, 1) << c.name;
    EXPECT_EQ(r.X2, 4 + dx) << c.name;
    EXPECT_EQ(r.Y2, 5) << c.name;
    EXPECT_EQ(d.Heads[r.Head].Group, c.lineGroup) << c.name;
    EXPECT_EQ(d.Blocks[0].X, 1) << c.name;
    EXPECT_EQ(d.Blocks[0].Y, 1) << c.name;
    EXPECT_EQ(w.Out.Bytes().substr(0, 4), "hd\r\n") << c.name;
  }
}

// An empty drawing still gives "hd" and the closing layer-group and layer
// lines.
TEST_F(MoveAllTest, EmptyDrawingQueuesHdAndClosingLines) {
  ResetAttrState(W, D);
  QueueTransformOutput(D, W, MoveAll(D, true, 5, 5));
  EXPECT_EQ(W.Out.Bytes(), "hd\r\nlg0\r\nly0\r\n");
}

}  // namespace
}  // namespace cadxform
