// Entity lines: exact bytes of each writer, its drop rules at the 1E-8
// tolerance, mark normalisation, text headers and solid reduction.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "cadxform/write_rules.h"
#include "format/entity_writers.h"

namespace cadxform {
namespace {

struct TWriterCase {
  const char* Name;
  std::function<void(TOutBuffer&)> Call;
  std::string Expected;  // bytes of the output buffer afterwards
};

void RunCases(const std::vector<TWriterCase>& cases) {
  for (const TWriterCase& c : cases) {
    TOutBuffer out;
    c.Call(out);
    EXPECT_EQ(out.Bytes(), c.Expected) << c.Name;
  }
}

TEST(EntityWriters, LinesAndMarkers) {
  RunCases({
      {"shorter than tolerance", [](TOutBuffer& out) { PutLine(out, 0, 0, 5E-9, 0); }, ""},
      {"both coordinates within tolerance", [](TOutBuffer& out) { PutLine(out, 1, 1, 1 + 9E-9, 1 - 9E-9); }, ""},
      {"just above tolerance", [](TOutBuffer& out) { PutLine(out, 0, 0, 2E-8, 0); }, "0 0 2E-8 0\r\n"},
      {"exactly the tolerance apart is no coincidence", [](TOutBuffer& out) { PutLine(out, 0, 0, 1E-8, 0); },
       "0 0 1E-8 0\r\n"},
      {"one unit apart at 1E8 is above tolerance",
       [](TOutBuffer& out) { PutLine(out, 1E8, 0, std::nextafter(1E8, 2E8), 0); }, "100000000 0 100000000 0\r\n"},
      {"only one coordinate close", [](TOutBuffer& out) { PutLine(out, 0, 0, 5E-9, 3); }, "0 0 5E-9 3\r\n"},
      {"no keyword", [](TOutBuffer& out) { PutLine(out, 0.5, 1, 100, 1); }, "0.5 1 100 1\r\n"},
      {"negative values", [](TOutBuffer& out) { PutLine(out, -1.5, -2, 3, -0.25); }, "-1.5 -2 3 -0.25\r\n"},
      {"polyline start", [](TOutBuffer& out) { PutPlStart(out); }, "pl\r\n"},
      {"polyline end", [](TOutBuffer& out) { PutPlEnd(out); }, "#\r\n"},
  });
}

TEST(EntityWriters, PointsAndMarks) {
  RunCases({
      {"point", [](TOutBuffer& out) { PutPoint(out, 1.25, -3); }, "pt 1.25 -3\r\n"},
      {"point at origin", [](TOutBuffer& out) { PutPoint(out, 0, 0); }, "pt 0 0\r\n"},
      {"mark as given", [](TOutBuffer& out) { PutMark(out, 5, 1, 2, 0.5, 45); }, "pt 1 2 0.5 45 5\r\n"},
      {"code above 11 and zero size", [](TOutBuffer& out) { PutMark(out, 12, 1, 2, 0, 45); }, "pt 1 2 1 45 -3\r\n"},
      {"code below -7", [](TOutBuffer& out) { PutMark(out, -8, 1, 2, 3, 0); }, "pt 1 2 3 0 -3\r\n"},
      {"lowest code kept", [](TOutBuffer& out) { PutMark(out, -7, 1, 2, 3, 0); }, "pt 1 2 3 0 -7\r\n"},
      {"highest code kept", [](TOutBuffer& out) { PutMark(out, 11, 1, 2, 3, 0); }, "pt 1 2 3 0 11\r\n"},
      {"size at tolerance", [](TOutBuffer& out) { PutMark(out, 0, 1, 2, 1E-8, 0); }, "pt 1 2 1 0 0\r\n"},
      {"negative size at tolerance", [](TOutBuffer& out) { PutMark(out, 0, 1, 2, -1E-8, 0); }, "pt 1 2 1 0 0\r\n"},
      {"size above tolerance", [](TOutBuffer& out) { PutMark(out, 0, 1, 2, 2E-8, 0); }, "pt 1 2 2E-8 0 0\r\n"},
      {"negative size kept", [](TOutBuffer& out) { PutMark(out, 0, 1, 2, -2, 370); }, "pt 1 2 -2 370 0\r\n"},
  });
}

TEST(EntityWriters, CirclesAndArcs) {
  RunCases({
      {"zero radius", [](TOutBuffer& out) { PutCircle(out, 1, 1, 0); }, ""},
      {"negative radius", [](TOutBuffer& out) { PutCircle(out, 1, 1, -2); }, ""},
      {"radius at tolerance", [](TOutBuffer& out) { PutCircle(out, 1, 1, 1E-8); }, ""},
      {"radius above tolerance", [](TOutBuffer& out) { PutCircle(out, 0, 0, 2E-8); }, "ci 0 0 2E-8\r\n"},
      {"circle", [](TOutBuffer& out) { PutCircle(out, 1, 1, 2.5); }, "ci 1 1 2.5\r\n"},
      {"arc", [](TOutBuffer& out) { PutArc(out, 1, 2, 3, 10, 20, -0.5, 30); }, "ci 1 2 3 10 20 -0.5 30\r\n"},
      {"arc with zero ratio", [](TOutBuffer& out) { PutArc(out, 1, 2, 3, 10, 20, 0, 30); }, ""},
      {"arc with ratio at tolerance", [](TOutBuffer& out) { PutArc(out, 1, 2, 3, 10, 20, 1E-8, 30); }, ""},
      {"arc with negative ratio at tolerance", [](TOutBuffer& out) { PutArc(out, 1, 2, 3, 10, 20, -1E-8, 30); }, ""},
      {"arc with zero radius", [](TOutBuffer& out) { PutArc(out, 1, 2, 0, 10, 20, 1, 30); }, ""},
      {"arc with negative radius", [](TOutBuffer& out) { PutArc(out, 1, 2, -3, 10, 20, 1, 30); }, ""},
  });
}

TEST(EntityWriters, TextKeywordFollowsCmd) {
  const char* keywords[] = {"ch", "cv", "cs", "cr", "co", "cp", "ct", "ck", "cz", "c2"};
  for (int32_t cmd = -1; cmd <= 10; ++cmd) {
    TOutBuffer out;
    PutText(out, cmd, "A", 10, 20, 30, 0);
    const std::string keyword = (cmd >= 0 && cmd <= 9) ? keywords[cmd] : "ch";
    EXPECT_EQ(out.Bytes(), keyword + " 10 20 30 0 \"A\r\n") << "Cmd " << cmd;
  }
}

TEST(EntityWriters, Texts) {
  // "ソ" in code page 932: its trail byte is the backslash.
  const std::string so = "\x83\x5C";
  // A full-width space in code page 932.
  const std::string wideSpace = "\x81\x40";
  RunCases({
      {"no direction", [](TOutBuffer& out) { PutText(out, 0, "A", 1, 2, 0, 0); }, ""},
      {"direction within tolerance", [](TOutBuffer& out) { PutText(out, 0, "A", 1, 2, 1E-8, -1E-8); }, ""},
      {"vertical direction", [](TOutBuffer& out) { PutText(out, 0, "A", 1, 2, 0, 3); }, "ch 1 2 0 3 \"A\r\n"},
      {"direction just above tolerance", [](TOutBuffer& out) { PutText(out, 0, "A", 1, 2, 2E-8, 0); },
       "ch 1 2 2E-8 0 \"A\r\n"},
      {"empty text", [](TOutBuffer& out) { PutText(out, 0, "", 1, 2, 1, 0); }, ""},
      {"only blanks", [=](TOutBuffer& out) { PutText(out, 0, " " + wideSpace + "  ", 1, 2, 1, 0); }, ""},
      {"only control bytes", [](TOutBuffer& out) { PutText(out, 0, "\t\r", 1, 2, 1, 0); }, ""},
      {"leading blanks kept", [](TOutBuffer& out) { PutText(out, 0, "  A", 1, 2, 1, 0); }, "ch 1 2 1 0 \"  A\r\n"},
      {"inner and trailing blanks kept", [=](TOutBuffer& out) { PutText(out, 0, "A " + wideSpace + "B ", 1, 2, 1, 0); },
       "ch 1 2 1 0 \"A " + wideSpace + "B \r\n"},
      {"double-byte text as stored", [=](TOutBuffer& out) { PutText(out, 0, so, 1, 2, 1, 0); },
       "ch 1 2 1 0 \"" + so + "\r\n"},
      {"text ending in a double quote", [](TOutBuffer& out) { PutText(out, 0, "say \"", 1, 2, 1, 0); },
       "ch 1 2 1 0 \"say \"\r\n"},
  });
}

TEST(EntityWriters, LongTextReachesTheFileWhole) {
  // The header and the text are separate entries, so a text of 255 bytes
  // is not cut by the length limit of one entry.
  TOutBuffer out;
  const std::string text(255, 'x');
  PutText(out, 0, text, 123456.789, -98765.4321, 0.70710678118654757, 0.70710678118654757);
  EXPECT_EQ(out.Bytes(),
            "ch 123456.789 -98765.4321 0.707106781186548 0.707106781186548 \"" + text + "\r\n");
  EXPECT_EQ(out.Count(), 2);
}

TEST(EntityWriters, Dimensions) {
  const std::string head = "msg\r\n0 0 1 1\r\ncs 5 6 1 0 \"";
  RunCases({
      {"text as stored", [](TOutBuffer& out) { PutDim(out, "12.5", 0, 0, 1, 1, 5, 6, 1, 0); }, head + "12.5\r\n"},
      {"blank text becomes the rounded length", [](TOutBuffer& out) { PutDim(out, "", 0, 0, 1, 1, 5, 6, 1, 0); },
       head + "1.41421356\r\n"},
      {"full-width blank text too", [](TOutBuffer& out) { PutDim(out, "\x81\x40 ", 0, 0, 1, 1, 5, 6, 1, 0); },
       head + "1.41421356\r\n"},
      {"whole length", [](TOutBuffer& out) { PutDim(out, " ", 0, 0, 3, 4, 0, 0, 0, 1); },
       "msg\r\n0 0 3 4\r\ncs 0 0 0 1 \"5\r\n"},
      {"length rounded up", [](TOutBuffer& out) { PutDim(out, "", 0, 0, 0.123456789, 0, 0, 0, 1, 0); },
       "msg\r\n0 0 0.123456789 0\r\ncs 0 0 1 0 \"0.12345679\r\n"},
      {"length rounded down", [](TOutBuffer& out) { PutDim(out, "", 0, 0, 0.123456781, 0, 0, 0, 1, 0); },
       "msg\r\n0 0 0.123456781 0\r\ncs 0 0 1 0 \"0.12345678\r\n"},
      {"zero-length line: not even msg", [](TOutBuffer& out) { PutDim(out, "7", 2, 2, 2 + 5E-9, 2, 5, 6, 1, 0); }, ""},
      {"no text direction", [](TOutBuffer& out) { PutDim(out, "7", 0, 0, 1, 1, 5, 6, 1E-8, 0); }, ""},
  });
}

TEST(EntityWriters, TwoAndThreePointSolids) {
  RunCases({
      {"two points", [](TOutBuffer& out) { PutSolid2(out, 0, 0, 1, 1); }, "sl 0 0 1 1\r\n"},
      {"two coinciding points", [](TOutBuffer& out) { PutSolid2(out, 1, 1, 1 + 5E-9, 1); }, ""},
      {"three points", [](TOutBuffer& out) { PutSolid3(out, 0, 0, 1, 0, 0, 1); }, "sl 0 0 1 0 0 1\r\n"},
      {"P1 = P2", [](TOutBuffer& out) { PutSolid3(out, 0, 0, 0, 0, 0, 1); }, ""},
      {"P1 = P3", [](TOutBuffer& out) { PutSolid3(out, 0, 0, 1, 0, 0, 0); }, ""},
      {"P2 = P3", [](TOutBuffer& out) { PutSolid3(out, 0, 0, 1, 0, 1, 0); }, ""},
  });
}

TEST(EntityWriters, FourPointSolidReduction) {
  // Corners of a square; a corner "equal" to another is moved by 5E-9 so
  // the test shows which of the two is written.
  const double e = 5E-9;
  RunCases({
      {"four distinct points", [](TOutBuffer& out) { PutSolid4(out, 0, 0, 10, 0, 10, 10, 0, 10); },
       "sl 0 0 10 0 10 10 0 10\r\n"},
      {"P1 = P2 keeps P1, P3, P4", [=](TOutBuffer& out) { PutSolid4(out, 0, 0, e, 0, 10, 10, 0, 10); },
       "sl 0 0 10 10 0 10\r\n"},
      {"P1 = P3 is dropped", [=](TOutBuffer& out) { PutSolid4(out, 0, 0, 10, 0, 0, e, 0, 10); }, ""},
      {"P1 = P4 keeps P1, P2, P3", [=](TOutBuffer& out) { PutSolid4(out, 0, 0, 10, 0, 10, 10, e, e); },
       "sl 0 0 10 0 10 10\r\n"},
      {"P2 = P3 keeps P1, P2, P4", [=](TOutBuffer& out) { PutSolid4(out, 0, 0, 10, 0, 10 + e, 0, 0, 10); },
       "sl 0 0 10 0 0 10\r\n"},
      {"P2 = P4 is dropped", [=](TOutBuffer& out) { PutSolid4(out, 0, 0, 10, 0, 10, 10, 10, e); }, ""},
      {"P3 = P4 keeps P1, P2, P3", [=](TOutBuffer& out) { PutSolid4(out, 0, 0, 10, 0, 10, 10, 10, 10 - e); },
       "sl 0 0 10 0 10 10\r\n"},
      {"P1 = P2 and P3 = P4 is dropped", [](TOutBuffer& out) { PutSolid4(out, 0, 0, 0, 0, 5, 5, 5, 5); }, ""},
      {"P1 = P4 and P2 = P3 is dropped", [](TOutBuffer& out) { PutSolid4(out, 0, 0, 5, 5, 5, 5, 0, 0); }, ""},
  });
}

TEST(EntityWriters, SolidArcs) {
  RunCases({
      {"sc code 100", [](TOutBuffer& out) { PutSc(out, 100, 1, 2, 3, 0.5, 0.25, 10, 20); },
       "sc 1 2 3 0.5 0.25 10 20 100\r\n"},
      {"sc code 5", [](TOutBuffer& out) { PutSc(out, 5, 1, 2, 3, 0.5, 0.25, 10, 20); },
       "sc 1 2 3 0.5 0.25 10 20 5\r\n"},
      {"sc code 0", [](TOutBuffer& out) { PutSc(out, 0, 1, 2, 3, 0.5, 0.25, 10, 20); },
       "sc 1 2 3 0.5 0.25 10 20 0\r\n"},
      {"sc code -1", [](TOutBuffer& out) { PutSc(out, -1, 1, 2, 3, 0.5, 0.25, 10, 20); },
       "sc 1 2 3 0.5 0.25 10 20 -1\r\n"},
      {"sc code 3", [](TOutBuffer& out) { PutSc(out, 3, 1, 2, 3, 0.5, 0.25, 10, 20); }, ""},
      {"sc radius at tolerance", [](TOutBuffer& out) { PutSc(out, 0, 1, 2, 1E-8, 0.5, 0.25, 10, 20); }, ""},
      {"sc ratio at tolerance", [](TOutBuffer& out) { PutSc(out, 0, 1, 2, 3, -1E-8, 0.25, 10, 20); }, ""},
      {"se code 100", [](TOutBuffer& out) { PutSe(out, 100, 1, 2, 3, -0.5, 0, 10, 20); },
       "se 1 2 3 -0.5 0 10 20 100\r\n"},
      {"se code 0", [](TOutBuffer& out) { PutSe(out, 0, 1, 2, 3, 1, 0, 10, 20); }, "se 1 2 3 1 0 10 20 0\r\n"},
      {"se code 5", [](TOutBuffer& out) { PutSe(out, 5, 1, 2, 3, 1, 0, 10, 20); }, ""},
      {"se code -1", [](TOutBuffer& out) { PutSe(out, -1, 1, 2, 3, 1, 0, 10, 20); }, ""},
      {"se negative radius", [](TOutBuffer& out) { PutSe(out, 0, 1, 2, -3, 1, 0, 10, 20); }, ""},
      {"se zero ratio", [](TOutBuffer& out) { PutSe(out, 0, 1, 2, 3, 0, 0, 10, 20); }, ""},
  });
}

TEST(EntityWriters, SolidRings) {
  using TRingWriter = void (*)(TOutBuffer&, double, double, double, double, double, double, double, double);
  const struct {
    TRingWriter Writer;
    std::string Keyword;
  } writers[] = {{PutSo, "so "}, {PutSg, "sg "}};
  for (const auto& w : writers) {
    SCOPED_TRACE(w.Keyword);
    auto ring = [&](double r, double ratio, double r2) {
      return [=, f = w.Writer](TOutBuffer& out) { f(out, 1, 2, r, ratio, 0.5, 10, 20, r2); };
    };
    RunCases({
        {"inner radius below outer", ring(10, 1, 9.99), w.Keyword + "1 2 10 1 0.5 10 20 9.99\r\n"},
        {"negative ratio", ring(10, -0.5, 2), w.Keyword + "1 2 10 -0.5 0.5 10 20 2\r\n"},
        {"equal radii", ring(10, 1, 10), ""},
        {"radii closer than tolerance", ring(10, 1, 10 - 5E-9), ""},
        {"inner radius above outer", ring(10, 1, 11), ""},
        {"zero inner radius", ring(10, 1, 0), ""},
        {"inner radius at tolerance", ring(10, 1, 1E-8), ""},
        {"negative inner radius", ring(10, 1, -1), ""},
        {"zero ratio", ring(10, 0, 5), ""},
    });
  }
}

// The published drop rules (IsWritten) say exactly whether the writer
// writes a record: random records of every kind, their values drawn near
// the tolerance so that every rule decides some of them.
TEST(EntityWriters, IsWrittenAgreesWithTheWriters) {
  std::mt19937 rng(7);
  const double values[] = {0, 5E-9, 1E-8, 2E-8, 1, -1, 1 + 5E-9};
  const int32_t codes[] = {100, 5, 0, -1, 3, 12};
  auto v = [&] { return values[rng() % std::size(values)]; };
  auto code = [&] { return codes[rng() % std::size(codes)]; };
  auto writes = [](const std::function<void(TOutBuffer&)>& put) {
    TOutBuffer out;
    put(out);
    return out.Count() > 0;
  };
  const std::string texts[] = {"A", " ", "\x81\x40", ""};  // "\x81\x40": a full-width space
  for (int i = 0; i < 3000; ++i) {
    const TLineEnt l{{}, 0, v(), v(), v(), v()};
    EXPECT_EQ(IsWritten(l), writes([&](TOutBuffer& o) { PutLine(o, l.X1, l.Y1, l.X2, l.Y2); }));
    const TCircleEnt c{{}, v(), v(), v()};
    EXPECT_EQ(IsWritten(c), writes([&](TOutBuffer& o) { PutCircle(o, c.X, c.Y, c.R); }));
    const TArcEnt a{{}, 0, 0, v(), 1, 2, v(), 3};
    EXPECT_EQ(IsWritten(a), writes([&](TOutBuffer& o) { PutArc(o, a.X, a.Y, a.R, 1, 2, a.Ratio, 3); }));
    const std::string& text = texts[rng() % std::size(texts)];
    TTextEnt t{};
    t.Text = TTextRef{text.data(), static_cast<uint32_t>(text.size())};
    t.Dx = v();
    t.Dy = v();
    EXPECT_EQ(IsWritten(t), writes([&](TOutBuffer& o) { PutText(o, 0, text, 0, 0, t.Dx, t.Dy); }));
    TDimEnt d{};
    d.Line = l;
    d.Text = t;
    EXPECT_EQ(IsWritten(d), writes([&](TOutBuffer& o) {
                PutDim(o, text, l.X1, l.Y1, l.X2, l.Y2, 0, 0, t.Dx, t.Dy);
              }));
    const TSolid3Ent s3{{}, 0, v(), v(), v(), v(), v(), v()};
    EXPECT_EQ(IsWritten(s3), writes([&](TOutBuffer& o) { PutSolid3(o, s3.X1, s3.Y1, s3.X2, s3.Y2, s3.X3, s3.Y3); }));
    const TSolid4Ent s4{{}, 0, v(), v(), v(), v(), v(), v(), v(), v()};
    EXPECT_EQ(IsWritten(s4), writes([&](TOutBuffer& o) {
                PutSolid4(o, s4.X1, s4.Y1, s4.X2, s4.Y2, s4.X3, s4.Y3, s4.X4, s4.Y4);
              }));
    const TSolidArcEnt sa{{}, 0, 0, 0, v(), v(), 0, 0, 0, code()};
    EXPECT_EQ(IsWritten(sa, ekSc), writes([&](TOutBuffer& o) { PutSc(o, sa.Code, 0, 0, sa.R, sa.Ratio, 0, 0, 0); }));
    EXPECT_EQ(IsWritten(sa, ekSe), writes([&](TOutBuffer& o) { PutSe(o, sa.Code, 0, 0, sa.R, sa.Ratio, 0, 0, 0); }));
    const TSolidRingEnt r{{}, 0, 0, 0, v(), v(), 0, 0, 0, v()};
    EXPECT_EQ(IsWritten(r), writes([&](TOutBuffer& o) { PutSo(o, 0, 0, r.R, r.Ratio, 0, 0, 0, r.R2); }));
  }
}

}  // namespace
}  // namespace cadxform
