// Comparing two drawings value by value, for tests and fuzz targets (no
// test framework needed): the first difference as a readable text, or an
// empty text when both hold the same values.
//
// Compared: the header values, the indicated points, the first-seen
// attributes, every record of every kind in every field (heads by their
// values, texts by their bytes, numbers bit for bit, so -0 differs from 0)
// and the input order. Not compared: how the drawing keeps its values (head
// numbers, text pool chunks, memory blocks).
//
//   EXPECT_EQ(DrawingDifference(split, oneByOne), "");
//   if (const std::string diff = DrawingDifference(a, b); !diff.empty()) Fail(diff);
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

#include "cadxform/drawing.h"

namespace cadxform {

// Compares values of two sides one by one and keeps the first difference,
// named by where it lies: a record kind and index (or a header value and
// its index), the part of a record (a dimension's line or text) and the
// field. Once a difference is kept, further values are not compared.
class TFieldDiff {
 public:
  // Heads are looked up in these tables (absent: heads cannot be compared).
  TFieldDiff(const THeadTable* headsA = nullptr, const THeadTable* headsB = nullptr)
      : headsA_(headsA), headsB_(headsB) {}

  bool Found() const { return !first_.empty(); }
  const std::string& First() const { return first_; }

  // Names what the following values belong to: kind and index (-1: none).
  void At(const char* kind, int64_t index = -1) {
    kind_ = kind;
    index_ = index;
    part_ = nullptr;
  }
  // Names the part of a record the following values belong to (nullptr: the
  // record itself).
  void Part(const char* part) { part_ = part; }

  void Value(const char* field, double x, double y) {
    if (std::bit_cast<uint64_t>(x) != std::bit_cast<uint64_t>(y)) Keep(field, Number(x), Number(y));
  }
  void Value(const char* field, int64_t x, int64_t y) {
    if (x != y) Keep(field, std::to_string(x), std::to_string(y));
  }
  void Value(const char* field, int32_t x, int32_t y) { Value(field, int64_t{x}, int64_t{y}); }
  void Value(const char* field, bool x, bool y) {
    if (x != y) Keep(field, x ? "true" : "false", y ? "true" : "false");
  }
  void Value(const char* field, std::string_view x, std::string_view y) {
    if (x != y) Keep(field, Quoted(x), Quoted(y));
  }
  void Value(const char* field, TTextRef x, TTextRef y) { Value(field, x.View(), y.View()); }
  // A head, by the values it stands for.
  void Value(const char* field, THeadRef x, THeadRef y) {
    if (headsA_ == nullptr || headsB_ == nullptr) return;
    const TEntHead& a = (*headsA_)[x];
    const TEntHead& b = (*headsB_)[y];
    if (a == b) return;
    Keep(field, HeadText(a), HeadText(b));
  }

 private:
  void Keep(const char* field, const std::string& x, const std::string& y) {
    if (Found()) return;
    first_ = kind_;
    if (index_ >= 0) first_ += " " + std::to_string(index_);
    if (part_ != nullptr) first_ += std::string(" ") + part_;
    first_ += std::string(" ") + field + ": " + x + " != " + y;
  }
  static std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
  }
  // At most 60 bytes of s in double quotes, bytes outside printable ASCII
  // as \xNN.
  static std::string Quoted(std::string_view s) {
    std::string q = "\"";
    for (size_t i = 0; i < s.size() && i < 60; ++i) {
      const auto c = static_cast<unsigned char>(s[i]);
      if (c >= 0x20 && c < 0x7F && c != '\\') {
        q += static_cast<char>(c);
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        q += hex;
      }
    }
    q += s.size() > 60 ? "\"... (" + std::to_string(s.size()) + " bytes)" : "\"";
    return q;
  }
  static std::string HeadText(const TEntHead& h) {
    char text[120];
    std::snprintf(text, sizeof text, "{hhp %d, group %d, layer %d, colour %d, type %d, width %d, z %d}", h.HhpNo,
                  h.Group, h.Layer, h.Color, h.LineType, h.LineWidth, h.ZFlags);
    return text;
  }

  const THeadTable* headsA_;
  const THeadTable* headsB_;
  const char* kind_ = "";
  int64_t index_ = -1;
  const char* part_ = nullptr;
  std::string first_;
};

// Every field of one record, attribute set or point, in declaration order.
#define CADXFORM_SAME(field) c.Value(#field, x.field, y.field)

inline void CompareFields(TFieldDiff& c, const TLineEnt& x, const TLineEnt& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(PlNo);
  CADXFORM_SAME(X1); CADXFORM_SAME(Y1); CADXFORM_SAME(X2); CADXFORM_SAME(Y2);
}

inline void CompareFields(TFieldDiff& c, const TCircleEnt& x, const TCircleEnt& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(X); CADXFORM_SAME(Y); CADXFORM_SAME(R);
}

inline void CompareFields(TFieldDiff& c, const TArcEnt& x, const TArcEnt& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(X); CADXFORM_SAME(Y); CADXFORM_SAME(R);
  CADXFORM_SAME(ArcParam1); CADXFORM_SAME(ArcParam2); CADXFORM_SAME(Ratio); CADXFORM_SAME(TiltAngle);
}

inline void CompareFields(TFieldDiff& c, const TTextEnt& x, const TTextEnt& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(Cmd); CADXFORM_SAME(Cc); CADXFORM_SAME(Kind);
  CADXFORM_SAME(Width); CADXFORM_SAME(Height); CADXFORM_SAME(Spacing);
  CADXFORM_SAME(X); CADXFORM_SAME(Y); CADXFORM_SAME(Dx); CADXFORM_SAME(Dy);
  CADXFORM_SAME(FontName); CADXFORM_SAME(Text);
}

inline void CompareFields(TFieldDiff& c, const TPointEnt& x, const TPointEnt& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(X); CADXFORM_SAME(Y);
}

inline void CompareFields(TFieldDiff& c, const TMarkEnt& x, const TMarkEnt& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(X); CADXFORM_SAME(Y); CADXFORM_SAME(Size); CADXFORM_SAME(Angle);
  CADXFORM_SAME(Code);
}

inline void CompareFields(TFieldDiff& c, const TDimEnt& x, const TDimEnt& y) {
  CADXFORM_SAME(Head);
  c.Part("line");
  CompareFields(c, x.Line, y.Line);
  c.Part("text");
  CompareFields(c, x.Text, y.Text);
  c.Part(nullptr);
}

inline void CompareFields(TFieldDiff& c, const TRekEntBlk& x, const TRekEntBlk& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(X); CADXFORM_SAME(Y); CADXFORM_SAME(Name);
}

inline void CompareFields(TFieldDiff& c, const TSolid2Ent& x, const TSolid2Ent& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(SolidColor);
  CADXFORM_SAME(X1); CADXFORM_SAME(Y1); CADXFORM_SAME(X2); CADXFORM_SAME(Y2);
}

inline void CompareFields(TFieldDiff& c, const TSolid3Ent& x, const TSolid3Ent& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(SolidColor);
  CADXFORM_SAME(X1); CADXFORM_SAME(Y1); CADXFORM_SAME(X2); CADXFORM_SAME(Y2); CADXFORM_SAME(X3); CADXFORM_SAME(Y3);
}

inline void CompareFields(TFieldDiff& c, const TSolid4Ent& x, const TSolid4Ent& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(SolidColor);
  CADXFORM_SAME(X1); CADXFORM_SAME(Y1); CADXFORM_SAME(X2); CADXFORM_SAME(Y2); CADXFORM_SAME(X3); CADXFORM_SAME(Y3);
  CADXFORM_SAME(X4); CADXFORM_SAME(Y4);
}

inline void CompareFields(TFieldDiff& c, const TSolidArcEnt& x, const TSolidArcEnt& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(SolidColor);
  CADXFORM_SAME(X); CADXFORM_SAME(Y); CADXFORM_SAME(R); CADXFORM_SAME(Ratio); CADXFORM_SAME(TiltRad);
  CADXFORM_SAME(ArcParam1); CADXFORM_SAME(ArcParam2); CADXFORM_SAME(Code);
}

inline void CompareFields(TFieldDiff& c, const TSolidRingEnt& x, const TSolidRingEnt& y) {
  CADXFORM_SAME(Head); CADXFORM_SAME(SolidColor);
  CADXFORM_SAME(X); CADXFORM_SAME(Y); CADXFORM_SAME(R); CADXFORM_SAME(Ratio); CADXFORM_SAME(TiltRad);
  CADXFORM_SAME(ArcParam1); CADXFORM_SAME(ArcParam2); CADXFORM_SAME(R2);
}

inline void CompareFields(TFieldDiff& c, const TOrderEntry& x, const TOrderEntry& y) {
  CADXFORM_SAME(Kind); CADXFORM_SAME(Index);
}

inline void CompareFields(TFieldDiff& c, const THpPoint& x, const THpPoint& y) {
  CADXFORM_SAME(Defined); CADXFORM_SAME(X); CADXFORM_SAME(Y); CADXFORM_SAME(HpKind);
}

inline void CompareFields(TFieldDiff& c, const TTextKind& x, const TTextKind& y) {
  CADXFORM_SAME(Width); CADXFORM_SAME(Height); CADXFORM_SAME(Spacing); CADXFORM_SAME(Color);
}

inline void CompareFields(TFieldDiff& c, const TAttrs& x, const TAttrs& y) {
  CADXFORM_SAME(Group); CADXFORM_SAME(Layer); CADXFORM_SAME(Color); CADXFORM_SAME(LineType);
  CADXFORM_SAME(LineWidth); CADXFORM_SAME(TextKind); CADXFORM_SAME(TextWidth); CADXFORM_SAME(TextHeight);
  CADXFORM_SAME(TextSpacing); CADXFORM_SAME(TextColor); CADXFORM_SAME(Cc); CADXFORM_SAME(FontName);
  CADXFORM_SAME(PointColor); CADXFORM_SAME(SolidColor);
}

#undef CADXFORM_SAME

// The count and then every record of two record arrays (kind names them).
template <class T>
void CompareRecords(TFieldDiff& c, const char* kind, const TBlockArray<T>& x, const TBlockArray<T>& y) {
  c.At(kind);
  c.Value("count", x.Count(), y.Count());
  for (int32_t i = 0; i < x.Count() && !c.Found(); ++i) {
    c.At(kind, i);
    CompareFields(c, x[i], y[i]);
  }
}

// Every entry of two arrays of values or structures (name names them).
template <class T, size_t N>
void CompareEntries(TFieldDiff& c, const char* name, const std::array<T, N>& x, const std::array<T, N>& y) {
  for (size_t i = 0; i < N && !c.Found(); ++i) {
    c.At(name, static_cast<int64_t>(i));
    if constexpr (std::is_arithmetic_v<T> || std::is_same_v<T, std::string>) {
      c.Value("value", x[i], y[i]);
    } else {
      CompareFields(c, x[i], y[i]);
    }
  }
}

// The first difference between two attribute sets, "" when none.
inline std::string AttrsDifference(const TAttrs& a, const TAttrs& b) {
  TFieldDiff c;
  c.At("attributes");
  CompareFields(c, a, b);
  return c.First();
}

// The first difference between the drawings a and b, "" when none.
inline std::string DrawingDifference(const TDrawing& a, const TDrawing& b) {
  TFieldDiff c(&a.Heads, &b.Heads);
  c.At("header");
  c.Value("hk", a.HkValue, b.HkValue);
  c.Value("file name", a.FileName, b.FileName);
  c.Value("sheet width", a.SheetWidth, b.SheetWidth);
  c.Value("sheet height", a.SheetHeight, b.SheetHeight);
  c.Value("bz", a.BzSeen, b.BzSeen);
  c.Value("indicated points", a.HpCount, b.HpCount);
  CompareEntries(c, "hs", a.HsValues, b.HsValues);
  CompareEntries(c, "text kind", a.TextKinds, b.TextKinds);
  CompareEntries(c, "hn", a.HnValues, b.HnValues);
  CompareEntries(c, "group number", a.GroupNums, b.GroupNums);
  CompareEntries(c, "group name", a.GroupNames, b.GroupNames);
  CompareEntries(c, "layer number", a.LayerNums, b.LayerNums);
  CompareEntries(c, "layer name", a.LayerNames, b.LayerNames);
  CompareEntries(c, "hp", a.HpPoints, b.HpPoints);
  c.At("first-seen");
  CompareFields(c, a.First, b.First);
  CompareRecords(c, "line", a.Lines, b.Lines);
  CompareRecords(c, "circle", a.Circles, b.Circles);
  CompareRecords(c, "arc", a.Arcs, b.Arcs);
  CompareRecords(c, "text", a.Texts, b.Texts);
  CompareRecords(c, "point", a.Points, b.Points);
  CompareRecords(c, "mark", a.Marks, b.Marks);
  CompareRecords(c, "dimension", a.Dims, b.Dims);
  CompareRecords(c, "block", a.Blocks, b.Blocks);
  CompareRecords(c, "solid of 2", a.Solids2, b.Solids2);
  CompareRecords(c, "solid of 3", a.Solids3, b.Solids3);
  CompareRecords(c, "solid of 4", a.Solids4, b.Solids4);
  CompareRecords(c, "sc", a.ScEnts, b.ScEnts);
  CompareRecords(c, "se", a.SeEnts, b.SeEnts);
  CompareRecords(c, "so", a.SoEnts, b.SoEnts);
  CompareRecords(c, "sg", a.SgEnts, b.SgEnts);
  CompareRecords(c, "order", a.Order, b.Order);
  return c.First();
}

}  // namespace cadxform
