// The drawing store: defaults, growth of the record arrays, the attribute
// reset before writing and the release of everything.
#include "exchange/store.h"

#include <gtest/gtest.h>

#include "exchange/reader.h"

namespace {

using namespace rek;

class StoreTest : public testing::Test {
 protected:
  void SetUp() override { InitStore(); }
  void TearDown() override { InitStore(); }
};

TEST_F(StoreTest, DefaultsAfterInitStore) {
  // Dirty every part of the store first: InitStore must reset all of it.
  for (const char* line : {"file=x", "hk 1", "hzs 1 2", "hcw 9 9 9 9 9 9 9 9 9 9", "bz", "hp1 1 2", "hhp3",
                           "lg2 5", "lgnA", "ly3 6", "lynB", "lc4", "lt5", "lw6", "cn$F", "cn0 1 2 3 4", "cc2",
                           "pn7", "lc10 9", "z1", "pl", "msg", "1 2 3 4", "ci 1 2 3", "ch 1 2 3 4 x", "z2"}) {
    ParseLine(line);
  }
  AddOutLine("x");
  InitStore();
  const TDrawingStore& s = Store;

  EXPECT_EQ(s.Order.Count(), 0);
  EXPECT_EQ(TotalEntityCount(), 0);
  EXPECT_EQ(s.Lines.Capacity(), 0);
  EXPECT_EQ(s.OutLines.Count(), 0);
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

  EXPECT_EQ(s.FirstGroup, 0);
  EXPECT_EQ(s.FirstLayer, 0);
  EXPECT_EQ(s.FirstColor, 1);
  EXPECT_EQ(s.FirstLineType, 1);
  EXPECT_EQ(s.FirstLineWidth, 0);
  EXPECT_EQ(s.FirstTextKind, 1);
  EXPECT_EQ(s.FirstTextWidth, 2.0);
  EXPECT_EQ(s.FirstTextHeight, 2.0);
  EXPECT_EQ(s.FirstTextSpacing, 0.0);
  EXPECT_EQ(s.FirstTextColor, 1);
  EXPECT_TRUE(s.FirstFontName.empty());
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(s.PendingAttr[i], i <= 5) << i;

  EXPECT_EQ(s.CurHhpNo, 0);
  EXPECT_EQ(s.CurGroup, 0);
  EXPECT_EQ(s.CurLayer, 0);
  EXPECT_EQ(s.CurColor, 1);
  EXPECT_EQ(s.CurLineType, 1);
  EXPECT_EQ(s.CurLineWidth, 0);
  EXPECT_EQ(s.CurTextKind, 1);
  EXPECT_EQ(s.CurTextWidth, 2.0);
  EXPECT_EQ(s.CurTextHeight, 2.0);
  EXPECT_EQ(s.CurTextSpacing, 0.0);
  EXPECT_EQ(s.CurTextColor, 1);
  EXPECT_EQ(s.CurCc, 0);
  // "<ＭＳ ゴシック>"
  EXPECT_EQ(s.CurFontName, "<\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e>");
  EXPECT_EQ(s.CurZFlags, 0);
  EXPECT_EQ(s.PlCount, 0);
  EXPECT_FALSE(s.InPl);
  EXPECT_FALSE(s.InDim);
  EXPECT_EQ(s.CurPointColor, 1);
  EXPECT_EQ(s.CurSolidColor, 0);
  const TLineEnt& d = s.PendingDimLine;
  EXPECT_EQ(d.Head->HhpNo, 0);
  EXPECT_EQ(d.Head->Color, 1);
  EXPECT_EQ(d.Head->LineType, 1);
  EXPECT_EQ(d.Head->LineWidth, 0);
  EXPECT_EQ(d.Head->ZFlags, 0);
  EXPECT_EQ(d.PlNo, 0);
  EXPECT_EQ(d.X1, 0.0);
  EXPECT_EQ(d.Y1, 0.0);
  EXPECT_EQ(d.X2, 1.0);
  EXPECT_EQ(d.Y2, 0.0);
}

TEST_F(StoreTest, ArraysGrowInBlocksOfThousandWithoutMovingRecords) {
  struct TStep {
    int32_t count;
    int64_t capacity;
  };
  const TStep steps[] = {{1, 1000}, {999, 1000}, {1000, 1000}, {1001, 2000}, {2000, 2000}, {2001, 3000}};
  const TCircleEnt* first = nullptr;
  int32_t count = 0;
  for (const TStep& step : steps) {
    while (count < step.count) {
      TCircleEnt& c = Store.Circles.Append();
      EXPECT_EQ(c.X, 0.0);  // appended records are zero-filled
      c.X = count++;
      if (first == nullptr) first = &c;
    }
    EXPECT_EQ(Store.Circles.Count(), step.count);
    EXPECT_EQ(Store.Circles.Capacity(), step.capacity) << step.count;
  }
  EXPECT_EQ(&Store.Circles[0], first);
  for (int32_t i = 0; i < count; ++i) ASSERT_EQ(Store.Circles[i].X, i);
}

TEST_F(StoreTest, ResetAttrStatePreparesTheWriterAndKeepsReaderState) {
  for (const char* line : {"hhp4", "lg2", "ly3", "lc5", "lt6", "lw7", "cn0 1 2 3 4", "cc2", "cn$F", "pn8",
                           "lc10 9", "pl", "pl", "msg", "5 6 7 8", "z1", "ci 1 2 3", "z2", "z8"}) {
    ParseLine(line);
  }
  ResetAttrState();
  const TDrawingStore& s = Store;
  for (size_t i = 0; i < 10; ++i) EXPECT_TRUE(s.PendingAttr[i]) << i;
  EXPECT_EQ(s.CurGroup, 0);
  EXPECT_EQ(s.CurLayer, 0);
  EXPECT_EQ(s.CurColor, 1);
  EXPECT_EQ(s.CurLineType, 1);
  EXPECT_EQ(s.CurLineWidth, 0);
  EXPECT_EQ(s.CurTextKind, 1);
  EXPECT_EQ(s.CurTextWidth, 2.0);
  EXPECT_EQ(s.CurTextColor, 1);
  EXPECT_EQ(s.CurCc, 0);
  EXPECT_EQ(s.CurFontName, kDefaultFontName);
  EXPECT_EQ(s.CurPointColor, 1);
  EXPECT_EQ(s.CurSolidColor, 0);
  // Kept: the pick number, the z-flags after the last entity, the block
  // state and the pending dimension line.
  EXPECT_EQ(s.CurHhpNo, 4);
  EXPECT_EQ(s.CurZFlags, 2);
  EXPECT_EQ(s.PlCount, 2);
  EXPECT_EQ(s.PendingDimLine.X1, 5.0);
  EXPECT_EQ(s.PendingDimLine.Head->Color, 10);
  // First-seen values are the drawing's own and stay too.
  EXPECT_EQ(s.FirstGroup, 2);
  EXPECT_EQ(s.FirstColor, 5);
  EXPECT_EQ(s.FirstFontName, "F");
  EXPECT_EQ(s.Circles.Count(), 1);
}

TEST_F(StoreTest, FreeStoreReleasesRecordsAndOrder) {
  for (int i = 0; i < 1500; ++i) ParseLine("ch 1 2 3 4 text");
  AddOutLine("hd");
  EXPECT_EQ(Store.Order.Count(), 1500);
  EXPECT_EQ(Store.Order[1499].Kind, ekText);
  EXPECT_EQ(Store.Order[1499].Index, 1499);
  FreeStore();
  EXPECT_EQ(Store.Order.Count(), 0);
  EXPECT_EQ(Store.Order.Capacity(), 0);
  EXPECT_EQ(TotalEntityCount(), 0);
  EXPECT_EQ(Store.OutLines.Count(), 0);
  EXPECT_EQ(Store.TextPool.BytesReserved(), 0u);
}

}  // namespace
