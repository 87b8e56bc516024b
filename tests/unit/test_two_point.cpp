// Two-point similarity transform: the per-kind rules, the text, parameter
// text and dimension rules, the scope, and the coinciding-points message.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/run.h"
#include "app/transforms.h"
#include "cadxform/drawing.h"
#include "cadxform/transform.h"
#include "store_records.h"

namespace cadxform {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEps = 1e-12;

#define EXPECT_POINT(x, y, ex, ey)  \
  do {                              \
    EXPECT_NEAR((x), (ex), kEps);   \
    EXPECT_NEAR((y), (ey), kEps);   \
  } while (0)

class TwoPointTest : public ::testing::Test {
 protected:
  // A new drawing and write state.
  void Fresh() {
    d_ = std::make_unique<TDrawing>();
    w_ = std::make_unique<TWriteState>();
    H = kPlainHead;
  }
  TDrawing& D() { return *d_; }
  TWriteState& W() { return *w_; }

  // Appends a record with head H, as the reader would.
  template <class T>
  T& Add(TBlockArray<T>& arr, int32_t kind) {
    return AddRecord(D(), arr, kind, H);
  }
  void Transform(bool all, double x1, double y1, double x2, double y2) {
    QueueTransformOutput(D(), W(), TwoPointTransform(D(), all, x1, y1, x2, y2));
  }

  void SetHp(int n, double x, double y) { D().HpPoints[static_cast<size_t>(n)] = THpPoint{true, x, y, 0}; }

  TTextEnt& AddText(std::string_view content, double x, double y) {
    TTextEnt& t = Add(D().Texts, ekText);
    t.Cmd = 5;
    t.Cc = 4;
    t.Kind = 3;
    t.Width = 2;
    t.Height = 3;
    t.Spacing = 0.5;
    t.X = x;
    t.Y = y;
    t.Dx = 1;
    t.Dy = 0;
    t.FontName = D().TextPool.AddShort("font");
    t.Text = D().TextPool.AddShort(content);
    return t;
  }

  TDimEnt& AddDim(double x2, std::string_view content) {
    TDimEnt& d = Add(D().Dims, ekDim);
    d.Line.Head = InternHead(D(), H);
    d.Text.Head = InternHead(D(), H);
    d.Line.X2 = x2;
    d.Text.Cmd = 2;
    d.Text.Kind = 3;
    d.Text.Width = 2;
    d.Text.Height = 3;
    d.Text.Spacing = 0.5;
    d.Text.X = x2 / 2;
    d.Text.Dx = 1;
    d.Text.Text = D().TextPool.AddShort(content);
    return d;
  }

  TEntHead H = kPlainHead;  // head of the records added next

 private:
  std::unique_ptr<TDrawing> d_ = std::make_unique<TDrawing>();
  std::unique_ptr<TWriteState> w_ = std::make_unique<TWriteState>();
};


// S1 (0,0), S2 (10,0) onto D1 (100,100), D2 (100,120): theta 90, s 2.
// A point (x, y) goes to (100 - 2y, 100 + 2x).
TEST_F(TwoPointTest, QuarterTurnDoubleScaleOverEveryKind) {
  SetHp(1, 0, 0);
  SetHp(2, 10, 0);
  H.Group = 4;
  H.Color = 6;
  TLineEnt& l = Add(D().Lines, ekLine);
  l = TLineEnt{l.Head, 3, 10, 0, 10, 5};
  TCircleEnt& c = Add(D().Circles, ekCircle);
  c = TCircleEnt{c.Head, 5, 5, 3};
  TArcEnt& a = Add(D().Arcs, ekArc);
  a = TArcEnt{a.Head, 0, 0, 1, 10, 20, 0.5, 300};
  AddText("abc", 1, 0);
  TPointEnt& p = Add(D().Points, ekPoint);
  p = TPointEnt{p.Head, 0, 1};
  TMarkEnt& mk = Add(D().Marks, ekMark);
  mk = TMarkEnt{mk.Head, 0, 0, 1.5, 0, 5};
  AddDim(10, "10");
  TRekEntBlk& b = Add(D().Blocks, ekBlock);
  b.X = 1;
  b.Y = 1;
  TSolid2Ent& s2 = Add(D().Solids2, ekSolid2);
  s2 = TSolid2Ent{s2.Head, 9, 0, 0, 1, 0};
  TSolid3Ent& s3 = Add(D().Solids3, ekSolid3);
  s3 = TSolid3Ent{s3.Head, 9, 0, 0, 1, 0, 0, 1};
  TSolid4Ent& s4 = Add(D().Solids4, ekSolid4);
  s4 = TSolid4Ent{s4.Head, 9, 0, 0, 1, 0, 1, 1, 0, 1};
  TSolidArcEnt& sc = Add(D().ScEnts, ekSc);
  sc = TSolidArcEnt{sc.Head, 9, 1, 0, 1, 0.5, 0, 10, 20, 5};
  TSolidArcEnt& se = Add(D().SeEnts, ekSe);
  se = TSolidArcEnt{se.Head, 9, 0, 0, 1, 0.5, kPi, 10, 20, 100};
  TSolidRingEnt& so = Add(D().SoEnts, ekSo);
  so = TSolidRingEnt{so.Head, 9, 0, 0, 3, 0.5, 0, 10, 20, 2};
  TSolidRingEnt& sg = Add(D().SgEnts, ekSg);
  sg = TSolidRingEnt{sg.Head, 9, 0, 0, 3, 0.5, 3 * kPi / 2, 10, 20, 2};
  ResetAttrState(W(), D());

  Transform(true, 100, 100, 100, 120);

  const TLineEnt& rl = D().Lines[0];
  EXPECT_POINT(rl.X1, rl.Y1, 100, 120);
  EXPECT_POINT(rl.X2, rl.Y2, 90, 120);
  EXPECT_EQ(rl.PlNo, 3);
  EXPECT_EQ(D().Heads[rl.Head].Group, 4);
  EXPECT_EQ(D().Heads[rl.Head].Color, 6);

  EXPECT_POINT(D().Circles[0].X, D().Circles[0].Y, 90, 110);
  EXPECT_EQ(D().Circles[0].R, 6);

  const TArcEnt& ra = D().Arcs[0];
  EXPECT_POINT(ra.X, ra.Y, 100, 100);
  EXPECT_EQ(ra.R, 2);
  EXPECT_NEAR(ra.TiltAngle, 30, kEps);
  EXPECT_EQ(ra.ArcParam1, 10);
  EXPECT_EQ(ra.ArcParam2, 20);
  EXPECT_EQ(ra.Ratio, 0.5);

  const TTextEnt& rt = D().Texts[0];
  EXPECT_POINT(rt.X, rt.Y, 100, 102);
  EXPECT_POINT(rt.Dx, rt.Dy, 0, 1);  // turned, not scaled
  EXPECT_EQ(rt.Kind, 0);
  EXPECT_EQ(rt.Width, 4);
  EXPECT_EQ(rt.Height, 6);
  EXPECT_EQ(rt.Spacing, 1);
  EXPECT_EQ(rt.Cmd, 5);
  EXPECT_EQ(rt.Cc, 4);
  EXPECT_EQ(rt.FontName.View(), "font");
  EXPECT_EQ(rt.Text.View(), "abc");

  EXPECT_POINT(D().Points[0].X, D().Points[0].Y, 98, 100);

  const TMarkEnt& rm = D().Marks[0];
  EXPECT_POINT(rm.X, rm.Y, 100, 100);
  EXPECT_EQ(rm.Size, 3);
  EXPECT_NEAR(rm.Angle, 90, kEps);
  EXPECT_EQ(rm.Code, 5);

  const TDimEnt& rd = D().Dims[0];
  EXPECT_POINT(rd.Line.X1, rd.Line.Y1, 100, 100);
  EXPECT_POINT(rd.Line.X2, rd.Line.Y2, 100, 120);
  EXPECT_POINT(rd.Text.X, rd.Text.Y, 100, 110);
  EXPECT_POINT(rd.Text.Dx, rd.Text.Dy, 0, 1);
  EXPECT_EQ(rd.Text.Text.View(), "20");
  EXPECT_EQ(rd.Text.Kind, 0);
  EXPECT_EQ(rd.Text.Width, 4);

  EXPECT_EQ(D().Blocks[0].X, 1);
  EXPECT_EQ(D().Blocks[0].Y, 1);

  const TSolid2Ent& r2 = D().Solids2[0];
  EXPECT_POINT(r2.X1, r2.Y1, 100, 100);
  EXPECT_POINT(r2.X2, r2.Y2, 100, 102);
  EXPECT_EQ(r2.SolidColor, 9);
  const TSolid3Ent& r3 = D().Solids3[0];
  EXPECT_POINT(r3.X2, r3.Y2, 100, 102);
  EXPECT_POINT(r3.X3, r3.Y3, 98, 100);
  const TSolid4Ent& r4 = D().Solids4[0];
  EXPECT_POINT(r4.X1, r4.Y1, 100, 100);
  EXPECT_POINT(r4.X2, r4.Y2, 100, 102);
  EXPECT_POINT(r4.X3, r4.Y3, 98, 102);
  EXPECT_POINT(r4.X4, r4.Y4, 98, 100);

  const TSolidArcEnt& rsc = D().ScEnts[0];
  EXPECT_POINT(rsc.X, rsc.Y, 100, 102);
  EXPECT_EQ(rsc.R, 2);
  EXPECT_DOUBLE_EQ(rsc.TiltRad, kPi / 2);
  EXPECT_EQ(rsc.Ratio, 0.5);
  EXPECT_EQ(rsc.ArcParam1, 10);
  EXPECT_EQ(rsc.ArcParam2, 20);
  EXPECT_EQ(rsc.Code, 5);
  EXPECT_EQ(rsc.SolidColor, 9);
  EXPECT_DOUBLE_EQ(D().SeEnts[0].TiltRad, 3 * kPi / 2);
  EXPECT_EQ(D().SeEnts[0].Code, 100);

  const TSolidRingEnt& rso = D().SoEnts[0];
  EXPECT_EQ(rso.R, 6);
  EXPECT_EQ(rso.R2, 4);
  EXPECT_DOUBLE_EQ(rso.TiltRad, kPi / 2);
  EXPECT_EQ(rso.Ratio, 0.5);
  EXPECT_EQ(rso.ArcParam2, 20);
  EXPECT_NEAR(D().SgEnts[0].TiltRad, 0, kEps);  // 270 + 90 normalises to 0
  EXPECT_EQ(D().SgEnts[0].R2, 4);

  EXPECT_EQ(W().Out.Bytes().substr(0, 4), "hd\r\n");
}

// S1 (0,0), S2 (0,10) onto D1 (0,0), D2 (10,0): theta -90, s 1. Angles turn,
// vectors turn, but texts and dimensions keep kind, sizes and text.
TEST_F(TwoPointTest, MinusQuarterTurnWithoutScaling) {
  SetHp(1, 0, 0);
  SetHp(2, 0, 10);
  TArcEnt& a = Add(D().Arcs, ekArc);
  a = TArcEnt{a.Head, 0, 5, 1, 0, 0, 1, 30};
  AddText("abc", 0, 5);
  AddDim(10, "10.00");

  Transform(true, 0, 0, 10, 0);

  const TArcEnt& ra = D().Arcs[0];
  EXPECT_POINT(ra.X, ra.Y, 5, 0);
  EXPECT_EQ(ra.R, 1);
  EXPECT_NEAR(ra.TiltAngle, 300, kEps);
  const TTextEnt& rt = D().Texts[0];
  EXPECT_POINT(rt.X, rt.Y, 5, 0);
  EXPECT_POINT(rt.Dx, rt.Dy, 0, -1);
  EXPECT_EQ(rt.Kind, 3);
  EXPECT_EQ(rt.Width, 2);
  EXPECT_EQ(rt.Height, 3);
  EXPECT_EQ(rt.Spacing, 0.5);
  const TDimEnt& rd = D().Dims[0];
  EXPECT_POINT(rd.Line.X2, rd.Line.Y2, 0, -10);
  EXPECT_EQ(rd.Text.Text.View(), "10.00");
  EXPECT_EQ(rd.Text.Kind, 3);
  EXPECT_EQ(rd.Text.Width, 2);
}

// Whether texts and dimensions count as scaled, around |s - 1| = 1e-10, and
// the re-measured dimension text.
TEST_F(TwoPointTest, ScalingThresholdAndDimensionText) {
  struct Case {
    const char* name;
    double destX2;  // S1 (0,0), S2 (1,0), D1 (0,0), D2 (destX2, 0)
    bool scaled;
    const char* dimText;  // dimension line from (0,0) to (10,0)
  };
  const Case cases[] = {
      {"tripled", 3, true, "30"},
      {"halved", 0.5, true, "5"},
      {"just above the tolerance", 1 + 1e-9, true, "10.00000001"},
      {"within the tolerance", 1 + 1e-11, false, "10"},
      {"exactly 1", 1, false, "10"},
      {"not a parameter text in a dimension", 2, true, "20"},
  };
  for (const Case& c : cases) {
    Fresh();
    SetHp(1, 0, 0);
    SetHp(2, 1, 0);
    AddText("abc", 0, 0);
    AddDim(10, "10");

    Transform(true, 0, 0, c.destX2, 0);

    const double s = c.scaled ? c.destX2 : 1;
    const TTextEnt& rt = D().Texts[0];
    EXPECT_EQ(rt.Kind, c.scaled ? 0 : 3) << c.name;
    EXPECT_DOUBLE_EQ(rt.Width, 2 * s) << c.name;
    EXPECT_DOUBLE_EQ(rt.Height, 3 * s) << c.name;
    EXPECT_DOUBLE_EQ(rt.Spacing, 0.5 * s) << c.name;
    const TDimEnt& rd = D().Dims[0];
    EXPECT_NEAR(rd.Line.X2, 10 * c.destX2, kEps) << c.name;
    EXPECT_EQ(rd.Text.Text.View(), c.dimText) << c.name;
    EXPECT_EQ(rd.Text.Kind, c.scaled ? 0 : 3) << c.name;
    EXPECT_DOUBLE_EQ(rd.Text.Height, 3 * s) << c.name;
  }
}

// The dimension text is re-measured even when it begins with "^@BM".
TEST_F(TwoPointTest, DimensionTextIsNeverAParameterText) {
  SetHp(1, 0, 0);
  SetHp(2, 1, 0);
  AddDim(10, "^@BM1,2");
  Transform(true, 0, 0, 2, 0);
  EXPECT_EQ(D().Dims[0].Text.Text.View(), "20");
}

TEST_F(TwoPointTest, SolidTiltTurnsThroughDegrees) {
  SetHp(1, 0, 0);
  SetHp(2, 1, 0);
  TSolidArcEnt& sc = Add(D().ScEnts, ekSc);
  sc.R = 1;
  sc.TiltRad = 3 * kPi / 2;
  Transform(true, 0, 0, -1, 0);  // theta 180, s 1
  EXPECT_DOUBLE_EQ(D().ScEnts[0].TiltRad, kPi / 2);
  EXPECT_EQ(D().ScEnts[0].R, 1);
}

// Parameter texts keep vector, kind and sizes; their list is rewritten even
// without scaling or rotation.
TEST_F(TwoPointTest, ParameterTexts) {
  struct Case {
    const char* name;
    double destX2, destY2;  // S1 (0,0), S2 (10,0), D1 (0,0)
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"one field", 0, 20, "^@BMabc,50", "^@BMabc,100,100,0,0,1,90"},
      {"no comma", 0, 20, "^@BMabc", "^@BMabc"},
      {"seven fields", 0, 20, "^@BMabc,1,2,3,4,5,6,7", "^@BMabc,2,4,3,4,5,96"},
      {"identity map", 10, 0, "^@BMabc,5,6", "^@BMabc,5,6,0,0,1,0"},
  };
  for (const Case& c : cases) {
    Fresh();
    SetHp(1, 0, 0);
    SetHp(2, 10, 0);
    AddText(c.text, 10, 0);

    Transform(true, 0, 0, c.destX2, c.destY2);

    const TTextEnt& rt = D().Texts[0];
    EXPECT_EQ(rt.Text.View(), c.expected) << c.name;
    EXPECT_POINT(rt.X, rt.Y, c.destX2, c.destY2);
    EXPECT_EQ(rt.Dx, 1) << c.name;
    EXPECT_EQ(rt.Dy, 0) << c.name;
    EXPECT_EQ(rt.Kind, 3) << c.name;
    EXPECT_EQ(rt.Width, 2) << c.name;
  }
}

// Coinciding indicated or destination points queue only the message line
// and change nothing.
TEST_F(TwoPointTest, CoincidingPointsQueueOnlyTheMessage) {
  struct Case {
    const char* name;
    bool setHp;
    double s2x;  // S1 (0,0), S2 (s2x, 0)
    double d2x;  // D1 (0,0), D2 (d2x, 0)
    bool refused;
  };
  const Case cases[] = {
      {"no indicated points at all", false, 0, 5, true},
      {"same indicated points", true, 0, 5, true},
      {"indicated points 1e-9 apart", true, 1e-9, 5, true},
      {"same destination points", true, 5, 0, true},
      {"destination points 9e-9 apart", true, 5, 9e-9, true},
      {"destination 1e-8 apart passes", true, 1, 1e-8, false},
  };
  // "h#" and "同一点指示をしないで下さい" in code page 932.
  const std::string message =
      "h#\x93\xaf\x88\xea\x93\x5f\x8e\x77\x8e\xa6\x82\xf0\x82\xb5\x82\xc8\x82\xa2\x82\xc5"
      "\x89\xba\x82\xb3\x82\xa2\r\n";
  for (const Case& c : cases) {
    Fresh();
    if (c.setHp) {
      SetHp(1, 0, 0);
      SetHp(2, c.s2x, 0);
    }
    TLineEnt& l = Add(D().Lines, ekLine);
    l = TLineEnt{l.Head, 0, 3, 4, 5, 6};
    ResetAttrState(W(), D());

    Transform(true, 0, 0, c.d2x, 0);

    const std::string out = W().Out.Bytes();
    if (c.refused) {
      EXPECT_EQ(out, message) << c.name;
      EXPECT_EQ(D().Lines[0].X1, 3) << c.name;
      EXPECT_EQ(D().Lines[0].Y2, 6) << c.name;
    } else {
      EXPECT_EQ(out.substr(0, 4), "hd\r\n") << c.name;
    }
  }
}

// With AllEntities false only records of FirstGroup change.
// A value beyond the range of doubles anywhere in the result: the output is
// only the message line, never an INF or NAN. S1 (0,0), S2 (1,0) onto D1
// (0,0), D2 (d2x, d2y).
TEST_F(TwoPointTest, NonFiniteResultQueuesOnlyTheMessage) {
  const std::string message = "h#" + std::string(kOutOfRangeMessage) + "\r\n";
  struct Case {
    const char* name;
    std::function<void()> build;
    double d2x, d2y;
    bool refused;
  };
  const Case cases[] = {
      {"line end scaled by 100", [this] { Add(D().Lines, ekLine) = TLineEnt{{}, 0, 1e308, 0, 5, 5}; }, 100,
       0, true},
      {"largest finite result passes", [this] { Add(D().Lines, ekLine) = TLineEnt{{}, 0, 1e306, 0, 5, 5}; },
       100, 0, false},
      {"circle radius", [this] { Add(D().Circles, ekCircle) = TCircleEnt{{}, 1, 1, 1e307}; }, 100, 0, true},
      {"mark size", [this] { Add(D().Marks, ekMark) = TMarkEnt{{}, 1, 1, 1e307, 0, 1}; }, 100, 0, true},
      {"text direction turned by 45 degrees",
       [this] {
         TTextEnt& t = AddText("A", 0, 0);
         t.Dx = 1.7e308;
         t.Dy = 1.7e308;
       },
       1, 1, true},
      {"number of a parameter text", [this] { AddText("^@BMx,1e307", 0, 0); }, 100, 0, true},
      {"re-measured dimension length",
       [this] {
         TDimEnt& d = AddDim(1e306, "");
         d.Line.X1 = -1e306;
       },
       100, 0, true},
      {"solid tilt in radians", [this] { Add(D().ScEnts, ekSc) = TSolidArcEnt{{}, 0, 0, 0, 1, 1, 1e307, 0, 0, 0}; },
       1, 0, true},
  };
  for (const Case& c : cases) {
    Fresh();
    SetHp(1, 0, 0);
    SetHp(2, 1, 0);
    c.build();
    Transform(true, 0, 0, c.d2x, c.d2y);
    const std::string out = W().Out.Bytes();
    if (c.refused) {
      EXPECT_EQ(out, message) << c.name;
    } else {
      EXPECT_EQ(out.substr(0, 4), "hd\r\n") << c.name;
      EXPECT_EQ(out.find("INF"), std::string::npos) << c.name;
    }
  }
}

TEST_F(TwoPointTest, ScopeIsTheFirstLayerGroup) {
  SetHp(1, 0, 0);
  SetHp(2, 1, 0);
  D().First.Group = 2;
  for (int32_t group : {2, 3}) {
    H.Group = group;
    TCircleEnt& c = Add(D().Circles, ekCircle);
    c = TCircleEnt{c.Head, 1, 1, 1};
    AddDim(10, "10");
  }
  Transform(false, 0, 0, 2, 0);  // s 2, theta 0

  EXPECT_EQ(D().Circles[0].X, 2);
  EXPECT_EQ(D().Circles[0].R, 2);
  EXPECT_EQ(D().Dims[0].Text.Text.View(), "20");
  EXPECT_EQ(D().Circles[1].X, 1);
  EXPECT_EQ(D().Circles[1].R, 1);
  EXPECT_EQ(D().Dims[1].Line.X2, 10);
  EXPECT_EQ(D().Dims[1].Text.Text.View(), "10");
  EXPECT_EQ(W().Out.Bytes().substr(0, 4), "hd\r\n");
}

}  // namespace
}  // namespace cadxform
