#include "exchange/attr_writers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "exchange/store.h"

namespace {

using namespace rek;
using Lines = std::vector<std::string>;

// One call of a writer and the lines it must queue.
struct Step {
  std::function<void()> call;
  Lines want;
};

// The lines queued from byte offset `from` on (each ends in CR LF).
Lines LinesFrom(size_t from) {
  const std::string bytes = Store.OutLines.Bytes().substr(from);
  Lines out;
  size_t start = 0;
  for (size_t pos; (pos = bytes.find("\r\n", start)) != std::string::npos; start = pos + 2) {
    out.push_back(bytes.substr(start, pos - start));
  }
  EXPECT_EQ(start, bytes.size()) << "unterminated line";
  return out;
}

// Runs the steps from a fresh writer state and checks each step's lines.
void RunSteps(const std::vector<Step>& steps) {
  for (size_t i = 0; i < steps.size(); ++i) {
    const size_t before = Store.OutLines.Size();
    steps[i].call();
    EXPECT_EQ(LinesFrom(before), steps[i].want) << "step " << i;
  }
}

class AttrWriters : public ::testing::Test {
 protected:
  void SetUp() override {
    InitStore();
    ResetAttrState();
  }
  void TearDown() override { FreeStore(); }
};

TEST_F(AttrWriters, GroupAndLayer) {
  RunSteps({
      {[] { PutGroup(0); }, {"lg0"}},
      {[] { PutLayer(0); }, {"ly0"}},
      {[] { PutGroup(0); }, {}},
      {[] { PutLayer(0); }, {}},
      {[] { PutGroup(11); }, {"lgB"}},
      {[] { PutLayer(0); }, {"ly0"}},  // re-armed by the new group
      {[] { PutLayer(0); }, {}},
      {[] { PutLayer(15); }, {"lyF"}},
      {[] { PutGroup(-1); }, {"lgFFFFFFFF"}},
      {[] { PutGroup(16); }, {"lg10"}},
  });
}

TEST_F(AttrWriters, FirstLineWrittenEvenWithDefaultValues) {
  // After the reset every writer writes once, though the values equal the
  // current defaults.
  RunSteps({
      {[] { PutColor(1, 0); }, {"lc1"}},
      {[] { PutLineType(1, 0); }, {"lt1"}},
      {[] { PutLineWidth(0); }, {"lw0"}},
      {[] { PutTextKind(1, 1, 0, 2, 2, 0); }, {"cn1"}},
      {[] { PutCc(0); }, {"cc0"}},
      {[] { PutPointColor(1, 0); }, {"pn1"}},
      {[] { PutFontName(kDefaultFontName); }, {"cn\"$" + std::string(kDefaultFontName)}},
      {[] { PutColor(1, 0); }, {}},
      {[] { PutLineType(1, 0); }, {}},
      {[] { PutLineWidth(0); }, {}},
      {[] { PutTextKind(1, 1, 0, 2, 2, 0); }, {}},
      {[] { PutCc(0); }, {}},
      {[] { PutPointColor(1, 0); }, {}},
      {[] { PutFontName(kDefaultFontName); }, {}},
  });
}

TEST(FileNumbers, ColorAndLineType) {
  InitStore();
  Store.FirstColor = 7;
  Store.FirstLineType = 4;
  const struct {
    int32_t in, color, lineType;
  } cases[] = {{-5, 7, 4}, {0, 7, 4},    {1, 1, 1},    {9, 9, 9},    {10, 101, 11},
               {18, 109, 19}, {19, 110, 31}, {25, 116, 37}, {255, 346, 267},
               // Near the int32 limit the addition wraps instead of overflowing.
               {2147483647, -2147483558, -2147483637}};
  for (const auto& c : cases) {
    EXPECT_EQ(FileColorNo(c.in), c.color) << c.in;
    EXPECT_EQ(FileLineTypeNo(c.in), c.lineType) << c.in;
  }
  FreeStore();
}

TEST_F(AttrWriters, ColorsWithAndWithoutConversion) {
  Store.FirstColor = 7;
  Store.FirstLineType = 4;
  RunSteps({
      {[] { PutColor(5, 0); }, {"lc5"}},
      {[] { PutColor(5, 0); }, {}},
      {[] { PutColor(0, 1); }, {"lc7"}},
      {[] { PutColor(7, 0); }, {}},  // compared after conversion
      {[] { PutColor(10, 1); }, {"lc101"}},
      {[] { PutColor(101, 0); }, {}},
      {[] { PutColor(-4, 0); }, {"lc-4"}},
      {[] { PutColor(10, 2); }, {"lc10"}},  // any mode but 1 leaves it
      {[] { PutLineType(0, 1); }, {"lt4"}},
      {[] { PutLineType(19, 1); }, {"lt31"}},
      {[] { PutLineType(31, 0); }, {}},
      {[] { PutLineType(19, 0); }, {"lt19"}},
      {[] { PutPointColor(0, 1); }, {"pn7"}},
      {[] { PutPointColor(12, 1); }, {"pn103"}},
      {[] { PutPointColor(103, 0); }, {}},
  });
}

TEST_F(AttrWriters, LineWidthNormalised) {
  Store.FirstLineWidth = 3;
  RunSteps({
      {[] { PutLineWidth(-1); }, {"lw3"}},
      {[] { PutLineWidth(3); }, {}},
      {[] { PutLineWidth(30001); }, {"lw0"}},
      {[] { PutLineWidth(-5); }, {}},  // 0 was written last
      {[] { PutLineWidth(30000); }, {"lw30000"}},
      {[] { Store.FirstLineWidth = 40000; }, {}},
      {[] { PutLineWidth(-1); }, {"lw0"}},  // an out-of-range first width too
  });
}

TEST_F(AttrWriters, CcNormalised) {
  RunSteps({
      {[] { PutCc(9); }, {"cc0"}},
      {[] { PutCc(0); }, {}},
      {[] { PutCc(8); }, {"cc8"}},
      {[] { PutCc(-1); }, {"cc0"}},
  });
}

TEST_F(AttrWriters, TextKindAndFreeSize) {
  RunSteps({
      {[] { PutTextKind(3, 1, 0, 2, 2, 0); }, {"cn3"}},
      {[] { PutTextKind(3, 1, 0, 9, 9, 9); }, {}},  // sizes ignored for kind 1..10
      {[] { PutTextKind(0, 1, 0, 2.5, 2.5, 0); }, {"cn0 2.5 2.5 0 1"}},
      {[] { PutTextKind(0, 1, 0, 2.5, 2.5, 0); }, {}},
      {[] { PutTextKind(0, 1, 0, 2.5, 3, 0); }, {"cn0 2.5 3 0 1"}},
      {[] { PutTextKind(0, 2, 0, 2.5, 3, 0); }, {"cn0 2.5 3 0 2"}},
      {[] { PutTextKind(0, 2, 0, 2.5, 3, 0.125); }, {"cn0 2.5 3 0.125 2"}},
      {[] { PutTextKind(0, 2, 0, 2.5, 3, 0.125); }, {}},
      {[] { PutTextKind(4, 2, 0, 1, 1, 1); }, {"cn4"}},
      // The free size held is unchanged by kind 4, but the kind differs.
      {[] { PutTextKind(0, 2, 0, 2.5, 3, 0.125); }, {"cn0 2.5 3 0.125 2"}},
      {[] { PutTextKind(0, 10, 1, 2.5, 3, 0.125); }, {"cn0 2.5 3 0.125 101"}},
      {[] { PutTextKind(0, 101, 0, 2.5, 3, 0.125); }, {}},
      {[] { PutTextKind(10, 0, 0, 0, 0, 0); }, {"cn10"}},
      {[] { PutTextKind(0, -1, 0, -1.5, 1E20, 0.0001); }, {"cn0 -1.5 1E20 0.0001 -1"}},
  });
}

TEST_F(AttrWriters, TextKindOutOfRangeUsesFirstSeen) {
  Store.FirstTextKind = 0;
  Store.FirstTextWidth = 1.5;
  Store.FirstTextHeight = 2;
  Store.FirstTextSpacing = 0.5;
  Store.FirstTextColor = 4;
  Store.FirstColor = 6;
  RunSteps({
      {[] { PutTextKind(12, 1, 0, 9, 9, 9); }, {"cn0 1.5 2 0.5 4"}},
      {[] { PutTextKind(-1, 3, 1, 8, 8, 8); }, {}},  // exactly these were written
      {[] { PutTextKind(0, 1, 0, 1.5, 2, 0.5); }, {"cn0 1.5 2 0.5 1"}},
      {[] { PutTextKind(11, 1, 0, 1.5, 2, 0.5); }, {"cn0 1.5 2 0.5 4"}},
      {[] { PutTextKind(0, 0, 1, 1.5, 2, 0.5); }, {"cn0 1.5 2 0.5 6"}},  // colour 0 -> FirstColor
      {[] { Store.FirstTextKind = 5; }, {}},
      {[] { PutTextKind(11, 1, 0, 1.5, 2, 0.5); }, {"cn5"}},
      {[] { PutTextKind(5, 1, 0, 1.5, 2, 0.5); }, {}},
  });
}

TEST_F(AttrWriters, FontName) {
  const std::string sjis = "\x82\x6C\x82\x72\x96\xBE\x92\xA9";  // "ＭＳ明朝"
  RunSteps({
      {[] { PutFontName("<>"); }, {"cn\"$"}},  // first-seen name empty too
      {[] { PutFontName(""); }, {}},
      {[] { PutFontName("ABC"); }, {"cn\"$ABC"}},
      {[] { PutFontName("ABC"); }, {}},
      {[] { Store.FirstFontName = "XYZ"; }, {}},
      {[] { PutFontName("<>"); }, {"cn\"$XYZ"}},
      {[] { PutFontName("XYZ"); }, {}},
      {[] { PutFontName(""); }, {}},
      {[&] { PutFontName(sjis); }, {"cn\"$" + sjis}},
      {[] { PutFontName("<> "); }, {"cn\"$<> "}},  // only the exact "<>" falls back
  });
}

// A font name ending in a double quote is a plain line: the next line keeps
// its own line.
TEST_F(AttrWriters, FontNameEndingInQuoteStaysOneLine) {
  RunSteps({
      {[] { PutFontName("Q\""); }, {"cn\"$Q\""}},
      {[] { PutColor(3, 0); }, {"lc3"}},
  });
}

TEST_F(AttrWriters, SolidColor) {
  RunSteps({
      {[] { PutColor(5, 0); }, {"lc5"}},
      {[] { PutSolidColor(255); }, {"lc10 255"}},
      {[] { PutSolidColor(255); }, {}},
      {[] { PutColor(10, 0); }, {}},  // colour 10 already in force
      {[] { PutColor(3, 0); }, {"lc3"}},
      {[] { PutSolidColor(255); }, {"lc10 255"}},
      {[] { PutSolidColor(16777216); }, {"lc10 0"}},
      {[] { PutSolidColor(-1); }, {}},  // normalised to 0, unchanged
      {[] { PutSolidColor(16777215); }, {"lc10 16777215"}},
  });
}

TEST_F(AttrWriters, SolidColorAfterReset) {
  // Pending colour: the first solid writes even with the default RGB 0.
  RunSteps({
      {[] { PutSolidColor(0); }, {"lc10 0"}},
      {[] { PutSolidColor(0); }, {}},
  });
}

TEST_F(AttrWriters, SolidColorAfterColorLineTen) {
  // "lc10" from PutColor clears the solid flag: a solid with the RGB value
  // held (0 after the reset) adds nothing.
  RunSteps({
      {[] { PutColor(10, 0); }, {"lc10"}},
      {[] { PutSolidColor(0); }, {}},
      {[] { PutSolidColor(5); }, {"lc10 5"}},
  });
}

TEST(ZFlags, Lines) {
  const struct {
    int32_t flags;
    Lines want;
  } cases[] = {
      {0, {}},
      {1, {"z1"}},
      {2, {"z2"}},
      {4, {"z3"}},
      {8, {"z4"}},
      {16, {"z5"}},
      {24, {"z5"}},
      {31, {"z1", "z2", "z3", "z5"}},
      {15, {"z1", "z2", "z3", "z4"}},
      {5, {"z1", "z3"}},
      {32, {}},
      {-1, {"z1", "z2", "z3", "z5"}},
  };
  for (const auto& c : cases) {
    InitStore();
    ResetAttrState();
    PutZFlags(c.flags);
    PutZFlags(c.flags);  // no state: the same lines again
    Lines twice = c.want;
    twice.insert(twice.end(), c.want.begin(), c.want.end());
    EXPECT_EQ(LinesFrom(0), twice) << c.flags;
  }
  FreeStore();
}

}  // namespace
