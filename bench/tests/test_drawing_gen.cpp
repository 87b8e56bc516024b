// The drawing generator: determinism, exact entity counts as the reader
// sees them, every kind present, well-formed code page 932 lines, and
// entities that the writer keeps whole.
#include "gen/drawing_gen.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/run.h"
#include "app/transforms.h"
#include "format/parse_line.h"
#include "cadxform/drawing.h"
#include "format/tokenizer.h"
#include "format/write_state.h"
#include "gen/number_text.h"

namespace {

using namespace cadxform;

using bench::GenerateDrawing;

// The file's lines without their CR LF; fails the test on a bare CR or LF.
std::vector<std::string_view> LinesOf(std::string_view file) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < file.size()) {
    const size_t lf = file.find('\n', start);
    EXPECT_NE(lf, std::string_view::npos) << "last line without line end";
    if (lf == std::string_view::npos) break;
    EXPECT_TRUE(lf > start && file[lf - 1] == '\r') << "LF without CR at " << lf;
    lines.push_back(file.substr(start, lf - 1 - start));
    start = lf + 1;
  }
  return lines;
}

// Reads a whole file into a new drawing, line by line.
std::unique_ptr<cadxform::TDrawing> ReadDrawing(std::string_view file) {
  auto d = std::make_unique<cadxform::TDrawing>();
  cadxform::TReadState r(*d);
  for (std::string_view line : LinesOf(file)) cadxform::ParseLine(*d, r, line);
  return d;
}

TEST(DrawingGen, SameSeedSameBytesOtherSeedOtherBytes) {
  EXPECT_EQ(GenerateDrawing(2000, 5), GenerateDrawing(2000, 5));
  EXPECT_NE(GenerateDrawing(2000, 5), GenerateDrawing(2000, 6));
}

TEST(DrawingGen, ReaderStoresExactlyTheRequestedCount) {
  for (int64_t n : {0, 1, 2, 7, 999, 5000}) {
    const auto d = ReadDrawing(GenerateDrawing(n, 11));
    EXPECT_EQ(d->Order.Count(), n) << "n = " << n;
    EXPECT_EQ(cadxform::TotalEntityCount(*d), n) << "n = " << n;
  }
}

TEST(DrawingGen, EveryKindAndDistinctIndicatedPoints) {
  const auto d = ReadDrawing(GenerateDrawing(5000, 3));
  const cadxform::TDrawing& s = *d;
  const int32_t counts[] = {s.Lines.Count(),   s.Circles.Count(), s.Arcs.Count(),    s.Texts.Count(),
                            s.Points.Count(),  s.Marks.Count(),   s.Dims.Count(),    s.Blocks.Count(),
                            s.Solids2.Count(), s.Solids3.Count(), s.Solids4.Count(), s.ScEnts.Count(),
                            s.SeEnts.Count(),  s.SoEnts.Count(),  s.SgEnts.Count()};
  for (int k = 0; k < 15; ++k) EXPECT_GT(counts[k], 10) << "kind code " << k + 1;
  int32_t inPolyline = 0, params = 0;
  for (int32_t i = 0; i < s.Lines.Count(); ++i) inPolyline += s.Lines[i].PlNo != 0;
  for (int32_t i = 0; i < s.Texts.Count(); ++i) {
    params += s.Texts[i].Text.View().starts_with("^@BM");
  }
  EXPECT_GT(inPolyline, 100);
  EXPECT_GT(params, 20);
  ASSERT_TRUE(s.HpPoints[1].Defined && s.HpPoints[2].Defined);
  EXPECT_GT(s.HpPoints[2].X - s.HpPoints[1].X, 100.0);
}

TEST(DrawingGen, LinesAreWellFormedShiftJis) {
  const std::string file = GenerateDrawing(20000, 8);
  for (std::string_view line : LinesOf(file)) {
    ASSERT_FALSE(line.empty());
    ASSERT_LE(line.size(), 255u) << line;
    for (size_t i = 0; i < line.size(); ++i) {
      const auto b = static_cast<unsigned char>(line[i]);
      ASSERT_TRUE(b >= 0x20 && b <= 0xFC) << "byte " << int(b) << " in " << line;
      if (cadxform::IsLeadByte(b)) {
        ASSERT_LT(i + 1, line.size()) << "lone lead byte ends " << line;
        ++i;
      }
    }
    // Numbers are separated by single blanks, never leading or trailing.
    const size_t quote = line.find('"');
    const std::string_view plain = line.substr(0, quote);
    EXPECT_NE(plain.front(), ' ') << line;
    EXPECT_EQ(plain.find("  "), std::string_view::npos) << line;
    if (quote == std::string_view::npos) {
      EXPECT_NE(plain.back(), ' ') << line;
    }
  }
}

TEST(DrawingGen, AboutFortyBytesPerEntity) {
  const double perEntity = static_cast<double>(GenerateDrawing(50000, 9).size()) / 50000.0;
  EXPECT_GT(perEntity, 35.0);
  EXPECT_LT(perEntity, 45.0);
}

// Every attribute line form a host writes appears in a large file.
TEST(DrawingGen, EveryAttributeLineForm) {
  const std::string file = GenerateDrawing(20000, 4);
  const std::vector<std::string_view> lines = LinesOf(file);
  const char* const prefixes[] = {"lg", "ly", "lc", "lt", "lw", "cn", "cn0 ", "cc", "cn\"$",
                                  "pn", "lc10 ", "z1", "z2", "z3", "z4", "z5", "lgn", "lyn"};
  for (const char* prefix : prefixes) {
    int found = 0;
    for (std::string_view line : lines) found += line.starts_with(prefix);
    EXPECT_GT(found, 0) << prefix;
  }
}

// Translating and writing back keeps every entity except block references,
// which are never written: nothing is degenerate enough to be dropped.
TEST(DrawingGen, WriterKeepsEveryEntity) {
  const auto d = ReadDrawing(GenerateDrawing(5000, 21));
  const int64_t blocks = d->Blocks.Count();
  cadxform::TWriteState w;
  cadxform::ResetAttrState(w, *d);
  cadxform::QueueTransformOutput(*d, w, cadxform::MoveAll(*d, true, 110.0, 220.0));
  const std::string written = w.Out.Bytes();
  ASSERT_TRUE(written.starts_with("hd\r\n"));
  EXPECT_EQ(ReadDrawing(written)->Order.Count(), 5000 - blocks);
}

struct TTextCase {
  int64_t milli;
  const char* text;
};

TEST(NumberText, MilliTextIsExactAndShort) {
  const TTextCase cases[] = {{0, "0"},         {1234500, "1234.5"}, {87250, "87.25"}, {125, "0.125"},
                             {-125, "-0.125"}, {-5, "-0.005"},      {1000, "1"},      {-12000, "-12"}};
  for (const TTextCase& c : cases) EXPECT_EQ(bench::MilliText(c.milli).View(), c.text) << c.milli;
}

// Whatever precision it picks, a coordinate text lies within half a unit of
// its value and never holds more than 15 significant digits.
TEST(NumberText, CoordTextStaysNearItsValue) {
  bench::TRng rng(77);
  for (int k = 0; k < 20000; ++k) {
    const int64_t milli = rng.Between(-20000000, 20000000);
    const bench::TNum n = bench::CoordText(rng, milli);
    const std::string text(n.View());
    EXPECT_NEAR(std::stod(text), static_cast<double>(milli) / 1000.0, 0.5) << text;
    int digits = 0;
    bool leading = true;
    for (char c : text) {
      if (c >= '1' && c <= '9') leading = false;
      if (c >= '0' && c <= '9' && !leading) ++digits;
    }
    EXPECT_LE(digits, 15) << text;
  }
}

}  // namespace
