#include "cadxform/head_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "cadxform/drawing.h"
#include "format/read_state.h"

namespace {

using namespace cadxform;

using cadxform::TEntHead;
using cadxform::THeadTable;

TEntHead HeadNo(int32_t i) { return TEntHead{i % 7, i % 16, (i / 16) % 16, i, 1, 0, i % 32}; }

// Heads handed out recently are shared, whatever slot they were given
// in; a head seen long ago is added again (runs of entities share heads,
// the table does not search).
TEST(HeadTable, RecentHeadsAreShared) {
  THeadTable t;
  const TEntHead a{0, 2, 3, 1, 1, 0, 0};
  const TEntHead b{0, 2, 3, 1, 1, 0, 1};  // differs only in the z-flags
  const TEntHead c{0, 2, 3, 7, 1, 0, 0};  // a text's own colour
  const uint32_t ia = detail::InternInSlot(t, a, 0);
  const uint32_t ic = detail::InternInSlot(t, c, 1);
  EXPECT_EQ(detail::InternInSlot(t, a, 0), ia);
  EXPECT_EQ(detail::InternInSlot(t, c, 1), ic);
  EXPECT_EQ(detail::InternInSlot(t, a, 1), ia);  // found in the other slot
  const uint32_t ib = detail::InternInSlot(t, b, 0);  // replaces a in slot 0
  EXPECT_EQ(detail::InternInSlot(t, b, 0), ib);
  EXPECT_NE(ia, ib);
  EXPECT_NE(ia, ic);
  EXPECT_EQ(t[ia], a);
  EXPECT_EQ(t[ib], b);
  EXPECT_EQ(t[ic], c);
  EXPECT_EQ(t.Count(), 4);  // with the all-zero head
  EXPECT_EQ(detail::InternInSlot(t, TEntHead{}, 2), 0u);
  const uint32_t again = detail::InternInSlot(t, a, 0);  // no longer recent
  EXPECT_NE(again, ia);
  EXPECT_EQ(t[again], a);
}

// Many heads keep their ids and values while the table grows.
TEST(HeadTable, ManyHeadsKeepTheirIds) {
  THeadTable t;
  std::vector<uint32_t> ids;
  for (int32_t i = 1; i <= 20000; ++i) ids.push_back(t.Intern(HeadNo(i)));
  EXPECT_EQ(t.Count(), 20001);
  for (int32_t i = 1; i <= 20000; ++i) ASSERT_EQ(t[ids[static_cast<size_t>(i - 1)]], HeadNo(i)) << i;
  t.Clear();
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t[0], TEntHead{});
}

// A zero-filled record names the all-zero head; every drawing has a table
// of its own.
TEST(HeadTable, DrawingRecordsReferToTheTable) {
  TDrawing d;
  TLineEnt& l = d.Lines.Append();
  EXPECT_EQ(d.Heads[l.Head], TEntHead{});
  l.Head = InternHead(d, TEntHead{0, 5, 0, 1, 1, 0, 0});
  EXPECT_EQ(d.Heads[l.Head].Group, 5);
  EXPECT_EQ(d.Heads[l.Head].Color, 1);
  TDrawing other;
  EXPECT_EQ(other.Heads.Count(), 1);  // the zero head only
  TReadState r(other);
  EXPECT_EQ(other.Heads.Count(), 2);  // and the default dimension line's
}

}  // namespace
