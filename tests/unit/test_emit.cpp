// The emission driver: per-kind attribute order, change detection, polyline
// grouping, "bz", blocks, overrides and the Escape key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parallel/emit.h"
#include "format/out_buffer.h"
#include "cadxform/drawing.h"
#include "store_records.h"

namespace cadxform {
namespace {

// Each test builds its own drawing d and writes it with its own state w.
class EmitTest : public testing::Test {};

// The output split into its file lines, joined by "|" for short expectations.
std::string OutLines(const TOutBuffer& out) {
  const std::string bytes = out.Bytes();
  std::string joined;
  for (size_t pos = 0; pos < bytes.size();) {
    size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    if (!joined.empty()) joined += '|';
    joined.append(bytes, pos, end - pos);
    pos = end + 2;
  }
  return joined;
}

TEntHead Head(int32_t group, int32_t layer, int32_t color, int32_t lineType, int32_t lineWidth,
              int32_t zFlags) {
  return TEntHead{0, group, layer, color, lineType, lineWidth, zFlags};
}

// Appends a record of `kind` with `head` the way the reader does.
template <class T>
T& AddEnt(TDrawing& d, TBlockArray<T>& array, int32_t kind, const TEntHead& head) {
  return AddRecord(d, array, kind, head);
}

TLineEnt& AddLine(TDrawing& d, const TEntHead& head, int32_t plNo, double x1, double y1, double x2, double y2) {
  TLineEnt& e = AddEnt(d, d.Lines, ekLine, head);
  e.PlNo = plNo;
  e.X1 = x1;
  e.Y1 = y1;
  e.X2 = x2;
  e.Y2 = y2;
  return e;
}

TCircleEnt& AddCircle(TDrawing& d, const TEntHead& head, double x, double y, double r) {
  TCircleEnt& e = AddEnt(d, d.Circles, ekCircle, head);
  e.X = x;
  e.Y = y;
  e.R = r;
  return e;
}

// Fills the text part of a text record: kind 3, cc 1, sizes 2.5 x 3 + 0.5,
// font "<F>", direction (1, 0).
void FillText(TDrawing& d, TTextEnt& t, const char* text, double x, double y) {
  t.Cmd = 0;
  t.Cc = 1;
  t.Kind = 3;
  t.Width = 2.5;
  t.Height = 3;
  t.Spacing = 0.5;
  t.X = x;
  t.Y = y;
  t.Dx = 1;
  t.Dy = 0;
  t.FontName = d.TextPool.AddShort("<F>");
  t.Text = d.TextPool.AddShort(text);
}

TTextEnt& AddText(TDrawing& d, const TEntHead& head, const char* text, double x, double y) {
  TTextEnt& e = AddEnt(d, d.Texts, ekText, head);
  FillText(d, e, text, x, y);
  return e;
}

TPointEnt& AddPoint(TDrawing& d, const TEntHead& head, double x, double y) {
  TPointEnt& e = AddEnt(d, d.Points, ekPoint, head);
  e.X = x;
  e.Y = y;
  return e;
}

TMarkEnt& AddMark(TDrawing& d, const TEntHead& head) {
  TMarkEnt& e = AddEnt(d, d.Marks, ekMark, head);
  e.X = 1;
  e.Y = 2;
  e.Size = 3;
  e.Angle = 45;
  e.Code = 4;
  return e;
}

// A dimension whose line and text carry heads of their own.
TDimEnt& AddDim(TDrawing& d, const TEntHead& head, const TEntHead& lineHead, const TEntHead& textHead) {
  TDimEnt& e = AddEnt(d, d.Dims, ekDim, head);
  e.Line.Head = InternHead(d, lineHead);
  e.Line.X2 = 10;
  e.Text.Head = InternHead(d, textHead);
  FillText(d, e.Text, "12", 5, 1);
  e.Text.Cmd = 2;
  return e;
}

TSolid2Ent& AddSolid2(TDrawing& d, const TEntHead& head, int32_t solidColor) {
  TSolid2Ent& e = AddEnt(d, d.Solids2, ekSolid2, head);
  e.SolidColor = solidColor;
  e.X2 = 1;
  e.Y2 = 1;
  return e;
}

TSolid3Ent& AddSolid3(TDrawing& d, const TEntHead& head, int32_t solidColor) {
  TSolid3Ent& e = AddEnt(d, d.Solids3, ekSolid3, head);
  e.SolidColor = solidColor;
  e.X2 = 1;
  e.Y3 = 1;
  return e;
}

TSolid4Ent& AddSolid4(TDrawing& d, const TEntHead& head, int32_t solidColor) {
  TSolid4Ent& e = AddEnt(d, d.Solids4, ekSolid4, head);
  e.SolidColor = solidColor;
  e.X2 = 1;
  e.X3 = 1;
  e.Y3 = 1;
  e.Y4 = 1;
  return e;
}

TSolidArcEnt& AddSolidArc(TDrawing& d, TBlockArray<TSolidArcEnt>& array, int32_t kind, const TEntHead& head,
                          int32_t solidColor) {
  TSolidArcEnt& e = AddEnt(d, array, kind, head);
  e.SolidColor = solidColor;
  e.R = 3;
  e.Ratio = 1;
  e.Code = 100;
  return e;
}

TSolidRingEnt& AddSolidRing(TDrawing& d, TBlockArray<TSolidRingEnt>& array, int32_t kind, const TEntHead& head,
                            int32_t solidColor) {
  TSolidRingEnt& e = AddEnt(d, array, kind, head);
  e.SolidColor = solidColor;
  e.R = 3;
  e.Ratio = 1;
  e.R2 = 2;
  return e;
}

// Group 2, layer 3, colour 4, line type 5, width 6, z-flags 1; the closing
// lines are silent because the drawing's first group and layer are the same.
const TEntHead kHead = Head(2, 3, 4, 5, 6, 1);

void UseFirstGroupAndLayerOfHead(TDrawing& d) {
  d.First.Group = 2;
  d.First.Layer = 3;
}

TEST_F(EmitTest, AttributeCallOrderPerKind) {
  struct TCase {
    const char* Name;
    void (*Build)(TDrawing&);
    const char* Expected;
  };
  const TCase cases[] = {
      {"line", [](TDrawing& d) { AddLine(d, kHead, 0, 0, 0, 1, 1); }, "lg2|ly3|lc4|lt5|lw6|z1|0 0 1 1"},
      {"circle", [](TDrawing& d) { AddCircle(d, kHead, 1, 1, 2.5); }, "lg2|ly3|lc4|lt5|lw6|z1|ci 1 1 2.5"},
      {"arc",
       [](TDrawing& d) {
         TArcEnt& e = AddEnt(d, d.Arcs, ekArc, kHead);
         e.R = 3;
         e.ArcParam1 = 10;
         e.ArcParam2 = 20;
         e.Ratio = 1;
         e.TiltAngle = 30;
       },
       "lg2|ly3|lc4|lt5|lw6|z1|ci 0 0 3 10 20 1 30"},
      {"text", [](TDrawing& d) { AddText(d, Head(2, 3, 7, 5, 6, 2), "A", 1, 2); },
       "lg2|ly3|cn3|cc1|cn\"$<F>|z2|ch 1 2 1 0 \"A"},
      {"point", [](TDrawing& d) { AddPoint(d, kHead, 1, 2); }, "lg2|ly3|pn4|lw6|z1|pt 1 2"},
      {"mark", [](TDrawing& d) { AddMark(d, kHead); }, "lg2|ly3|pn4|lw6|z1|pt 1 2 3 45 4"},
      {"dimension: group, layer, z-flags from its head; styles from its parts",
       [](TDrawing& d) { AddDim(d, Head(2, 3, 9, 9, 9, 2), Head(8, 8, 4, 5, 6, 16), Head(9, 9, 7, 9, 9, 4)); },
       "lg2|ly3|lc4|lt5|lw6|cn3|cc1|cn\"$<F>|z2|msg|0 0 10 0|cs 5 1 1 0 \"12"},
      {"two-point solid", [](TDrawing& d) { AddSolid2(d, kHead, 99); }, "lg2|ly3|lc4|lw6|z1|sl 0 0 1 1"},
      {"three-point solid", [](TDrawing& d) { AddSolid3(d, kHead, 99); }, "lg2|ly3|lc4|z1|sl 0 0 1 0 0 1"},
      {"four-point solid", [](TDrawing& d) { AddSolid4(d, kHead, 99); }, "lg2|ly3|lc4|z1|sl 0 0 1 0 1 1 0 1"},
      {"sc", [](TDrawing& d) { AddSolidArc(d, d.ScEnts, ekSc, kHead, 99); },
       "lg2|ly3|lc4|z1|sc 0 0 3 1 0 0 0 100"},
      {"se", [](TDrawing& d) { AddSolidArc(d, d.SeEnts, ekSe, kHead, 99); },
       "lg2|ly3|lc4|lw6|z1|se 0 0 3 1 0 0 0 100"},
      {"so", [](TDrawing& d) { AddSolidRing(d, d.SoEnts, ekSo, kHead, 99); },
       "lg2|ly3|lc4|z1|so 0 0 3 1 0 0 0 2"},
      {"sg", [](TDrawing& d) { AddSolidRing(d, d.SgEnts, ekSg, kHead, 99); },
       "lg2|ly3|lc4|z1|sg 0 0 3 1 0 0 0 2"},
      {"RGB solid", [](TDrawing& d) { AddSolid3(d, Head(2, 3, 10, 5, 6, 0), 255); },
       "lg2|ly3|lc10 255|sl 0 0 1 0 0 1"},
      {"dropped entity keeps its attribute lines", [](TDrawing& d) { AddCircle(d, kHead, 1, 1, 0); },
       "lg2|ly3|lc4|lt5|lw6|z1"},
  };
  for (const TCase& c : cases) {
    TDrawing d;
    TWriteState w;
    UseFirstGroupAndLayerOfHead(d);
    c.Build(d);
    EmitAll(d, w);
    EXPECT_EQ(OutLines(w.Out), c.Expected) << c.Name;
  }
}

TEST_F(EmitTest, AttributeLinesOnlyOnChange) {
  TDrawing d;
  TWriteState w;
  UseFirstGroupAndLayerOfHead(d);
  AddLine(d, kHead, 0, 0, 0, 1, 0);
  AddLine(d, kHead, 0, 0, 1, 1, 1);
  AddLine(d, Head(2, 3, 9, 5, 6, 1), 0, 0, 2, 1, 2);
  AddCircle(d, Head(2, 3, 9, 5, 6, 0), 0, 0, 1);
  AddPoint(d, Head(2, 3, 1, 0, 6, 0), 5, 5);
  AddPoint(d, Head(2, 3, 1, 0, 6, 0), 6, 6);
  AddText(d, Head(2, 3, 7, 0, 0, 0), "A", 0, 0);
  AddText(d, Head(2, 3, 7, 0, 0, 0), "B", 0, 0);
  AddLine(d, Head(4, 3, 9, 5, 0, 0), 0, 0, 3, 1, 3);
  EmitAll(d, w);
  // Z-flags have no memory: each entity writes its own. A new group re-arms
  // the layer line; the closing lines restore group 2 and layer 3.
  EXPECT_EQ(OutLines(w.Out),
            "lg2|ly3|lc4|lt5|lw6|z1|0 0 1 0|z1|0 1 1 1|lc9|z1|0 2 1 2|ci 0 0 1|pn1|pt 5 5|pt 6 6"
            "|cn3|cc1|cn\"$<F>|ch 0 0 1 0 \"A|ch 0 0 1 0 \"B"
            "|lg4|ly3|lw0|0 3 1 3|lg2|ly3");
}

// A text notes its style lines only where they differ from the last ones
// written, whatever lies between two texts: kinds, colours, fonts (by their
// bytes) and a dimension's text all count.
TEST_F(EmitTest, TextStyleLinesOnlyOnChange) {
  TDrawing d;
  TWriteState w;
  UseFirstGroupAndLayerOfHead(d);
  const TEntHead h = Head(2, 3, 7, 0, 0, 0);
  AddText(d, h, "A", 0, 0);
  AddText(d, h, "B", 0, 0).Kind = 4;
  AddText(d, h, "C", 0, 0);
  AddLine(d, Head(4, 3, 9, 5, 0, 2), 0, 0, 3, 1, 3);
  AddText(d, h, "D", 0, 0);
  AddText(d, h, "E", 0, 0).FontName = d.TextPool.AddShort("<F>");
  AddText(d, h, "F", 0, 0).FontName = d.TextPool.AddShort("<G>");
  AddDim(d, h, h, h);
  AddText(d, Head(2, 3, 8, 0, 0, 0), "G", 0, 0).Kind = 0;
  AddText(d, Head(2, 3, 8, 0, 0, 0), "H", 0, 0).Kind = 0;
  EmitAll(d, w);
  EXPECT_EQ(OutLines(w.Out),
            "lg2|ly3|cn3|cc1|cn\"$<F>|ch 0 0 1 0 \"A|cn4|ch 0 0 1 0 \"B|cn3|ch 0 0 1 0 \"C"
            "|lg4|ly3|lc9|lt5|lw0|z2|0 3 1 3|lg2|ly3|ch 0 0 1 0 \"D|ch 0 0 1 0 \"E|cn\"$<G>|ch 0 0 1 0 \"F"
            "|lc7|lt0|cn\"$<F>|msg|0 0 10 0|cs 5 1 1 0 \"12|cn0 2.5 3 0.5 8|ch 0 0 1 0 \"G|ch 0 0 1 0 \"H");
}

TEST_F(EmitTest, PolylineGrouping) {
  // Each entry: kind ('L' line, 'C' circle, 'T' text, 'B' block) and PlNo.
  struct TCase {
    const char* Name;
    std::vector<std::pair<char, int32_t>> Entities;
    const char* Expected;
  };
  const TCase cases[] = {
      {"three lines of one polyline", {{'L', 4}, {'L', 4}, {'L', 4}}, "pl|L0|L1|L2|#"},
      {"a circle splits a polyline", {{'L', 4}, {'C', 0}, {'L', 4}}, "pl|L0|#|C|pl|L2|#"},
      {"a text splits a polyline", {{'L', 4}, {'L', 4}, {'T', 0}}, "pl|L0|L1|#|T"},
      {"a block splits a polyline", {{'L', 4}, {'B', 0}, {'L', 4}}, "pl|L0|#|pl|L2|#"},
      {"two polylines one after another", {{'L', 4}, {'L', 5}}, "pl|L0|#|pl|L1|#"},
      {"a single line between", {{'L', 4}, {'L', 0}, {'L', 4}}, "pl|L0|#|L1|pl|L2|#"},
      {"single lines only", {{'L', 0}, {'L', 0}}, "L0|L1"},
      {"one-line polyline at the end", {{'C', 0}, {'L', 7}}, "C|pl|L1|#"},
      {"a dropped segment keeps the markers", {{'L', -1}, {'L', 4}}, "pl|L1|#"},
  };
  for (const TCase& c : cases) {
    TDrawing d;
    TWriteState w;
    const TEntHead head = Head(0, 0, 1, 1, 0, 0);
    int32_t pos = 0;
    for (const auto& [kind, plNo] : c.Entities) {
      const double x = pos;
      if (kind == 'L' && plNo < 0) {
        AddLine(d, head, 4, x, 0, x, 0);  // zero length: written as nothing
      } else if (kind == 'L') {
        AddLine(d, head, plNo, x, 0, x, 1);
      } else if (kind == 'C') {
        AddCircle(d, head, x, 0, 1);
      } else if (kind == 'T') {
        AddText(d, head, "T", x, 0);
      } else {
        AddEnt(d, d.Blocks, ekBlock, head);
      }
      ++pos;
    }
    EmitAll(d, w);
    // Reduce the output to markers and entity names.
    std::string got;
    const std::string lines = OutLines(w.Out) + "|";
    for (size_t start = 0, end; (end = lines.find('|', start)) != std::string::npos;
         start = end + 1) {
      const std::string line = lines.substr(start, end - start);
      std::string token;
      if (line == "pl" || line == "#") token = line;
      if (line.rfind("ci ", 0) == 0) token = "C";
      if (line.rfind("ch ", 0) == 0) token = "T";
      if (!line.empty() && line[0] >= '0' && line[0] <= '9' && line.find(' ') != std::string::npos)
        token = "L" + line.substr(0, line.find(' '));
      if (token.empty()) continue;
      got += (got.empty() ? "" : "|") + token;
    }
    EXPECT_EQ(got, c.Expected) << c.Name;
  }
}

TEST_F(EmitTest, BzComesFirstAndBlocksLeaveNoTrace) {
  TDrawing d;
  TWriteState w;
  d.BzSeen = true;
  AddEnt(d, d.Blocks, ekBlock, kHead);
  detail::AddOrder(d, 0, 0);   // unknown kind codes write nothing either
  detail::AddOrder(d, 16, 0);
  AddOutLine(w.Out, "hd");
  EmitAll(d, w);
  EXPECT_EQ(w.Out.Bytes(), "hd\r\nbz\r\nlg0\r\nly0\r\n");
}

TEST_F(EmitTest, EmptyDrawing) {
  {
    TDrawing d;
    TWriteState w;
    EmitAll(d, w);
    EXPECT_EQ(w.Out.Bytes(), "lg0\r\nly0\r\n");
  }
  TDrawing d;
  TWriteState w;
  d.First.Group = 11;
  d.First.Layer = 15;
  AddOutLine(w.Out, "hd");
  EmitAll(d, w);
  EXPECT_EQ(w.Out.Bytes(), "hd\r\nlgB\r\nlyF\r\n");
}

TEST_F(EmitTest, EntitiesKeepInputOrderAcrossKinds) {
  TDrawing d;
  TWriteState w;
  const TEntHead head = Head(0, 0, 1, 1, 0, 0);
  AddLine(d, head, 0, 0, 0, 1, 0);
  AddText(d, head, "A", 0, 0);
  AddLine(d, head, 0, 0, 1, 1, 1);
  EmitAll(d, w);
  EXPECT_EQ(OutLines(w.Out),
            "lg0|ly0|lc1|lt1|lw0|0 0 1 0|cn3|cc1|cn\"$<F>|ch 0 0 1 0 \"A|0 1 1 1");
}

TEST_F(EmitTest, Overrides) {
  struct TCase {
    const char* Name;
    TEmitOverrides Overrides;
    void (*Build)(TDrawing&);
    const char* Expected;
  };
  auto with = [](void (*set)(TEmitOverrides&)) {
    TEmitOverrides o;
    set(o);
    return o;
  };
  const TCase cases[] = {
      {"group 16 keeps the own group", with([](TEmitOverrides& o) { o.GroupOverride = 16; }),
       [](TDrawing& d) { AddPoint(d, kHead, 0, 0); }, "lg2|ly3|pn4|lw6|z1|pt 0 0"},
      {"group -2 keeps the own group", with([](TEmitOverrides& o) { o.GroupOverride = -2; }),
       [](TDrawing& d) { AddPoint(d, kHead, 0, 0); }, "lg2|ly3|pn4|lw6|z1|pt 0 0"},
      {"group 3, closing lines restore the first group",
       with([](TEmitOverrides& o) { o.GroupOverride = 3; }),
       [](TDrawing& d) {
         AddPoint(d, kHead, 0, 0);
         AddPoint(d, Head(5, 3, 4, 5, 6, 0), 1, 1);
       },
       "lg3|ly3|pn4|lw6|z1|pt 0 0|pt 1 1|lg2|ly3"},
      {"layer 15 applies", with([](TEmitOverrides& o) { o.LayerOverride = 15; }),
       [](TDrawing& d) { AddPoint(d, kHead, 0, 0); }, "lg2|lyF|pn4|lw6|z1|pt 0 0|ly3"},
      {"layer 0 applies", with([](TEmitOverrides& o) { o.LayerOverride = 0; }),
       [](TDrawing& d) { AddPoint(d, kHead, 0, 0); }, "lg2|ly0|pn4|lw6|z1|pt 0 0|ly3"},
      {"colour of lines, points, marks, dimensions and solids",
       with([](TEmitOverrides& o) { o.ColorOverride = 8; }),
       [](TDrawing& d) {
         AddLine(d, Head(2, 3, 1, 5, 6, 0), 0, 0, 0, 1, 1);
         AddPoint(d, Head(2, 3, 1, 5, 6, 0), 0, 0);
         AddMark(d, Head(2, 3, 2, 5, 6, 0));
         AddDim(d, Head(2, 3, 1, 5, 6, 0), Head(2, 3, 1, 5, 6, 0), Head(2, 3, 1, 5, 6, 0));
         AddSolid3(d, Head(2, 3, 10, 5, 6, 0), 99);
       },
       "lg2|ly3|lc8|lt5|lw6|0 0 1 1|pn8|pt 0 0|pt 1 2 3 45 4"
       "|cn3|cc1|cn\"$<F>|msg|0 0 10 0|cs 5 1 1 0 \"12|sl 0 0 1 0 0 1"},
      {"colour 10 with RGB: solids get the RGB line, lines get lc10",
       with([](TEmitOverrides& o) {
         o.ColorOverride = 10;
         o.RgbOverride = 255;
       }),
       [](TDrawing& d) {
         AddLine(d, Head(2, 3, 4, 5, 6, 0), 0, 0, 0, 1, 1);
         AddSolid3(d, Head(2, 3, 4, 5, 6, 0), 99);
         AddSolid2(d, Head(2, 3, 10, 5, 6, 0), 77);
         AddSolid4(d, Head(2, 3, 1, 5, 6, 0), 99);
       },
       "lg2|ly3|lc10|lt5|lw6|0 0 1 1|lc10 255|sl 0 0 1 0 0 1|sl 0 0 1 1|sl 0 0 1 0 1 1 0 1"},
      {"own RGB colour without override",
       with([](TEmitOverrides&) {}),
       [](TDrawing& d) {
         AddSolid3(d, Head(2, 3, 10, 5, 6, 0), 99);
         AddSolid3(d, Head(2, 3, 10, 5, 6, 0), 100);
       },
       "lg2|ly3|lc10 99|sl 0 0 1 0 0 1|lc10 100|sl 0 0 1 0 0 1"},
      {"line type of lines, circles, arcs and dimension lines",
       with([](TEmitOverrides& o) { o.LineTypeOverride = 7; }),
       [](TDrawing& d) {
         AddCircle(d, kHead, 0, 0, 1);
         AddDim(d, kHead, Head(2, 3, 4, 1, 6, 0), Head(2, 3, 4, 1, 6, 0));
         AddPoint(d, Head(2, 3, 4, 2, 6, 0), 0, 0);
       },
       "lg2|ly3|lc4|lt7|lw6|z1|ci 0 0 1|cn3|cc1|cn\"$<F>|z1|msg|0 0 10 0|cs 5 1 1 0 \"12"
       "|pn4|pt 0 0"},
      {"line width of every kind that has one",
       with([](TEmitOverrides& o) { o.LineWidthOverride = 8; }),
       [](TDrawing& d) {
         AddLine(d, Head(2, 3, 4, 5, 1, 0), 0, 0, 0, 1, 1);
         AddPoint(d, Head(2, 3, 4, 5, 2, 0), 0, 0);
         AddMark(d, Head(2, 3, 4, 5, 3, 0));
         AddSolid2(d, Head(2, 3, 4, 5, 4, 0), 0);
         AddSolidArc(d, d.SeEnts, ekSe, Head(2, 3, 4, 5, 5, 0), 0);
         AddDim(d, Head(2, 3, 4, 5, 6, 0), Head(2, 3, 4, 5, 6, 0), Head(2, 3, 4, 5, 6, 0));
       },
       "lg2|ly3|lc4|lt5|lw8|0 0 1 1|pn4|pt 0 0|pt 1 2 3 45 4|sl 0 0 1 1"
       "|se 0 0 3 1 0 0 0 100|cn3|cc1|cn\"$<F>|msg|0 0 10 0|cs 5 1 1 0 \"12"},
      {"text colour makes a free-size style with the text's own sizes",
       with([](TEmitOverrides& o) { o.TextColorOverride = 6; }),
       [](TDrawing& d) {
         AddText(d, Head(2, 3, 7, 5, 6, 0), "A", 0, 0);
         AddDim(d, kHead, Head(2, 3, 4, 5, 6, 0), Head(2, 3, 7, 5, 6, 0)).Text.Height = 4;
       },
       "lg2|ly3|cn0 2.5 3 0.5 6|cc1|cn\"$<F>|ch 0 0 1 0 \"A|lc4|lt5|lw6"
       "|cn0 2.5 4 0.5 6|z1|msg|0 0 10 0|cs 5 1 1 0 \"12"},
      {"cc of texts and dimension texts", with([](TEmitOverrides& o) { o.CcOverride = 5; }),
       [](TDrawing& d) {
         AddText(d, Head(2, 3, 7, 5, 6, 0), "A", 0, 0);
         AddDim(d, kHead, Head(2, 3, 4, 5, 6, 0), Head(2, 3, 7, 5, 6, 0));
       },
       "lg2|ly3|cn3|cc5|cn\"$<F>|ch 0 0 1 0 \"A|lc4|lt5|lw6|z1|msg|0 0 10 0|cs 5 1 1 0 \"12"},
  };
  for (const TCase& c : cases) {
    TDrawing d;
    TWriteState w;
    UseFirstGroupAndLayerOfHead(d);
    c.Build(d);
    EmitAll(d, w, c.Overrides);
    EXPECT_EQ(OutLines(w.Out), c.Expected) << c.Name;
  }
}

// Adds `count` lines of group 2, layer 3 (all attribute lines written once).
void AddLines(TDrawing& d, int32_t count) {
  for (int32_t i = 0; i < count; ++i) AddLine(d, Head(2, 3, 1, 1, 0, 0), 0, i, 0, i, 1);
}

TEST_F(EmitTest, EmptyKeySourceIsNeverDown) {
  TDrawing d;
  TWriteState w;
  AddLines(d, 250);
  EmitAll(d, w, TEmitOverrides(), TEscapeKeySource());
  EXPECT_EQ(w.Out.Count(), 5 + 250 + 2);  // attribute lines once, every line, "lg0" and "ly0"
}

TEST_F(EmitTest, EscapeHeldFromTheStartLeavesOnlyTheClosingLines) {
  TDrawing d;
  TWriteState w;
  d.BzSeen = true;
  d.First.Group = 2;
  d.First.Layer = 3;
  AddLines(d, 5);
  AddOutLine(w.Out, "hd");
  int polls = 0;
  const TEscapeKeySource escape = [&] {
    ++polls;
    return true;
  };
  EmitAll(d, w, TEmitOverrides(), escape);
  EXPECT_EQ(polls, 1);
  EXPECT_EQ(w.Out.Bytes(), "lg2\r\nly3\r\n");
}

TEST_F(EmitTest, EscapeAfter150EntitiesDiscardsTheOutput) {
  struct TCase {
    const char* Name;
    int32_t FirstGroup;
    const char* Expected;
  };
  const TCase cases[] = {
      // The last group written is still in force: nothing to close with.
      {"first group already in force", 2, ""},
      {"first group differs", 0, "lg0\r\nly3\r\n"},
  };
  for (const TCase& c : cases) {
    TDrawing d;
    TWriteState w;
    d.First.Group = c.FirstGroup;
    d.First.Layer = 3;
    AddLines(d, 250);
    AddOutLine(w.Out, "hd");
    // The key goes down once 150 lines have been written; the poll before
    // entity 200 notices it.
    std::vector<int32_t> seenAt;
    const TEscapeKeySource escape = [&] {
      seenAt.push_back(w.Out.Count());
      return w.Out.Count() > 150;
    };
    EmitAll(d, w, TEmitOverrides(), escape);
    // "hd" and five attribute lines precede the first line.
    EXPECT_EQ(seenAt, (std::vector<int32_t>{1, 106, 206})) << c.Name;
    EXPECT_EQ(w.Out.Bytes(), c.Expected) << c.Name;
  }
}

}  // namespace
}  // namespace cadxform
