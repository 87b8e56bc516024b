// The transform pass with a transform of its own, as a program using the
// library writes one: the kind rules, the selection, the finite check and
// the texts and heads set on either thread, for every cut (cuts outside the
// arrays run on one thread).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "cadxform/transform.h"
#include "parallel/pass_cut.h"
#include "store_records.h"

namespace cadxform {
namespace {

// Moves x by Dx, doubles lengths, gives degree angles Angle; a text gets
// its index as content and as colour and keeps its position (its own
// rule). No Vector, no Radians: those stay.
struct TTestTransform {
  double Dx = 1, Angle = 7;
  void Point(double& x, double&) const { x += Dx; }
  void Length(double& v) const { v *= 2; }
  void Degrees(double& a) const { a = Angle; }
  void Record(TTextEnt& t, const TRecordOps<TTestTransform>& ops) const {
    ops.Length(t.Width);
    ops.SetText(t.Text, std::to_string(static_cast<int>(t.Y)));
    ops.SetHead(t, TEntHead{0, 1, 0, 100 + static_cast<int>(t.Y), 1, 0, 0});
  }
};

// A rule that adds to the head table itself, which no rule may.
struct TInterningTransform {
  TDrawing* D;
  void Point(double&, double&) const {}
  void Record(TTextEnt& t, const TRecordOps<TInterningTransform>&) const {
    t.Head = InternHead(*D, TEntHead{0, 1, 0, 7, 1, 0, 0});
  }
};

// 40 texts, arcs and solid arcs, every other one in group 1.
void Build(TDrawing& d) {
  for (int i = 0; i < 40; ++i) {
    const TEntHead head{0, i % 2, 0, 1, 1, 0, 0};
    TTextEnt& t = AddRecord(d, d.Texts, ekText, head);
    t.Y = i, t.Width = 1, t.Dx = 0.5, t.Text = d.TextPool.AddShort("x");
    TArcEnt& a = AddRecord(d, d.Arcs, ekArc, head);
    a.X = i, a.R = 3, a.TiltAngle = 30;
    TSolidArcEnt& s = AddRecord(d, d.ScEnts, ekSc, head);
    s.X = i, s.R = 2, s.TiltRad = std::numeric_limits<double>::infinity();  // never changed
  }
}

TEST(TransformPass, KindRulesSelectionAndTextsForEveryCut) {
  for (const TPassCut cut : {kOneThread, TPassCut{0, 1}, TPassCut{1, 3}, TPassCut{1, 2}, TPassCut{-1, 2},
                            TPassCut{-3, -2}, TPassCut{1, 0}}) {
    SCOPED_TRACE(std::to_string(cut.Num) + "/" + std::to_string(cut.Den));
    TDrawing d;
    Build(d);
    d.First.Group = 1;
    // The degree angles are NaN and not checked; the infinite tilts are
    // unchanged and not checked either.
    const TTestTransform x{1, std::nan("")};
    ASSERT_TRUE(TransformDrawing(d, x, TSelection::Of(d, false), cut));
    for (int i = 0; i < 40; ++i) {
      const bool taken = i % 2 == 1;
      EXPECT_EQ(d.Texts[i].Text.View(), taken ? std::to_string(i) : "x");
      EXPECT_EQ(d.Texts[i].Width, taken ? 2 : 1);
      EXPECT_EQ(d.Heads[d.Texts[i].Head].Color, taken ? 100 + i : 1);
      EXPECT_EQ(d.Texts[i].Dx, 0.5);
      EXPECT_EQ(d.Arcs[i].X, taken ? i + 1 : i);
      EXPECT_EQ(std::isnan(d.Arcs[i].TiltAngle), taken);
      EXPECT_EQ(d.ScEnts[i].R, taken ? 4 : 2);
    }
    // A changed value beyond the range of doubles fails the pass, also when
    // only the last record (the second thread's) has one.
    d.Arcs[39].X = 1e308;
    EXPECT_FALSE(TransformDrawing(d, TTestTransform{1e308, 0}, TSelection::Of(d, true), cut));
    EXPECT_THROW(TransformDrawing(d, TInterningTransform{&d}, TSelection::Of(d, true), cut), std::logic_error);
    EXPECT_NO_THROW(InternHead(d, TEntHead{0, 1, 0, 7, 1, 0, 0}));  // the pass is over
  }
}

// A transform whose Record rule covers every kind needs no Point: it
// compiles, and the rule alone decides (here: every head a colour 5).
struct TRecolorEveryKind {
  template <class E>
  void Record(E& e, const TRecordOps<TRecolorEveryKind>& ops) const {
    TEntHead h = ops.HeadOf(e);
    h.Color = 5;
    ops.SetHead(e, h);
  }
};

TEST(TransformPass, PointIsOptionalWhenRecordRulesCoverEveryKind) {
  TDrawing d;
  TLineEnt& l = d.Lines.Append();
  l.X2 = 1;
  detail::AddOrder(d, ekLine, 0);
  ASSERT_TRUE(TransformDrawing(d, TRecolorEveryKind{}, TSelection::Of(d, true)));
  EXPECT_EQ(d.Heads[d.Lines[0].Head].Color, 5);
  EXPECT_EQ(d.Lines[0].X2, 1);
}

}  // namespace
}  // namespace cadxform
