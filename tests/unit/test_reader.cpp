// The exchange file reader: line recognition, attribute and block state,
// entity records, line ends and the reading of whole files.
#include "files/reader.h"
#include "format/parse_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "format/reader_lines.h"
#include "format/tokenizer.h"
#include "cadxform/drawing.h"
#include "format/read_state.h"
#include "platform/file_system.h"

namespace {

using namespace cadxform;

// A drawing and the reader's state over it, as ReadExchangeFile has them.
struct TReading {
  TDrawing D;
  TReadState R{D};
};

// Owns the reading a test works on; Fresh starts a new one.
class TReadingOwner {
 protected:
  void Fresh() { x_ = std::make_unique<TReading>(); }
  TDrawing& D() { return x_->D; }
  TReadState& R() { return x_->R; }
  void ParseLine(std::string_view line) { cadxform::ParseLine(D(), R(), line); }
  void Parse(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) ParseLine(line);
  }

 private:
  std::unique_ptr<TReading> x_ = std::make_unique<TReading>();
};

std::vector<int32_t> OrderKinds(const TDrawing& d) {
  std::vector<int32_t> kinds;
  for (int32_t i = 0; i < d.Order.Count(); ++i) kinds.push_back(d.Order[i].Kind);
  return kinds;
}

// Every Order entry names an existing record, each record once.
void ExpectOrderConsistent(const TDrawing& d) {
  EXPECT_EQ(int64_t{d.Order.Count()}, TotalEntityCount(d));
  std::vector<int32_t> next(16, 0);
  for (int32_t i = 0; i < d.Order.Count(); ++i) {
    const TOrderEntry e = d.Order[i];
    ASSERT_TRUE(e.Kind >= ekLine && e.Kind <= ekSg);
    EXPECT_EQ(e.Index, next[static_cast<size_t>(e.Kind)]++) << "entry " << i;
  }
}

TEntHead Head(int32_t hhp, int32_t group, int32_t layer, int32_t color, int32_t type, int32_t width,
              int32_t z) {
  return TEntHead{hhp, group, layer, color, type, width, z};
}

void ExpectHead(const TEntHead& h, const TEntHead& want) {
  EXPECT_EQ(h.HhpNo, want.HhpNo);
  EXPECT_EQ(h.Group, want.Group);
  EXPECT_EQ(h.Layer, want.Layer);
  EXPECT_EQ(h.Color, want.Color);
  EXPECT_EQ(h.LineType, want.LineType);
  EXPECT_EQ(h.LineWidth, want.LineWidth);
  EXPECT_EQ(h.ZFlags, want.ZFlags);
}

const TEntHead kDefaultHead = {0, 0, 0, 1, 1, 0, 0};

class ReaderTest : public testing::Test, public TReadingOwner {};

// --- Recognition: which record, if any, a single line appends --------------

struct TKindCase {
  const char* line;
  std::vector<int32_t> kinds;
};

class RecognitionTest : public testing::TestWithParam<TKindCase>, public TReadingOwner {};

TEST_P(RecognitionTest, AppendsExpectedKinds) {
  ParseLine(GetParam().line);
  EXPECT_EQ(OrderKinds(D()), GetParam().kinds) << GetParam().line;
  ExpectOrderConsistent(D());
}

const TKindCase kKindCases[] = {
    {"1 2 3 4", {ekLine}},
    {"1 2 3", {}},
    {"1 2 3 4 5", {}},
    {"1 2 3 4 ", {}},  // trailing blank: five tokens
    {"ci 1 2 3", {ekCircle}},
    {"ci 1 2 3 ", {}},
    {"ci 1 2 3 4", {}},
    {"ci 1 2 3 4 5 6", {}},
    {"ci 1 2 3 4 5 6 7", {ekArc}},
    {"ci 1 2 3 4 5 6 7 8 9", {ekArc}},
    {"ch 1 2 3 4 x", {ekText}},
    {"ch 1 2 3 4 \"", {ekText}},
    {"ch 1 2 3 4", {}},
    {"ch 1 2 3", {ekLine}},  // no text form: a four-number line
    {"cv 1 2 3 4 x", {ekText}},
    {"cs 1 2 3 4 x", {ekText}},
    {"cr 1 2 3 4 x", {ekText}},
    {"co 1 2 3 4 x", {ekText}},
    {"cp 1 2 3 4 x", {ekText}},
    {"ct 1 2 3 4 x", {ekText}},
    {"ck 1 2 3 4 x", {ekText}},
    {"cz 1 2 3 4 x", {ekText}},
    {"c2 1 2 3 4 x", {ekText}},
    {"cx 1 2 3 4 x", {}},
    {"pt 1 2", {ekPoint}},
    {"pt 1 2 3", {ekLine}},
    {"pt 1 2 3 4", {}},
    {"pt 1 2 3 4 5", {ekMark}},
    {"BL 1 2 name", {ekBlock}},
    {"BL 1 2", {}},
    {"bl 1 2 name", {ekLine}},  // keywords are case-sensitive
    {"sl 1 2 3 4", {ekSolid2}},
    {"sl 1 2 3", {ekLine}},
    {"sl 1 2 3 4 5", {}},
    {"sl 0 0 1 0 1 1", {ekSolid3}},
    {"sl 0 0 1 0 1 1 0", {}},
    {"sl 0 0 1 0 1 1 0 1", {ekSolid4}},
    {"sl 0 0 1 0 1 1 0 1 9", {ekSolid4}},
    {"sc 1 2 3 4 5 6 7 8", {ekSc}},
    {"sc 1 2 3 4 5 6 7", {}},
    {"se 1 2 3 4 5 6 7 8", {ekSe}},
    {"so 1 2 3 4 5 6 7 8", {ekSo}},
    {"sg 1 2 3 4 5 6 7 8", {ekSg}},
    {"sg 1 2 3", {ekLine}},
    {"hs 1 2 3", {ekLine}},  // hs needs 16 values
    {"hk 1 2 3", {}},        // hk needs only one
    {"hzs 1 2 3", {}},
    {"hcw 1 2 3", {ekLine}},
    {"hn 1 2 3", {ekLine}},
    {"hp1 2 3 4", {}},
    {"hp1 2", {}},
    {"hhp1 2 3 4", {}},
    {"lg1 2 3 4", {}},
    {"lgn 2 3 4", {}},
    {"cn1 2 3 4", {}},
    {"cc1 2 3 4", {}},
    {"pn1 2 3 4", {}},
    {"pl 1 2 3", {}},
    {"plx 1 2 3", {ekLine}},
    {"msg 1 2 3", {}},
    {"# 1 2 3", {}},
    {"bz 1 2 3", {}},
    {"z1 1 2 3", {}},
    {"z6 1 2 3", {ekLine}},
    {"z 1 2 3", {ekLine}},
    {"file=a b c d", {}},  // one token: the equals sign ends splitting
    {"\x82\x60 1 2 3", {ekLine}},
    {"", {}},
    {"   ", {}},
    {"\x01\x02", {}},
};

INSTANTIATE_TEST_SUITE_P(Lines, RecognitionTest, testing::ValuesIn(kKindCases));

TEST_F(ReaderTest, LinesBeyondThirtyTwoTokensUseTheFirstOnesAndTheTrueCount) {
  std::string hs = "hs";
  for (int i = 1; i <= 40; ++i) hs += " " + std::to_string(i);
  ParseLine(hs);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(D().HsValues[static_cast<size_t>(i)], i + 1);
  // Thirty-three tokens starting with four numbers are no four-number line.
  std::string many = "1 2 3 4";
  for (int i = 4; i < 33; ++i) many += " 0";
  ParseLine(many);
  std::string arc = "ci 1 2 3 4 5 6 7";
  for (int i = 8; i < 50; ++i) arc += " 9";
  ParseLine(arc);
  EXPECT_EQ(OrderKinds(D()), (std::vector<int32_t>{ekArc}));
  EXPECT_EQ(D().Arcs[0].TiltAngle, 7.0);
}

// --- Header lines -----------------------------------------------------------

TEST_F(ReaderTest, HeaderLinesSetHeaderValues) {
  Parse({"file=C:\\My Drawings\\a b.dat", "hk 2.5 9", "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16",
         "hzs 420 297", "hcw 1 2 3 4 5 6 7 8 9 10", "hch 11 12 13 14 15 16 17 18 19 20",
         "hcd 0.5 1 1 1 1 1 1 1 1 9", "hcc 7 6 5 4 3 2 1 0 -1 $A", "bz", "hn 1.5 2.5 3.5 4.5"});
  EXPECT_EQ(D().FileName, "C:\\My Drawings\\a b.dat");
  EXPECT_EQ(D().HkValue, 2.5);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(D().HsValues[i], static_cast<double>(i + 1));
  EXPECT_EQ(D().SheetWidth, 420.0);
  EXPECT_EQ(D().SheetHeight, 297.0);
  for (size_t k = 1; k <= 10; ++k) {
    EXPECT_EQ(D().TextKinds[k].Width, static_cast<double>(k));
    EXPECT_EQ(D().TextKinds[k].Height, static_cast<double>(k + 10));
  }
  EXPECT_EQ(D().TextKinds[1].Spacing, 0.5);
  EXPECT_EQ(D().TextKinds[10].Spacing, 9.0);
  EXPECT_EQ(D().TextKinds[1].Color, 7);
  EXPECT_EQ(D().TextKinds[9].Color, -1);
  EXPECT_EQ(D().TextKinds[10].Color, 10);
  EXPECT_TRUE(D().BzSeen);
  EXPECT_EQ(D().HnValues[1], 1.5);
  EXPECT_EQ(D().HnValues[4], 4.5);
  EXPECT_EQ(D().HnValues[0], 0.0);
}

TEST_F(ReaderTest, HeaderLinesWithTooFewValuesChangeNothing) {
  Parse({"hk", "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15", "hzs 1", "hcw 1 2 3 4 5 6 7 8 9", "hn 1 2"});
  EXPECT_EQ(D().HkValue, 0.0);
  EXPECT_EQ(D().HsValues[0], 1.0);
  EXPECT_EQ(D().SheetWidth, 1189.0);
  EXPECT_EQ(D().TextKinds[1].Width, 3.0);
  EXPECT_EQ(D().HnValues[1], 0.0);
  EXPECT_EQ(D().Order.Count(), 0);
}

TEST_F(ReaderTest, FileNameIsFoundOnlyOnCharacterBoundaries) {
  ParseLine("\x82" "file=abc");  // 0x82 0x66 is one character: no "file="
  EXPECT_EQ(D().FileName, "");
  ParseLine("file=");
  EXPECT_EQ(D().FileName, "");
  ParseLine("file=\"x\" y");
  EXPECT_EQ(D().FileName, "\"x\" y");
}

TEST_F(ReaderTest, GroupAndLayerNamesGoToTheCurrentGroupAndLayer) {
  Parse({"lgnBase", "lg5", "lgnWalls", "ly2", "lyn\x95\xc7", "lyn"});
  EXPECT_EQ(D().GroupNames[0], "Base");
  EXPECT_EQ(D().GroupNames[5], "Walls");
  EXPECT_EQ(D().LayerNames[5 * 16 + 2], "");
  ParseLine("lyn\x95\xc7 x");
  EXPECT_EQ(D().LayerNames[5 * 16 + 2], "\x95\xc7");
  // "lgn" is no attribute line: the group stays.
  EXPECT_EQ(R().Cur.Group, 5);
}

// --- Attribute lines -----------------------------------------------------

struct THexCase {
  const char* line;
  int32_t group;
};

TEST_F(ReaderTest, GroupIsTheThirdByteAsOneHexDigit) {
  const THexCase cases[] = {{"lg3", 3}, {"lgA", 10}, {"lgf", 15}, {"lgG", 0}, {"lg", 0},
                            {"lg12", 1}, {"lg-1", 0}, {"lg\x82\x60", 0}, {"lg ", 0}};
  for (const THexCase& c : cases) {
    ParseLine(c.line);
    EXPECT_EQ(R().Cur.Group, c.group) << c.line;
    ParseLine(std::string("ly") + (c.line + 2));
    EXPECT_EQ(R().Cur.Layer, c.group) << c.line;
  }
  EXPECT_EQ(D().First.Group, 3);
  EXPECT_EQ(D().First.Layer, 3);
}

TEST_F(ReaderTest, FirstSeenValuesComeFromTheFirstLineOfEachKind) {
  Parse({"lg3 7", "lgA 8", "ly4 9", "ly2", "lc5", "lc6", "lt2", "lt3", "lw4", "lw5", "cn0 4 5 1 3",
         "cn0 6 7 2 4", "cn2"});
  EXPECT_EQ(D().First.Group, 3);
  EXPECT_EQ(R().Cur.Group, 10);
  EXPECT_EQ(D().GroupNums[3], 7);
  EXPECT_EQ(D().GroupNums[10], 8);
  EXPECT_EQ(D().First.Layer, 4);
  EXPECT_EQ(R().Cur.Layer, 2);
  EXPECT_EQ(D().LayerNums[10 * 16 + 4], 9);
  EXPECT_EQ(D().LayerNums[10 * 16 + 2], 0);
  EXPECT_EQ(D().First.Color, 5);
  EXPECT_EQ(R().Cur.Color, 6);
  EXPECT_EQ(D().First.LineType, 2);
  EXPECT_EQ(R().Cur.LineType, 3);
  EXPECT_EQ(D().First.LineWidth, 4);
  EXPECT_EQ(R().Cur.LineWidth, 5);
  EXPECT_EQ(D().First.TextKind, 0);
  EXPECT_EQ(D().First.TextWidth, 4.0);
  EXPECT_EQ(D().First.TextHeight, 5.0);
  EXPECT_EQ(D().First.TextSpacing, 1.0);
  EXPECT_EQ(D().First.TextColor, 3);
  EXPECT_EQ(R().Cur.TextKind, 2);
  // The free size stays from the last kind-0 line.
  EXPECT_EQ(R().Cur.TextWidth, 6.0);
  EXPECT_EQ(R().Cur.TextColor, 4);
  for (size_t i = 0; i <= paTextKind; ++i) EXPECT_FALSE(R().FirstUnseen[i]) << i;
}

TEST_F(ReaderTest, FirstTextKindWithoutSizeKeepsTheDefaultFreeSize) {
  Parse({"cn0 4 5 1", "cn0 4 5 1 3"});
  EXPECT_EQ(D().First.TextKind, 0);
  EXPECT_EQ(D().First.TextWidth, 2.0);
  EXPECT_EQ(D().First.TextColor, 1);
  EXPECT_EQ(R().Cur.TextWidth, 4.0);
  EXPECT_EQ(R().Cur.TextColor, 3);
}

TEST_F(ReaderTest, SolidColorComesOnlyWithColorTen) {
  Parse({"lc10 255"});
  EXPECT_EQ(R().Cur.Color, 10);
  EXPECT_EQ(R().Cur.SolidColor, 255);
  Parse({"lc2 77", "lc10", "sl 0 0 1 1"});
  EXPECT_EQ(R().Cur.Color, 10);
  EXPECT_EQ(D().Solids2[0].SolidColor, 255);
  EXPECT_EQ(D().Heads[D().Solids2[0].Head].Color, 10);
}

TEST_F(ReaderTest, FontLinesSetFirstAndCurrentName) {
  Parse({"cn\"$\x82l\x82r \x96\xbe\x92\xa9", "cn$Other", "cn$"});
  EXPECT_EQ(D().First.FontName, "\x82l\x82r \x96\xbe\x92\xa9");
  EXPECT_EQ(R().Cur.FontName, "");
  EXPECT_EQ(R().Cur.TextKind, 1);  // "cn$" is no text kind line
  EXPECT_TRUE(R().FirstUnseen[paTextKind]);
}

TEST_F(ReaderTest, CcTakesOneDigitUpToEight) {
  const std::pair<const char*, int32_t> cases[] = {{"cc5", 5}, {"cc8", 8}, {"cc9", 0}, {"cc", 0},
                                                   {"cc12", 1}, {"cc-", 0}, {"ccx", 0}};
  for (const auto& [line, cc] : cases) {
    ParseLine("cc3");
    ParseLine(line);
    EXPECT_EQ(R().Cur.Cc, cc) << line;
  }
}

TEST_F(ReaderTest, PointColorAndPointsAndMarks) {
  Parse({"lc4", "pt 1 2", "pn7", "pt 3 4 5 45 9", "pt 5 6"});
  EXPECT_EQ(D().Heads[D().Points[0].Head].Color, 1);  // the default point colour
  EXPECT_EQ(D().Points[0].X, 1.0);
  EXPECT_EQ(D().Points[0].Y, 2.0);
  const TMarkEnt& m = D().Marks[0];
  EXPECT_EQ(D().Heads[m.Head].Color, 7);
  EXPECT_EQ(D().Heads[m.Head].LineType, 1);
  EXPECT_EQ(m.X, 3.0);
  EXPECT_EQ(m.Y, 4.0);
  EXPECT_EQ(m.Size, 5.0);
  EXPECT_EQ(m.Angle, 45.0);
  EXPECT_EQ(m.Code, 9);
  EXPECT_EQ(D().Heads[D().Points[1].Head].Color, 7);
}

TEST_F(ReaderTest, ZFlagsCollectUntilTheNextEntity) {
  Parse({"z1", "z1", "z4", "ci 1 2 3", "ci 1 2 3", "z5", "z2", "1 2 3 4", "1 2 3 4"});
  EXPECT_EQ(D().Heads[D().Circles[0].Head].ZFlags, 9);
  EXPECT_EQ(D().Heads[D().Circles[1].Head].ZFlags, 0);
  EXPECT_EQ(D().Heads[D().Lines[0].Head].ZFlags, 18);
  EXPECT_EQ(D().Heads[D().Lines[1].Head].ZFlags, 0);
  ParseLine("z3");
  EXPECT_EQ(R().CurZFlags, 4);
}

TEST_F(ReaderTest, EntityHeadsCarryTheCurrentAttributes) {
  ParseLine("ci 1 2 3");
  ExpectHead(D().Heads[D().Circles[0].Head], kDefaultHead);
  Parse({"hhp7ci", "lg2", "ly3", "lc4", "lt5", "lw6", "z2", "1 2 3 4"});
  ExpectHead(D().Heads[D().Lines[0].Head], Head(7, 2, 3, 4, 5, 6, 2));
}

// --- Indicated points and pick numbers --------------------------------------

struct THpCase {
  const char* line;
  int32_t number;  // 0: the line changes nothing
  int32_t kind;
};

TEST_F(ReaderTest, IndicatedPoints) {
  const THpCase cases[] = {
      {"hp1 10 20", 1, 0},     {"hp2ln 10 20", 2, 2}, {"hp3- 10 20", 3, 1}, {"hp5ci 10 20", 5, 3},
      {"hp6ch 10 20", 6, 4},   {"hp99 10 20", 99, 0}, {"hp0 10 20", 0, 0},  {"hp100 10 20", 0, 0},
      {"hp7 10", 0, 0},        {"hp 10 20", 0, 0},    {"hpx 10 20", 0, 0},  {"hp-1 10 20", 0, 0},
      {"hp8 10 20 30", 8, 0},  // a fourth token is ignored
      {"hp9-ln 10 20", 0, 0},  // "ln" after "-" cuts the number to "9-"
  };
  for (const THpCase& c : cases) {
    Fresh();
    ParseLine(c.line);
    if (c.number == 0) {
      EXPECT_EQ(D().HpCount, 0) << c.line;
      for (const THpPoint& p : D().HpPoints) EXPECT_FALSE(p.Defined) << c.line;
      continue;
    }
    EXPECT_EQ(D().HpCount, 1) << c.line;
    const THpPoint& p = D().HpPoints[static_cast<size_t>(c.number)];
    EXPECT_TRUE(p.Defined) << c.line;
    EXPECT_EQ(p.X, 10.0) << c.line;
    EXPECT_EQ(p.Y, 20.0) << c.line;
    EXPECT_EQ(p.HpKind, c.kind) << c.line;
  }
}

TEST_F(ReaderTest, RepeatedIndicatedPointOverwritesAndCountsAgain) {
  Parse({"hp1 1 2", "hp1ln 3 4"});
  EXPECT_EQ(D().HpCount, 2);
  EXPECT_EQ(D().HpPoints[1].X, 3.0);
  EXPECT_EQ(D().HpPoints[1].HpKind, 2);
  EXPECT_EQ(D().Order.Count(), 0);
}

TEST_F(ReaderTest, PickNumbers) {
  const std::pair<const char*, int32_t> cases[] = {
      {"hhp12ln", 12}, {"hhp7", 7},   {"hhp3ci", 3}, {"hhp4ch", 4}, {"hhp", 0},
      {"hhpln", 0},    {"hhp5x", 0}, {"hhp-2", -2}, {"hhp12ln 5 6", 12}};
  for (const auto& [line, number] : cases) {
    ParseLine("hhp99");
    ParseLine(line);
    EXPECT_EQ(R().CurHhpNo, number) << line;
  }
  Parse({"hhp6", "ci 1 2 3", "ci 1 2 3"});
  EXPECT_EQ(D().Heads[D().Circles[0].Head].HhpNo, 6);
  EXPECT_EQ(D().Heads[D().Circles[1].Head].HhpNo, 6);  // stays until the next "hhp"
}

// --- Block states -----------------------------------------------------------

struct TStateCase {
  std::vector<std::string> lines;
  bool inPl, inDim;
};

void ExpectState(const TStateCase& c) {
  TReading x;
  std::string trace;
  for (const std::string& line : c.lines) {
    ParseLine(x.D, x.R, line);
    trace += "[" + line + "]";
  }
  EXPECT_EQ(x.R.InPl, c.inPl) << trace;
  EXPECT_EQ(x.R.InDim, c.inDim) << trace;
}

TEST(BlockState, MarkerTransitions) {
  const TStateCase cases[] = {
      {{}, false, false},          {{"pl"}, true, false},        {{"msg"}, false, true},
      {{"#"}, false, false},       {{"pl", "pl"}, true, false},  {{"pl", "msg"}, false, true},
      {{"pl", "#"}, false, false}, {{"msg", "pl"}, true, false}, {{"msg", "msg"}, false, true},
      {{"msg", "#"}, false, false},
  };
  for (const TStateCase& c : cases) ExpectState(c);
}

TEST(BlockState, AttributeLinesEndPolylinesButNotDimensions) {
  for (const char* attr : {"lg1", "ly1", "lc1", "lt1", "lw1", "cn$x", "cn1", "cc1", "pn1"}) {
    ExpectState({{"pl", attr}, false, false});
    ExpectState({{"msg", attr}, false, true});
  }
}

TEST(BlockState, OtherNonEntityLinesKeepTheBlock) {
  for (const char* line : {"z1", "hp1 1 2", "hhp1", "hk 1", "lgnX", "lynX", "bz", "file=x", "what", "1 2 3",
                           "ci 1 2 3 4 5", "1 2 3 4"}) {
    ExpectState({{"pl", line}, true, false});
    ExpectState({{"msg", line}, false, true});
  }
}

TEST(BlockState, EveryEntityEndsEveryBlock) {
  for (const char* entity : {"ci 1 2 3", "ci 1 2 3 4 5 6 7", "ch 1 2 3 4 x", "cs 1 2 3 4 x", "pt 1 2",
                             "pt 1 2 3 4 5", "BL 1 2 n", "sl 1 2 3 4", "sl 1 2 3 4 5 6",
                             "sl 0 0 1 0 1 1 0 1", "sc 1 2 3 4 5 6 7 8", "se 1 2 3 4 5 6 7 8",
                             "so 1 2 3 4 5 6 7 8", "sg 1 2 3 4 5 6 7 8"}) {
    for (const char* marker : {"#", "pl", "msg"}) ExpectState({{marker, entity}, false, false});
  }
}

TEST_F(ReaderTest, PolylineLinesCarryTheirBlockNumber) {
  Parse({"pl", "0 0 1 0", "1 0 1 1", "#", "2 2 3 3", "pl", "pl", "4 4 5 5", "lc2", "6 6 7 7", "pl",
         "8 8 9 9", "ci 1 2 3", "1 1 2 2"});
  std::vector<int32_t> plNos;
  for (int32_t i = 0; i < D().Lines.Count(); ++i) plNos.push_back(D().Lines[i].PlNo);
  EXPECT_EQ(plNos, (std::vector<int32_t>{1, 1, 0, 3, 0, 4, 0}));
  EXPECT_EQ(R().PlCount, 4);
}

// --- Dimensions -------------------------------------------------------------

TEST_F(ReaderTest, DimensionFromLineAndCsText) {
  Parse({"lc4", "cn5", "z1", "msg", "z2", "0 0 10 0", "cs 5 1 1 0 \"10"});
  EXPECT_EQ(OrderKinds(D()), (std::vector<int32_t>{ekDim}));
  const TDimEnt& d = D().Dims[0];
  // z-flags from before "msg" and before the line reach the dimension.
  ExpectHead(D().Heads[d.Head], Head(0, 0, 0, 4, 1, 0, 3));
  ExpectHead(D().Heads[d.Line.Head], Head(0, 0, 0, 4, 1, 0, 3));
  EXPECT_EQ(d.Line.PlNo, 0);
  EXPECT_EQ(d.Line.X1, 0.0);
  EXPECT_EQ(d.Line.X2, 10.0);
  EXPECT_EQ(d.Line.Y2, 0.0);
  ExpectHead(D().Heads[d.Text.Head], Head(0, 0, 0, 2, 1, 0, 3));  // colour of text kind 5
  EXPECT_EQ(d.Text.Cmd, 2);
  EXPECT_EQ(d.Text.Kind, 5);
  EXPECT_EQ(d.Text.X, 5.0);
  EXPECT_EQ(d.Text.Y, 1.0);
  EXPECT_EQ(d.Text.Dx, 1.0);
  EXPECT_EQ(d.Text.Text.View(), "10");
  EXPECT_EQ(d.Text.FontName.View(), kDefaultFontName);
  EXPECT_FALSE(R().InDim);
  EXPECT_EQ(R().CurZFlags, 0);
}

TEST_F(ReaderTest, DimensionWithoutLineUsesThePendingLine) {
  Parse({"msg", "cs 1 2 3 4 a"});
  EXPECT_EQ(D().Dims[0].Line.X1, 0.0);
  EXPECT_EQ(D().Dims[0].Line.X2, 1.0);
  ExpectHead(D().Heads[D().Dims[0].Line.Head], kDefaultHead);
  Parse({"msg", "5 6 7 8", "cs 1 2 3 4 b", "lc3", "msg", "cs 1 2 3 4 c"});
  EXPECT_EQ(D().Dims.Count(), 3);
  EXPECT_EQ(D().Dims[2].Line.X1, 5.0);  // the line of the earlier dimension
  EXPECT_EQ(D().Heads[D().Dims[2].Line.Head].Color, 1);
  EXPECT_EQ(D().Heads[D().Dims[2].Head].Color, 3);
  EXPECT_EQ(D().Lines.Count(), 0);
}

TEST_F(ReaderTest, OtherEntitiesInADimensionBlockEndItWithoutDimension) {
  Parse({"msg", "0 0 10 0", "ch 1 2 3 4 x", "cs 1 2 3 4 y", "msg", "0 0 1 1", "ci 1 2 3",
         "0 0 2 2"});
  EXPECT_EQ(OrderKinds(D()), (std::vector<int32_t>{ekText, ekText, ekCircle, ekLine}));
  EXPECT_EQ(D().Texts[1].Cmd, 2);
  EXPECT_EQ(D().Lines[0].X2, 2.0);
}

// --- Entity fields ------------------------------------------------------------

TEST_F(ReaderTest, CircleArcAndBlockFields) {
  Parse({"ci 1.5 -2 3e1", "ci 1 2 3 4 5 6 7 99", "BL 7 8 \"\x95\x94\x95i A", "BL 1 2 x y"});
  EXPECT_EQ(D().Circles[0].X, 1.5);
  EXPECT_EQ(D().Circles[0].Y, -2.0);
  EXPECT_EQ(D().Circles[0].R, 30.0);
  const TArcEnt& a = D().Arcs[0];
  EXPECT_EQ(a.X, 1.0);
  EXPECT_EQ(a.Y, 2.0);
  EXPECT_EQ(a.R, 3.0);
  EXPECT_EQ(a.ArcParam1, 4.0);
  EXPECT_EQ(a.ArcParam2, 5.0);
  EXPECT_EQ(a.Ratio, 6.0);
  EXPECT_EQ(a.TiltAngle, 7.0);
  EXPECT_EQ(D().Blocks[0].X, 7.0);
  EXPECT_EQ(D().Blocks[0].Y, 8.0);
  EXPECT_EQ(D().Blocks[0].Name.View(), "\x95\x94\x95i A");
  EXPECT_EQ(D().Blocks[1].Name.View(), "x");
}

TEST_F(ReaderTest, MalformedNumbersReadAsZero) {
  Parse({"ci x 1,5 -", "a b c d"});
  EXPECT_EQ(D().Circles[0].X, 0.0);
  EXPECT_EQ(D().Circles[0].Y, 0.0);
  EXPECT_EQ(D().Circles[0].R, 0.0);
  EXPECT_EQ(D().Lines.Count(), 1);
  EXPECT_EQ(D().Lines[0].X2, 0.0);
}

TEST_F(ReaderTest, SolidArcAndRingFields) {
  Parse({"lc10 42", "sc 1 2 3 4 5 6 7 8", "se 9 8 7 6 5 4 3 2", "so 1 2 3 4 5 6 7 8", "sg 8 7 6 5 4 3 2 1"});
  EXPECT_EQ(OrderKinds(D()), (std::vector<int32_t>{ekSc, ekSe, ekSo, ekSg}));
  const TSolidArcEnt& sc = D().ScEnts[0];
  EXPECT_EQ(sc.SolidColor, 42);
  EXPECT_EQ(sc.X, 1.0);
  EXPECT_EQ(sc.Y, 2.0);
  EXPECT_EQ(sc.R, 3.0);
  EXPECT_EQ(sc.Ratio, 4.0);
  EXPECT_EQ(sc.TiltRad, 5.0);
  EXPECT_EQ(sc.ArcParam1, 6.0);
  EXPECT_EQ(sc.ArcParam2, 7.0);
  EXPECT_EQ(sc.Code, 8);
  EXPECT_EQ(D().SeEnts[0].X, 9.0);
  EXPECT_EQ(D().SeEnts[0].Code, 2);
  const TSolidRingEnt& so = D().SoEnts[0];
  EXPECT_EQ(so.SolidColor, 42);
  EXPECT_EQ(so.TiltRad, 5.0);
  EXPECT_EQ(so.ArcParam2, 7.0);
  EXPECT_EQ(so.R2, 8.0);
  EXPECT_EQ(D().SgEnts[0].X, 8.0);
  EXPECT_EQ(D().SgEnts[0].R2, 1.0);
}

struct TSolidCase {
  const char* line;
  int32_t kind;
  std::vector<double> coords;  // the stored points in order
};

std::vector<double> SolidCoords(const TDrawing& d, int32_t kind) {
  switch (kind) {
    case ekSolid2: {
      const TSolid2Ent& s = d.Solids2[0];
      return {s.X1, s.Y1, s.X2, s.Y2};
    }
    case ekSolid3: {
      const TSolid3Ent& s = d.Solids3[0];
      return {s.X1, s.Y1, s.X2, s.Y2, s.X3, s.Y3};
    }
    default: {
      const TSolid4Ent& s = d.Solids4[0];
      return {s.X1, s.Y1, s.X2, s.Y2, s.X3, s.Y3, s.X4, s.Y4};
    }
  }
}

class Solids : public ReaderTest {};

TEST_F(Solids, ReducedByCoincidingPoints) {
  const TSolidCase cases[] = {
      {"sl 1 2 3 4", ekSolid2, {1, 2, 3, 4}},
      {"sl 1 2 1 2", ekSolid2, {1, 2, 1, 2}},  // two points are never reduced
      // three points
      {"sl 0 0 0 0 5 5", ekSolid2, {0, 0, 5, 5}},
      {"sl 0 0 5 5 5 5", ekSolid2, {0, 0, 5, 5}},
      {"sl 0 0 5 5 0 0", ekSolid3, {0, 0, 5, 5, 0, 0}},
      {"sl 0 0 1 0 1 1", ekSolid3, {0, 0, 1, 0, 1, 1}},
      {"sl 0 0 5e-11 -5e-11 5 5", ekSolid2, {0, 0, 5, 5}},  // within the tolerance
      {"sl 0 0 2e-10 0 5 5", ekSolid3, {0, 0, 2e-10, 0, 5, 5}},
      // four points, one case per rule
      {"sl 0 0 0 0 0 0 5 5", ekSolid2, {0, 0, 5, 5}},
      {"sl 0 0 5 5 5 5 5 5", ekSolid2, {0, 0, 5, 5}},
      {"sl 0 0 0 0 5 5 5 5", ekSolid2, {0, 0, 5, 5}},
      {"sl 0 0 1 0 1 1 0 0", ekSolid3, {0, 0, 1, 0, 1, 1}},
      {"sl 0 0 1 0 1 1 1 0", ekSolid3, {0, 0, 1, 0, 1, 1}},
      {"sl 0 0 1 0 1 1 1 1", ekSolid3, {0, 0, 1, 0, 1, 1}},
      {"sl 0 0 1 0 0 0 1 1", ekSolid3, {0, 0, 1, 0, 1, 1}},
      {"sl 0 0 1 0 1 0 1 1", ekSolid3, {0, 0, 1, 0, 1, 1}},
      {"sl 0 0 0 0 1 0 1 1", ekSolid3, {0, 0, 1, 0, 1, 1}},
      {"sl 0 0 1 0 1 1 0 1", ekSolid4, {0, 0, 1, 0, 1, 1, 0, 1}},
  };
  for (const TSolidCase& c : cases) {
    Fresh();
    ParseLine("lc10 9");
    ParseLine(c.line);
    ASSERT_EQ(OrderKinds(D()), std::vector<int32_t>{c.kind}) << c.line;
    EXPECT_EQ(SolidCoords(D(), c.kind), c.coords) << c.line;
    const int32_t color = c.kind == ekSolid2   ? D().Solids2[0].SolidColor
                          : c.kind == ekSolid3 ? D().Solids3[0].SolidColor
                                               : D().Solids4[0].SolidColor;
    EXPECT_EQ(color, 9) << c.line;
  }
  Fresh();
}

// --- Texts --------------------------------------------------------------------

TEST_F(ReaderTest, TextCommandsAndFields) {
  const char* keywords[] = {"ch", "cv", "cs", "cr", "co", "cp", "ct", "ck", "cz", "c2"};
  ParseLine("cc4");
  for (const char* k : keywords) ParseLine(std::string(k) + " 10 20 30 0 \"A B");
  ASSERT_EQ(D().Texts.Count(), 10);
  for (int32_t i = 0; i < 10; ++i) {
    const TTextEnt& t = D().Texts[i];
    EXPECT_EQ(t.Cmd, i);
    EXPECT_EQ(t.Cc, 4);
    EXPECT_EQ(t.Kind, 1);
    EXPECT_EQ(t.X, 10.0);
    EXPECT_EQ(t.Y, 20.0);
    EXPECT_EQ(t.Dx, 30.0);
    EXPECT_EQ(t.Dy, 0.0);
    EXPECT_EQ(t.Text.View(), "A B");
    EXPECT_EQ(t.FontName.View(), kDefaultFontName);
  }
  ParseLine("ch 10 20 30 0 A B");
  EXPECT_EQ(D().Texts[10].Text.View(), "A");
}

TEST_F(ReaderTest, TextSizeAndColourFromTheTextKind) {
  Parse({"hcw 1 2 3 4 5 6 7 8 9 10", "hcc 11 12 13 14 15 16 17 18 19 20", "lc3", "ch 0 0 1 0 a",
         "cn0 4 5 1 6", "ch 0 0 1 0 b", "cn5", "ch 0 0 1 0 c", "cn11", "ch 0 0 1 0 d", "cn-1",
         "ch 0 0 1 0 e", "cn10", "ch 0 0 1 0 f"});
  struct TWant {
    int32_t kind;
    double width, height, spacing;
    int32_t color;
  };
  const TWant want[] = {{1, 1, 3, 0, 11}, {0, 4, 5, 1, 6}, {5, 5, 3, 0, 15},
                        {11, 4, 5, 1, 6}, {-1, 4, 5, 1, 6}, {10, 10, 3, 0, 20}};
  ASSERT_EQ(D().Texts.Count(), 6);
  for (int32_t i = 0; i < 6; ++i) {
    const TTextEnt& t = D().Texts[i];
    EXPECT_EQ(t.Kind, want[i].kind) << i;
    EXPECT_EQ(t.Width, want[i].width) << i;
    EXPECT_EQ(t.Height, want[i].height) << i;
    EXPECT_EQ(t.Spacing, want[i].spacing) << i;
    EXPECT_EQ(D().Heads[t.Head].Color, want[i].color) << i;
  }
}

TEST_F(ReaderTest, TextsAndFontNamesAreCutTo255Bytes) {
  const std::string longText(300, 't');
  const std::string longFont(300, 'f');
  Parse({"cn$" + longFont, "ch 0 0 1 0 \"" + longText, "ch 0 0 1 0 \"" + std::string(255, 'u')});
  EXPECT_EQ(R().Cur.FontName.size(), 300u);
  EXPECT_EQ(D().Texts[0].Text.View(), std::string(255, 't'));
  EXPECT_EQ(D().Texts[0].FontName.View(), std::string(255, 'f'));
  EXPECT_EQ(D().Texts[1].Text.View(), std::string(255, 'u'));
  // A double-byte character at the cut is split.
  ParseLine("ch 0 0 1 0 \"" + std::string(254, 'a') + "\x82\x60");
  EXPECT_EQ(D().Texts[2].Text.View(), std::string(254, 'a') + "\x82");
}

TEST_F(ReaderTest, FontNameIsPooledOncePerChange) {
  Parse({"ch 0 0 1 0 a", "ch 0 0 1 0 b", "msg", "cs 0 0 1 0 c"});
  const char* first = D().Texts[0].FontName.Ptr;
  EXPECT_EQ(D().Texts[1].FontName.Ptr, first);
  EXPECT_EQ(D().Dims[0].Text.FontName.Ptr, first);
  Parse({"cn$Other", "ch 0 0 1 0 d", "ch 0 0 1 0 e", "cn$", "ch 0 0 1 0 f"});
  EXPECT_EQ(D().Texts[2].FontName.View(), "Other");
  EXPECT_EQ(D().Texts[3].FontName.Ptr, D().Texts[2].FontName.Ptr);
  EXPECT_TRUE(D().Texts[4].FontName.Empty());
  ParseLine("cn$Other");
  ParseLine("ch 0 0 1 0 g");
  EXPECT_EQ(D().Texts[5].FontName.View(), "Other");
  // In a new drawing the name is pooled anew (the old copy is gone
  // with the old pool; the sanitizer build checks that it is not read).
  for (int run = 0; run < 3; ++run) {
    Fresh();
    ParseLine("cn$Run" + std::to_string(run));
    ParseLine("ch 0 0 1 0 h");
    ParseLine("ch 0 0 1 0 i");
    EXPECT_EQ(D().Texts[1].FontName.View(), "Run" + std::to_string(run));
  }
}

// --- Order and growth ---------------------------------------------------------

TEST_F(ReaderTest, OrderListsEveryRecordInFileOrderAcrossBlocks) {
  for (int i = 0; i < 2500; ++i) {
    ParseLine("1 2 3 4");
    if (i % 2 == 0) ParseLine("ci 1 2 3");
    if (i % 5 == 0) ParseLine("ch 1 2 3 4 x");
  }
  EXPECT_EQ(D().Lines.Count(), 2500);
  EXPECT_EQ(D().Circles.Count(), 1250);
  EXPECT_EQ(D().Texts.Count(), 500);
  EXPECT_EQ(D().Lines.Capacity(), 3000);
  ExpectOrderConsistent(D());
}

// --- Line ends ------------------------------------------------------------

struct TAssembleCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;
};

std::vector<std::string> Assemble(const std::string& bytes, const std::vector<size_t>& cuts) {
  std::vector<std::string> lines;
  auto collect = [&](std::string_view line) { lines.emplace_back(line); };
  TLineAssembler a;
  size_t from = 0;
  for (size_t cut : cuts) {
    if (!a.Feed(bytes.data() + from, cut - from, collect)) return lines;
    from = cut;
  }
  if (a.Feed(bytes.data() + from, bytes.size() - from, collect)) a.Finish(collect);
  return lines;
}

TEST(LineAssembler, SameLinesWhereverTheChunksAreCut) {
  const TAssembleCase cases[] = {
      {"Lf", "ab\ncd\n", {"ab", "cd"}},
      {"CrLf", "ab\r\ncd\r\n", {"ab", "cd"}},
      {"LoneCrDropped", "ab\rcd\r\ne\r", {"abcd", "e"}},
      {"CrCrLf", "ab\r\r\ncd", {"ab", "cd"}},
      {"LastLineWithoutEnd", "ab\ncd", {"ab", "cd"}},
      {"EmptyLinesKept", "\n\r\nx\n", {"", "", "x"}},
      {"CtrlZAtLineStartEndsFile", "ab\n\x1a\ncd\n", {"ab"}},
      {"CtrlZWithoutLineEnd", "ab\r\n\x1a", {"ab"}},
      {"CtrlZAtFileStart", "\x1a" "ab\n", {}},
      {"CtrlZInsideLineStays", "a\x1a\nb", {"a\x1a", "b"}},
      {"Empty", "", {}},
  };
  for (const TAssembleCase& c : cases) {
    EXPECT_EQ(Assemble(c.bytes, {}), c.lines) << c.name;
    for (size_t i = 0; i <= c.bytes.size(); ++i) {
      EXPECT_EQ(Assemble(c.bytes, {i}), c.lines) << c.name << " cut at " << i;
      for (size_t j = i; j <= c.bytes.size(); ++j) {
        EXPECT_EQ(Assemble(c.bytes, {i, j}), c.lines) << c.name << " cut at " << i << ", " << j;
      }
    }
  }
}

// Each line as the splitter gives it: the true count, then the tokens kept.
using TSplitLines = std::vector<std::vector<std::string>>;

std::vector<std::string> Tokens(const TTokenView& t) {
  std::vector<std::string> out{std::to_string(t.Count())};
  for (int k = 0; k < t.StoredCount(); ++k) out.emplace_back(t.Token(k));
  return out;
}

// The lines of bytes cut in chunks at `cuts` by FeedSplit, each chunk in a
// buffer of its own.
TSplitLines FeedSplitLines(const std::string& bytes, const std::vector<size_t>& cuts) {
  TSplitLines lines;
  TTokenLine split;
  auto onLine = [&](std::string_view line) {
    split.Split(line);
    lines.push_back(Tokens(split.View()));
  };
  auto onSplit = [&](std::string_view line, const TTokenSpan32* spans, int count) {
    lines.push_back(Tokens(TTokenView(line.data(), spans, nullptr, count)));
  };
  TTokenSpan32 spans[kMaxTokens + kSpanRoomPad];
  auto room = [&] { return spans; };
  TLineAssembler a;
  size_t from = 0;
  for (size_t k = 0; k <= cuts.size(); ++k) {
    const size_t to = k < cuts.size() ? cuts[k] : bytes.size();
    std::string chunk = bytes.substr(from, to - from) + std::string(kChunkPad, '\n');
    if (!a.FeedSplit(chunk.data(), to - from, room, onSplit, onLine)) return lines;
    from = to;
  }
  a.Finish(onLine);
  return lines;
}

TEST(LineAssembler, SplitInPlaceAsLineByLine) {
  // Random files of mostly plain lines, with every kind of byte the
  // splitter treats apart, lines long and short, cut in random chunks.
  std::mt19937 random(7);
  const std::string alphabets[] = {"aaaa1111.-    \n\n\r\t\"=\x82\x1a\xa0\xff", "aa1.-    \n\r\n\"\"=",
                                   // text after a quote: lead bytes, second bytes of every kind
                                   "a1   \"\"\"=\n\r\n\x82\x82\x9f\xe0\xfd\xa0\x40\x5c\xfe\x01"};
  for (int round = 0; round < 6000; ++round) {
    const std::string& alphabet = alphabets[round % 3];
    std::string bytes(random() % 400, ' ');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    if (round % 3 == 0) bytes += "\r\n";
    TSplitLines want;
    TTokenLine split;
    auto collect = [&](std::string_view line) {
      split.Split(line);
      want.push_back(Tokens(split.View()));
    };
    TLineAssembler a;
    if (a.Feed(bytes.data(), bytes.size(), collect)) a.Finish(collect);
    std::vector<size_t> cuts;
    for (size_t at = random() % 150; at < bytes.size(); at += 1 + random() % 150) cuts.push_back(at);
    ASSERT_EQ(FeedSplitLines(bytes, cuts), want) << "round " << round;
  }
}

// --- Whole files --------------------------------------------------------------

class ReaderFileTest : public ReaderTest {
 protected:
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    ReaderTest::TearDown();
  }
  std::string Write(const std::string& bytes) {
    path_ = (std::filesystem::temp_directory_path() / ("cadxform_test_reader_" + std::to_string(cadxform::platform::CurrentProcessId()) + ".txt")).string();
    std::ofstream(path_, std::ios::binary) << bytes;
    return path_;
  }
  std::string path_;
};

TEST_F(ReaderFileTest, MissingFileLeavesTheStoreUntouched) {
  ParseLine("hk 5");
  ParseLine("ci 1 2 3");
  EXPECT_FALSE(ReadExchangeFile((std::filesystem::temp_directory_path() / "cadxform_no_such_file.txt").string(), D()));
  EXPECT_EQ(D().HkValue, 5.0);
  EXPECT_EQ(D().Order.Count(), 1);
}

TEST_F(ReaderFileTest, UnreadablePathGivesFalse) {
  // A folder: opening fails on Windows, reading fails on POSIX.
  EXPECT_FALSE(ReadExchangeFile(std::filesystem::temp_directory_path().string(), D()));
  EXPECT_EQ(D().Order.Count(), 0);
}

TEST_F(ReaderFileTest, LineEndsAndCtrlZ) {
  struct TCase {
    const char* name;
    std::string bytes;
    int32_t circles;
  };
  const TCase cases[] = {
      {"CrLf", "ci 1 2 3\r\nci 4 5 6\r\n", 2},
      {"Lf", "ci 1 2 3\nci 4 5 6\n", 2},
      {"LoneCrJoinsNoLines", "ci 1 2 3\rci 4 5 6\r\n", 0},  // one line of seven tokens
      {"LastLineWithoutEnd", "ci 1 2 3\r\nci 4 5 6", 2},
      {"CtrlZEndsFile", "ci 1 2 3\r\n\x1a\r\nci 4 5 6\r\n", 1},
      {"CtrlZInsideLineIsDropped", "ci 1 2 3\x1a\r\n", 1},
      {"Empty", "", 0},
  };
  for (const TCase& c : cases) {
    Fresh();
    EXPECT_TRUE(ReadExchangeFile(Write(c.bytes), D())) << c.name;
    EXPECT_EQ(D().Circles.Count(), c.circles) << c.name;
  }
}

TEST_F(ReaderFileTest, LoneCrIsRemovedBeforeSplitting) {
  // Without the CR the lead byte 0x82 pairs with 0x60.
  ASSERT_TRUE(ReadExchangeFile(Write("ch 1 2 3 4 \"\x82\r\x60\r\nch 1 2 3 4 \"a\x82\r\n"), D()));
  EXPECT_EQ(D().Texts[0].Text.View(), "\x82\x60");
  EXPECT_EQ(D().Texts[1].Text.View(), "a");  // a lone lead byte at the end is dropped
}

TEST_F(ReaderFileTest, LinesOfSeveralMegabytes) {
  const std::string huge(3 << 20, 'x');
  ASSERT_TRUE(ReadExchangeFile(
      Write("ch 1 2 3 4 \"" + huge + "\r\n" + huge + "\r\nci 1 2 3\r\n1 2 3 " + huge), D()));
  EXPECT_EQ(OrderKinds(D()), (std::vector<int32_t>{ekText, ekCircle, ekLine}));
  EXPECT_EQ(D().Texts[0].Text.View(), std::string(255, 'x'));
}

TEST_F(ReaderFileTest, EveryLineKind) {
  ASSERT_TRUE(ReadExchangeFile(TEST_DATA_DIR "/reader/every_kind.txt", D()));
  const TDrawing& s = D();

  // Header values.
  EXPECT_EQ(s.FileName, "C:\\CAD Data\\\x95\x5c\x8e\xa6\\\x90}\x96\xca" "1.dat");  // 表示, 図面
  EXPECT_EQ(s.HkValue, 2.5);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(s.HsValues[i], static_cast<double>(i + 1));
  EXPECT_EQ(s.SheetWidth, 420.0);
  EXPECT_EQ(s.SheetHeight, 297.0);
  for (size_t k = 1; k <= 10; ++k) {
    EXPECT_EQ(s.TextKinds[k].Width, static_cast<double>(k));
    EXPECT_EQ(s.TextKinds[k].Height, k + 0.5);
    EXPECT_EQ(s.TextKinds[k].Spacing, (k - 1) * 0.5);
    EXPECT_EQ(s.TextKinds[k].Color, static_cast<int32_t>(k + 10));
  }
  EXPECT_TRUE(s.BzSeen);
  for (size_t i = 1; i <= 4; ++i) EXPECT_EQ(s.HnValues[i], static_cast<double>(i));
  EXPECT_EQ(s.GroupNums[2], 7);
  EXPECT_EQ(s.GroupNames[2], "\x8a\xee\x8f\x80");  // 基準
  EXPECT_EQ(s.LayerNums[2 * 16 + 3], 8);
  EXPECT_EQ(s.LayerNames[2 * 16 + 3], "\x95\xc7");  // 壁

  // Indicated points.
  EXPECT_EQ(s.HpCount, 5);
  const THpPoint hp[] = {{true, 10, 20, 0}, {true, 30, 40, 2}, {true, 50, 60, 1}, {true, 70, 80, 3},
                         {true, 90, 100, 4}};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_TRUE(s.HpPoints[i + 1].Defined) << i + 1;
    EXPECT_EQ(s.HpPoints[i + 1].X, hp[i].X) << i + 1;
    EXPECT_EQ(s.HpPoints[i + 1].Y, hp[i].Y) << i + 1;
    EXPECT_EQ(s.HpPoints[i + 1].HpKind, hp[i].HpKind) << i + 1;
  }
  EXPECT_FALSE(s.HpPoints[6].Defined);

  // First-seen and final attributes.
  EXPECT_EQ(s.First.Group, 2);
  EXPECT_EQ(s.First.Layer, 3);
  EXPECT_EQ(s.First.Color, 5);
  EXPECT_EQ(s.First.LineType, 2);
  EXPECT_EQ(s.First.LineWidth, 3);
  EXPECT_EQ(s.First.TextKind, 0);
  EXPECT_EQ(s.First.TextWidth, 4.0);
  EXPECT_EQ(s.First.TextHeight, 5.0);
  EXPECT_EQ(s.First.TextSpacing, 1.0);
  EXPECT_EQ(s.First.TextColor, 3);
  const std::string_view font = "\x82l\x82r \x96\xbe\x92\xa9";  // ＭＳ 明朝
  EXPECT_EQ(s.First.FontName, font);

  // The reader's state at the end of the file: the same bytes line by line.
  TReading end;
  {
    std::ifstream in(TEST_DATA_DIR "/reader/every_kind.txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TLineAssembler lines;
    auto parse = [&](std::string_view line) { cadxform::ParseLine(end.D, end.R, line); };
    if (lines.Feed(bytes.data(), bytes.size(), parse)) lines.Finish(parse);
  }
  const TReadState& r = end.R;
  EXPECT_EQ(r.Cur.FontName, font);
  EXPECT_EQ(r.Cur.Cc, 2);
  EXPECT_EQ(r.Cur.PointColor, 6);
  EXPECT_EQ(r.Cur.SolidColor, 255);
  EXPECT_EQ(r.Cur.Color, 3);
  EXPECT_EQ(r.Cur.TextKind, 3);
  EXPECT_EQ(r.CurHhpNo, 0);  // the last line is "hhp" without line end
  EXPECT_EQ(r.CurZFlags, 0);
  EXPECT_EQ(r.PlCount, 2);
  EXPECT_FALSE(r.InPl);
  EXPECT_FALSE(r.InDim);

  // The entities in file order.
  EXPECT_EQ(OrderKinds(D()), (std::vector<int32_t>{ekLine, ekCircle, ekArc, ekText, ekText, ekPoint, ekMark,
                                                ekBlock, ekSolid2, ekSolid2, ekSolid3, ekSolid4, ekSolid3,
                                                ekSc, ekSe, ekSo, ekSg, ekLine, ekLine, ekLine, ekLine,
                                                ekLine, ekDim, ekText}));
  ExpectOrderConsistent(D());

  const TLineEnt& l0 = s.Lines[0];
  ExpectHead(D().Heads[l0.Head], Head(12, 2, 3, 5, 2, 3, 5));
  EXPECT_EQ(l0.PlNo, 0);
  EXPECT_EQ(l0.X1, 1.0);
  EXPECT_EQ(l0.Y1, 2.0);
  EXPECT_EQ(l0.X2, 3.0);
  EXPECT_EQ(l0.Y2, 4.0);

  ExpectHead(D().Heads[s.Circles[0].Head], Head(12, 2, 3, 5, 2, 3, 0));
  EXPECT_EQ(s.Circles[0].X, 5.0);
  EXPECT_EQ(s.Circles[0].R, 7.0);
  EXPECT_EQ(s.Arcs[0].ArcParam2, 90.0);
  EXPECT_EQ(s.Arcs[0].Ratio, 1.0);
  EXPECT_EQ(s.Arcs[0].TiltAngle, 30.0);

  const TTextEnt& t0 = s.Texts[0];
  ExpectHead(D().Heads[t0.Head], Head(12, 2, 3, 3, 2, 3, 0));
  EXPECT_EQ(t0.Cmd, 0);
  EXPECT_EQ(t0.Cc, 2);
  EXPECT_EQ(t0.Kind, 0);
  EXPECT_EQ(t0.Width, 4.0);
  EXPECT_EQ(t0.Height, 5.0);
  EXPECT_EQ(t0.Spacing, 1.0);
  EXPECT_EQ(t0.X, 10.0);
  EXPECT_EQ(t0.Y, 20.0);
  EXPECT_EQ(t0.Dx, 1.0);
  EXPECT_EQ(t0.Dy, 0.0);
  EXPECT_EQ(t0.FontName.View(), font);
  EXPECT_EQ(t0.Text.View(), "\x93\xfa\x96{\x8c\xea \x83\x65\x83L\x83X\x83g");  // 日本語 テキスト

  const TTextEnt& t1 = s.Texts[1];
  EXPECT_EQ(t1.Cmd, 1);
  EXPECT_EQ(t1.Kind, 3);
  EXPECT_EQ(t1.Width, 3.0);
  EXPECT_EQ(t1.Height, 3.5);
  EXPECT_EQ(t1.Spacing, 1.0);
  EXPECT_EQ(D().Heads[t1.Head].Color, 13);
  EXPECT_EQ(t1.Dy, 1.0);
  EXPECT_EQ(t1.Text.View(), "\x8f\x63\x8f\x91\x82\xab");  // 縦書き
  EXPECT_EQ(t1.FontName.Ptr, t0.FontName.Ptr);

  EXPECT_EQ(D().Heads[s.Points[0].Head].Color, 6);
  EXPECT_EQ(s.Points[0].X, 1.0);
  EXPECT_EQ(D().Heads[s.Marks[0].Head].Color, 6);
  EXPECT_EQ(s.Marks[0].Angle, 45.0);
  EXPECT_EQ(s.Marks[0].Code, 7);
  EXPECT_EQ(s.Blocks[0].Name.View(), "\x95\x94\x95i A");  // 部品 A
  ExpectHead(D().Heads[s.Blocks[0].Head], Head(12, 2, 3, 5, 2, 3, 0));

  ExpectHead(D().Heads[s.Solids2[0].Head], Head(12, 2, 3, 10, 2, 3, 0));
  EXPECT_EQ(s.Solids2[0].SolidColor, 255);
  EXPECT_EQ(s.Solids2[0].X2, 5.0);
  EXPECT_EQ(s.Solids2[0].Y2, 0.0);
  EXPECT_EQ(s.Solids2[1].X2, 5.0);
  EXPECT_EQ(s.Solids2[1].Y2, 5.0);
  EXPECT_EQ(s.Solids3[0].X3, 5.0);
  EXPECT_EQ(s.Solids3[0].Y3, 5.0);
  EXPECT_EQ(s.Solids4[0].X4, 0.0);
  EXPECT_EQ(s.Solids4[0].Y4, 5.0);
  EXPECT_EQ(s.Solids4[0].SolidColor, 255);
  EXPECT_EQ(s.Solids3[1].X3, 1.0);
  EXPECT_EQ(s.Solids3[1].Y3, 1.0);

  EXPECT_EQ(s.ScEnts[0].ArcParam2, 90.0);
  EXPECT_EQ(s.ScEnts[0].Code, 2);
  EXPECT_EQ(s.ScEnts[0].SolidColor, 255);
  EXPECT_EQ(s.SeEnts[0].X, 4.0);
  EXPECT_EQ(s.SeEnts[0].Code, 3);
  EXPECT_EQ(s.SoEnts[0].ArcParam2, 360.0);
  EXPECT_EQ(s.SoEnts[0].R2, 1.5);
  EXPECT_EQ(s.SgEnts[0].TiltRad, 0.25);
  EXPECT_EQ(s.SgEnts[0].R2, 4.5);

  const int32_t plNos[] = {0, 1, 1, 0, 2, 0};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(s.Lines[i].PlNo, plNos[i]) << i;
  EXPECT_EQ(s.Lines[5].X1, 6.0);
  EXPECT_EQ(D().Heads[s.Lines[5].Head].Color, 3);

  const TDimEnt& d = s.Dims[0];
  ExpectHead(D().Heads[d.Head], Head(12, 2, 3, 3, 2, 3, 2));
  ExpectHead(D().Heads[d.Line.Head], Head(12, 2, 3, 3, 2, 3, 2));
  EXPECT_EQ(d.Line.X2, 10.0);
  EXPECT_EQ(d.Text.Cmd, 2);
  EXPECT_EQ(d.Text.Kind, 3);
  EXPECT_EQ(D().Heads[d.Text.Head].Color, 13);
  EXPECT_EQ(D().Heads[d.Text.Head].ZFlags, 2);
  EXPECT_EQ(d.Text.X, 5.0);
  EXPECT_EQ(d.Text.Text.View(), "10");
  EXPECT_EQ(d.Text.FontName.Ptr, t0.FontName.Ptr);

  EXPECT_EQ(s.Texts[2].Cmd, 0);
  EXPECT_EQ(s.Texts[2].Text.View(), "\x95\x81\x92\xca");  // 普通
}

}  // namespace
