#include "format/attr_writers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "format/write_state.h"

namespace {

using namespace cadxform;
using Lines = std::vector<std::string>;

// One call of a writer and the lines it must queue.
struct Step {
  std::function<void(TWriteState&)> call;
  Lines want;
};

// The lines queued from byte offset `from` on (each ends in CR LF).
Lines LinesFrom(const TOutBuffer& buffer, size_t from) {
  const std::string bytes = buffer.Bytes().substr(from);
  Lines out;
  size_t start = 0;
  for (size_t pos; (pos = bytes.find("\r\n", start)) != std::string::npos; start = pos + 2) {
    out.push_back(bytes.substr(start, pos - start));
  }
  EXPECT_EQ(start, bytes.size()) << "unterminated line";
  return out;
}

// Runs the steps from a fresh writer state and checks each step's lines.
void RunSteps(TWriteState& w, const std::vector<Step>& steps) {
  for (size_t i = 0; i < steps.size(); ++i) {
    const size_t before = w.Out.Size();
    steps[i].call(w);
    EXPECT_EQ(LinesFrom(w.Out, before), steps[i].want) << "step " << i;
  }
}

class AttrWriters : public ::testing::Test {
 protected:
  TWriteState W;
};

TEST_F(AttrWriters, GroupAndLayer) {
  RunSteps(W, {
      {[](TWriteState& w) { PutGroup(w, 0); }, {"lg0"}},
      {[](TWriteState& w) { PutLayer(w, 0); }, {"ly0"}},
      {[](TWriteState& w) { PutGroup(w, 0); }, {}},
      {[](TWriteState& w) { PutLayer(w, 0); }, {}},
      {[](TWriteState& w) { PutGroup(w, 11); }, {"lgB"}},
      {[](TWriteState& w) { PutLayer(w, 0); }, {"ly0"}},  // re-armed by the new group
      {[](TWriteState& w) { PutLayer(w, 0); }, {}},
      {[](TWriteState& w) { PutLayer(w, 15); }, {"lyF"}},
      {[](TWriteState& w) { PutGroup(w, -1); }, {"lgFFFFFFFF"}},
      {[](TWriteState& w) { PutGroup(w, 16); }, {"lg10"}},
  });
}

TEST_F(AttrWriters, FirstLineWrittenEvenWithDefaultValues) {
  // After the reset every writer writes once, though the values equal the
  // current defaults.
  RunSteps(W, {
      {[](TWriteState& w) { PutColor(w, 1, 0); }, {"lc1"}},
      {[](TWriteState& w) { PutLineType(w, 1, 0); }, {"lt1"}},
      {[](TWriteState& w) { PutLineWidth(w, 0); }, {"lw0"}},
      {[](TWriteState& w) { PutTextKind(w, 1, 1, 0, 2, 2, 0); }, {"cn1"}},
      {[](TWriteState& w) { PutCc(w, 0); }, {"cc0"}},
      {[](TWriteState& w) { PutPointColor(w, 1, 0); }, {"pn1"}},
      {[](TWriteState& w) { PutFontName(w, kDefaultFontName); }, {"cn\"$" + std::string(kDefaultFontName)}},
      {[](TWriteState& w) { PutColor(w, 1, 0); }, {}},
      {[](TWriteState& w) { PutLineType(w, 1, 0); }, {}},
      {[](TWriteState& w) { PutLineWidth(w, 0); }, {}},
      {[](TWriteState& w) { PutTextKind(w, 1, 1, 0, 2, 2, 0); }, {}},
      {[](TWriteState& w) { PutCc(w, 0); }, {}},
      {[](TWriteState& w) { PutPointColor(w, 1, 0); }, {}},
      {[](TWriteState& w) { PutFontName(w, kDefaultFontName); }, {}},
  });
}

TEST(FileNumbers, ColorAndLineType) {
  TWriteState w;
  w.First.Color = 7;
  w.First.LineType = 4;
  const struct {
    int32_t in, color, lineType;
  } cases[] = {{-5, 7, 4}, {0, 7, 4},    {1, 1, 1},    {9, 9, 9},    {10, 101, 11},
               {18, 109, 19}, {19, 110, 31}, {25, 116, 37}, {255, 346, 267},
               // Near the int32 limit the addition wraps instead of overflowing.
               {2147483647, -2147483558, -2147483637}};
  for (const auto& c : cases) {
    EXPECT_EQ(FileColorNo(w, c.in), c.color) << c.in;
    EXPECT_EQ(FileLineTypeNo(w, c.in), c.lineType) << c.in;
  }
}

TEST_F(AttrWriters, ColorsWithAndWithoutConversion) {
  W.First.Color = 7;
  W.First.LineType = 4;
  RunSteps(W, {
      {[](TWriteState& w) { PutColor(w, 5, 0); }, {"lc5"}},
      {[](TWriteState& w) { PutColor(w, 5, 0); }, {}},
      {[](TWriteState& w) { PutColor(w, 0, 1); }, {"lc7"}},
      {[](TWriteState& w) { PutColor(w, 7, 0); }, {}},  // compared after conversion
      {[](TWriteState& w) { PutColor(w, 10, 1); }, {"lc101"}},
      {[](TWriteState& w) { PutColor(w, 101, 0); }, {}},
      {[](TWriteState& w) { PutColor(w, -4, 0); }, {"lc-4"}},
      {[](TWriteState& w) { PutColor(w, 10, 2); }, {"lc10"}},  // any mode but 1 leaves it
      {[](TWriteState& w) { PutLineType(w, 0, 1); }, {"lt4"}},
      {[](TWriteState& w) { PutLineType(w, 19, 1); }, {"lt31"}},
      {[](TWriteState& w) { PutLineType(w, 31, 0); }, {}},
      {[](TWriteState& w) { PutLineType(w, 19, 0); }, {"lt19"}},
      {[](TWriteState& w) { PutPointColor(w, 0, 1); }, {"pn7"}},
      {[](TWriteState& w) { PutPointColor(w, 12, 1); }, {"pn103"}},
      {[](TWriteState& w) { PutPointColor(w, 103, 0); }, {}},
  });
}

TEST_F(AttrWriters, LineWidthNormalised) {
  W.First.LineWidth = 3;
  RunSteps(W, {
      {[](TWriteState& w) { PutLineWidth(w, -1); }, {"lw3"}},
      {[](TWriteState& w) { PutLineWidth(w, 3); }, {}},
      {[](TWriteState& w) { PutLineWidth(w, 30001); }, {"lw0"}},
      {[](TWriteState& w) { PutLineWidth(w, -5); }, {}},  // 0 was written last
      {[](TWriteState& w) { PutLineWidth(w, 30000); }, {"lw30000"}},
      {[](TWriteState& w) { w.First.LineWidth = 40000; }, {}},
      {[](TWriteState& w) { PutLineWidth(w, -1); }, {"lw0"}},  // an out-of-range first width too
  });
}

TEST_F(AttrWriters, CcNormalised) {
  RunSteps(W, {
      {[](TWriteState& w) { PutCc(w, 9); }, {"cc0"}},
      {[](TWriteState& w) { PutCc(w, 0); }, {}},
      {[](TWriteState& w) { PutCc(w, 8); }, {"cc8"}},
      {[](TWriteState& w) { PutCc(w, -1); }, {"cc0"}},
  });
}

TEST_F(AttrWriters, TextKindAndFreeSize) {
  RunSteps(W, {
      {[](TWriteState& w) { PutTextKind(w, 3, 1, 0, 2, 2, 0); }, {"cn3"}},
      {[](TWriteState& w) { PutTextKind(w, 3, 1, 0, 9, 9, 9); }, {}},  // sizes ignored for kind 1..10
      {[](TWriteState& w) { PutTextKind(w, 0, 1, 0, 2.5, 2.5, 0); }, {"cn0 2.5 2.5 0 1"}},
      {[](TWriteState& w) { PutTextKind(w, 0, 1, 0, 2.5, 2.5, 0); }, {}},
      {[](TWriteState& w) { PutTextKind(w, 0, 1, 0, 2.5, 3, 0); }, {"cn0 2.5 3 0 1"}},
      {[](TWriteState& w) { PutTextKind(w, 0, 2, 0, 2.5, 3, 0); }, {"cn0 2.5 3 0 2"}},
      {[](TWriteState& w) { PutTextKind(w, 0, 2, 0, 2.5, 3, 0.125); }, {"cn0 2.5 3 0.125 2"}},
      {[](TWriteState& w) { PutTextKind(w, 0, 2, 0, 2.5, 3, 0.125); }, {}},
      {[](TWriteState& w) { PutTextKind(w, 4, 2, 0, 1, 1, 1); }, {"cn4"}},
      // The free size held is unchanged by kind 4, but the kind differs.
      {[](TWriteState& w) { PutTextKind(w, 0, 2, 0, 2.5, 3, 0.125); }, {"cn0 2.5 3 0.125 2"}},
      {[](TWriteState& w) { PutTextKind(w, 0, 10, 1, 2.5, 3, 0.125); }, {"cn0 2.5 3 0.125 101"}},
      {[](TWriteState& w) { PutTextKind(w, 0, 101, 0, 2.5, 3, 0.125); }, {}},
      {[](TWriteState& w) { PutTextKind(w, 10, 0, 0, 0, 0, 0); }, {"cn10"}},
      {[](TWriteState& w) { PutTextKind(w, 0, -1, 0, -1.5, 1E20, 0.0001); }, {"cn0 -1.5 1E20 0.0001 -1"}},
  });
}

TEST_F(AttrWriters, TextKindOutOfRangeUsesFirstSeen) {
  W.First.TextKind = 0;
  W.First.TextWidth = 1.5;
  W.First.TextHeight = 2;
  W.First.TextSpacing = 0.5;
  W.First.TextColor = 4;
  W.First.Color = 6;
  RunSteps(W, {
      {[](TWriteState& w) { PutTextKind(w, 12, 1, 0, 9, 9, 9); }, {"cn0 1.5 2 0.5 4"}},
      {[](TWriteState& w) { PutTextKind(w, -1, 3, 1, 8, 8, 8); }, {}},  // exactly these were written
      {[](TWriteState& w) { PutTextKind(w, 0, 1, 0, 1.5, 2, 0.5); }, {"cn0 1.5 2 0.5 1"}},
      {[](TWriteState& w) { PutTextKind(w, 11, 1, 0, 1.5, 2, 0.5); }, {"cn0 1.5 2 0.5 4"}},
      {[](TWriteState& w) { PutTextKind(w, 0, 0, 1, 1.5, 2, 0.5); }, {"cn0 1.5 2 0.5 6"}},  // colour 0 -> FirstColor
      {[](TWriteState& w) { w.First.TextKind = 5; }, {}},
      {[](TWriteState& w) { PutTextKind(w, 11, 1, 0, 1.5, 2, 0.5); }, {"cn5"}},
      {[](TWriteState& w) { PutTextKind(w, 5, 1, 0, 1.5, 2, 0.5); }, {}},
  });
}

TEST_F(AttrWriters, FontName) {
  const std::string sjis = "\x82\x6C\x82\x72\x96\xBE\x92\xA9";  // "ＭＳ明朝"
  RunSteps(W, {
      {[](TWriteState& w) { PutFontName(w, "<>"); }, {"cn\"$"}},  // first-seen name empty too
      {[](TWriteState& w) { PutFontName(w, ""); }, {}},
      {[](TWriteState& w) { PutFontName(w, "ABC"); }, {"cn\"$ABC"}},
      {[](TWriteState& w) { PutFontName(w, "ABC"); }, {}},
      {[](TWriteState& w) { w.First.FontName = "XYZ"; }, {}},
      {[](TWriteState& w) { PutFontName(w, "<>"); }, {"cn\"$XYZ"}},
      {[](TWriteState& w) { PutFontName(w, "XYZ"); }, {}},
      {[](TWriteState& w) { PutFontName(w, ""); }, {}},
      {[&](TWriteState& w) { PutFontName(w, sjis); }, {"cn\"$" + sjis}},
      {[](TWriteState& w) { PutFontName(w, "<> "); }, {"cn\"$<> "}},  // only the exact "<>" falls back
  });
}

// A name longer than a line holds: the line is cut to 255 bytes, and the
// same long name again, or one that differs only past the cut, is compared
// whole.
TEST_F(AttrWriters, LongFontNameIsCutButComparedWhole) {
  const std::string longName(300, 'N');
  const std::string otherTail = std::string(299, 'N') + "M";
  const std::string line = "cn\"$" + std::string(251, 'N');
  RunSteps(W, {
      {[&](TWriteState& w) { PutFontName(w, longName); }, {line}},
      {[&](TWriteState& w) { PutFontName(w, longName); }, {}},
      {[&](TWriteState& w) { PutFontName(w, otherTail); }, {line}},
      {[&](TWriteState& w) { PutFontName(w, std::string(17, 'N')); }, {"cn\"$" + std::string(17, 'N')}},
  });
}

// A font name ending in a double quote is a plain line: the next line keeps
// its own line.
TEST_F(AttrWriters, FontNameEndingInQuoteStaysOneLine) {
  RunSteps(W, {
      {[](TWriteState& w) { PutFontName(w, "Q\""); }, {"cn\"$Q\""}},
      {[](TWriteState& w) { PutColor(w, 3, 0); }, {"lc3"}},
  });
}

TEST_F(AttrWriters, SolidColor) {
  RunSteps(W, {
      {[](TWriteState& w) { PutColor(w, 5, 0); }, {"lc5"}},
      {[](TWriteState& w) { PutSolidColor(w, 255); }, {"lc10 255"}},
      {[](TWriteState& w) { PutSolidColor(w, 255); }, {}},
      {[](TWriteState& w) { PutColor(w, 10, 0); }, {}},  // colour 10 already in force
      {[](TWriteState& w) { PutColor(w, 3, 0); }, {"lc3"}},
      {[](TWriteState& w) { PutSolidColor(w, 255); }, {"lc10 255"}},
      {[](TWriteState& w) { PutSolidColor(w, 16777216); }, {"lc10 0"}},
      {[](TWriteState& w) { PutSolidColor(w, -1); }, {}},  // normalised to 0, unchanged
      {[](TWriteState& w) { PutSolidColor(w, 16777215); }, {"lc10 16777215"}},
  });
}

TEST_F(AttrWriters, SolidColorAfterReset) {
  // Pending colour: the first solid writes even with the default RGB 0.
  RunSteps(W, {
      {[](TWriteState& w) { PutSolidColor(w, 0); }, {"lc10 0"}},
      {[](TWriteState& w) { PutSolidColor(w, 0); }, {}},
  });
}

TEST_F(AttrWriters, SolidColorAfterColorLineTen) {
  // "lc10" from PutColor clears the solid flag: a solid with the RGB value
  // held (0 after the reset) adds nothing.
  RunSteps(W, {
      {[](TWriteState& w) { PutColor(w, 10, 0); }, {"lc10"}},
      {[](TWriteState& w) { PutSolidColor(w, 0); }, {}},
      {[](TWriteState& w) { PutSolidColor(w, 5); }, {"lc10 5"}},
  });
}

// Noting the attributes of an entity writes nothing and leaves the state
// the Put writers leave; the due lines written afterwards from the values
// noted are the Put writers' lines, in entity order.
TEST(AttrNotes, NoteThenPutGivesThePutWritersLines) {
  TWriteState put;
  TWriteState noted;
  for (int round = 0; round < 3; ++round) {
    const int32_t v = round == 1 ? 1 : 3;  // the middle round changes values back
    const size_t before = put.Out.Size();
    PutGroup(put, v);
    PutLayer(put, v);
    PutSolidColor(put, v * 100);
    PutLineWidth(put, v);
    PutTextKind(put, 0, v, 0, v, 2, 0);
    PutCc(put, v);
    PutFontName(put, v == 1 ? "A" : "B");
    TAttrLines due = NoteGroup(noted, v);
    due |= NoteLayer(noted, v);
    due |= NoteSolidColor(noted, v * 100);
    due |= NoteLineWidth(noted, v);
    due |= NoteTextKind(noted, 0, v, 0, v, 2, 0);
    due |= NoteCc(noted, v);
    due |= NoteFontName(noted, v == 1 ? "A" : "B");
    EXPECT_EQ(noted.Out.Size(), 0u) << round;
    EXPECT_EQ(noted.PendingAttr, put.PendingAttr) << round;
    PutAttrLines(noted.Out, noted.Last, due);
    EXPECT_EQ(LinesFrom(noted.Out, 0), LinesFrom(put.Out, before)) << round;
    noted.Out.Clear();
  }
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
    TOutBuffer out;
    PutZFlags(out, c.flags);
    PutZFlags(out, c.flags);  // no state: the same lines again
    Lines twice = c.want;
    twice.insert(twice.end(), c.want.begin(), c.want.end());
    EXPECT_EQ(LinesFrom(out, 0), twice) << c.flags;
  }
}

}  // namespace
