// The drawing, the reader's and the writer's state: defaults, growth of the
// record arrays and the attribute reset before writing.
#include "cadxform/drawing.h"

#include <gtest/gtest.h>

#include "format/read_state.h"
#include "format/parse_line.h"
#include "format/write_state.h"

namespace {

using namespace cadxform;

TEST(Drawing, DefaultsOfANewDrawingAndReadState) {
  const TDrawing s;

  EXPECT_EQ(s.Order.Count(), 0);
  EXPECT_EQ(TotalEntityCount(s), 0);
  EXPECT_EQ(s.Lines.Capacity(), 0);
  EXPECT_EQ(s.TextPool.BytesReserved(), 0u);

  EXPECT_EQ(s.HkValue, 0.0);
  EXPECT_TRUE(s.FileName.empty());
  for (double v : s.HsValues) EXPECT_EQ(v, 1.0);
  EXPECT_EQ(s.SheetWidth, 1189.0);
  EXPECT_EQ(s.SheetHeight, 841.0);
  for (size_t k = 1; k <= 10; ++k) {
    EXPECT_EQ(s.TextKinds[k].Width, 3.0);
    EXPECT_EQ(s.TextKinds[k].Height, 3.0);
    EXPECT_EQ(s.TextKinds[k].Spacing, 0.0);
    EXPECT_EQ(s.TextKinds[k].Color, 2);
  }
  EXPECT_FALSE(s.BzSeen);
  for (double v : s.HnValues) EXPECT_EQ(v, 0.0);
  for (int32_t v : s.GroupNums) EXPECT_EQ(v, 0);
  for (const std::string& v : s.GroupNames) EXPECT_TRUE(v.empty());
  for (int32_t v : s.LayerNums) EXPECT_EQ(v, 0);
  for (const std::string& v : s.LayerNames) EXPECT_TRUE(v.empty());
  for (const THpPoint& p : s.HpPoints) {
    EXPECT_FALSE(p.Defined);
    EXPECT_EQ(p.X, 0.0);
    EXPECT_EQ(p.HpKind, 0);
  }
  EXPECT_EQ(s.HpCount, 0);

  EXPECT_EQ(s.First.Group, 0);
  EXPECT_EQ(s.First.Layer, 0);
  EXPECT_EQ(s.First.Color, 1);
  EXPECT_EQ(s.First.LineType, 1);
  EXPECT_EQ(s.First.LineWidth, 0);
  EXPECT_EQ(s.First.TextKind, 1);
  EXPECT_EQ(s.First.TextWidth, 2.0);
  EXPECT_EQ(s.First.TextHeight, 2.0);
  EXPECT_EQ(s.First.TextSpacing, 0.0);
  EXPECT_EQ(s.First.TextColor, 1);
  EXPECT_TRUE(s.First.FontName.empty());

  TDrawing d;
  const TReadState r(d);
  for (bool unseen : r.FirstUnseen) EXPECT_TRUE(unseen);
  EXPECT_EQ(r.CurHhpNo, 0);
  EXPECT_EQ(r.Cur.Group, 0);
  EXPECT_EQ(r.Cur.Layer, 0);
  EXPECT_EQ(r.Cur.Color, 1);
  EXPECT_EQ(r.Cur.LineType, 1);
  EXPECT_EQ(r.Cur.LineWidth, 0);
  EXPECT_EQ(r.Cur.TextKind, 1);
  EXPECT_EQ(r.Cur.TextWidth, 2.0);
  EXPECT_EQ(r.Cur.TextHeight, 2.0);
  EXPECT_EQ(r.Cur.TextSpacing, 0.0);
  EXPECT_EQ(r.Cur.TextColor, 1);
  EXPECT_EQ(r.Cur.Cc, 0);
  // "<ＭＳ ゴシック>"
  EXPECT_EQ(r.Cur.FontName, "<\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e>");
  EXPECT_EQ(r.CurZFlags, 0);
  EXPECT_EQ(r.PlCount, 0);
  EXPECT_FALSE(r.InPl);
  EXPECT_FALSE(r.InDim);
  EXPECT_EQ(r.Cur.PointColor, 1);
  EXPECT_EQ(r.Cur.SolidColor, 0);
  const TLineEnt& l = r.PendingDimLine;
  EXPECT_EQ(d.Heads[l.Head].HhpNo, 0);
  EXPECT_EQ(d.Heads[l.Head].Color, 1);
  EXPECT_EQ(d.Heads[l.Head].LineType, 1);
  EXPECT_EQ(d.Heads[l.Head].LineWidth, 0);
  EXPECT_EQ(d.Heads[l.Head].ZFlags, 0);
  EXPECT_EQ(l.PlNo, 0);
  EXPECT_EQ(l.X1, 0.0);
  EXPECT_EQ(l.Y1, 0.0);
  EXPECT_EQ(l.X2, 1.0);
  EXPECT_EQ(l.Y2, 0.0);
}

TEST(Drawing, ArraysGrowInBlocksOfThousandWithoutMovingRecords) {
  TDrawing d;
  struct TStep {
    int32_t count;
    int64_t capacity;
  };
  const TStep steps[] = {{1, 1000}, {999, 1000}, {1000, 1000}, {1001, 2000}, {2000, 2000}, {2001, 3000}};
  const TCircleEnt* first = nullptr;
  int32_t count = 0;
  for (const TStep& step : steps) {
    while (count < step.count) {
      TCircleEnt& c = d.Circles.Append();
      EXPECT_EQ(c.X, 0.0);  // appended records are zero-filled
      c.X = count++;
      if (first == nullptr) first = &c;
    }
    EXPECT_EQ(d.Circles.Count(), step.count);
    EXPECT_EQ(d.Circles.Capacity(), step.capacity) << step.count;
  }
  EXPECT_EQ(&d.Circles[0], first);
  for (int32_t i = 0; i < count; ++i) ASSERT_EQ(d.Circles[i].X, i);
}

TEST(WriteState, ResetAttrStatePreparesTheWriterForTheDrawing) {
  TDrawing d;
  TReadState r(d);
  for (const char* line : {"hhp4", "lg2", "ly3", "lc5", "lt6", "lw7", "cn0 1 2 3 4", "cc2", "cn$F", "pn8",
                           "lc10 9", "pl", "pl", "msg", "5 6 7 8", "z1", "ci 1 2 3", "z2", "z8"}) {
    ParseLine(d, r, line);
  }
  // A write state that has written before: every value differs.
  TWriteState w;
  w.Last = r.Cur;
  w.PendingAttr.fill(false);
  ResetAttrState(w, d);
  const TWriteState& s = w;
  for (size_t i = 0; i < 10; ++i) EXPECT_TRUE(s.PendingAttr[i]) << i;
  EXPECT_EQ(s.Last.Group, 0);
  EXPECT_EQ(s.Last.Layer, 0);
  EXPECT_EQ(s.Last.Color, 1);
  EXPECT_EQ(s.Last.LineType, 1);
  EXPECT_EQ(s.Last.LineWidth, 0);
  EXPECT_EQ(s.Last.TextKind, 1);
  EXPECT_EQ(s.Last.TextWidth, 2.0);
  EXPECT_EQ(s.Last.TextColor, 1);
  EXPECT_EQ(s.Last.Cc, 0);
  EXPECT_EQ(s.Last.FontName, kDefaultFontName);
  EXPECT_EQ(s.Last.PointColor, 1);
  EXPECT_EQ(s.Last.SolidColor, 0);
  // The drawing's first-seen values are taken over.
  EXPECT_EQ(s.First.Group, 2);
  EXPECT_EQ(s.First.Color, 5);
  EXPECT_EQ(s.First.FontName, "F");
  EXPECT_EQ(d.Circles.Count(), 1);
}

TEST(Drawing, OrderListsEveryRecordByKindAndIndex) {
  TDrawing d;
  TReadState r(d);
  for (int i = 0; i < 1500; ++i) ParseLine(d, r, "ch 1 2 3 4 text");
  EXPECT_EQ(d.Order.Count(), 1500);
  EXPECT_EQ(d.Order[1499].Kind, ekText);
  EXPECT_EQ(d.Order[1499].Index, 1499);
  EXPECT_EQ(TotalEntityCount(d), 1500);
  EXPECT_GT(d.TextPool.BytesReserved(), 0u);
}

}  // namespace
