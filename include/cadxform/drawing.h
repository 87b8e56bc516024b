// The drawing: what the reader fills from the exchange file, a transform
// changes in place and the emission writes back.
//
// A TDrawing holds the header values, the indicated points, the first-seen
// attributes, the entity records of the fifteen kinds, their heads, the
// bytes of their texts and the input order. It holds no reading or writing
// state: the reader keeps its running attributes to itself, the emission
// what it wrote last. Any number of drawings may exist side by side.
//
// The reader is the only code that adds records; a transform changes
// records in place (never adding or removing one), and the writer only
// reads them. All text is code page 932 bytes, never converted. Coordinates,
// radii and sizes are doubles in drawing units; angles are degrees except
// the `TiltRad` of the sc/se/so/sg solids.
//
// Records hold their head (layer group, layer, colour, line type and width,
// z-flags) as a THeadRef into the drawing's head table:
// `d.Heads[rec.Head].Group`. A head never changes; to give a record other
// attributes, intern the changed head. Texts are references into the
// drawing's text pool; to change one, add the new bytes to the pool.
//
// Example: move every line of layer group 2 by (10, 0), turn it into colour
// 5 and rename every text, outside a transform pass (a Record rule sets
// heads and texts through its ops instead, record_ops.h):
//   d.Lines.ForEach([&](TLineEnt& e) {
//     TEntHead h = d.Heads[e.Head];
//     if (h.Group != 2) return;
//     e.X1 += 10;  e.X2 += 10;
//     h.Color = 5;
//     e.Head = InternHead(d, h);
//   });
//   d.Texts.ForEach([&](TTextEnt& t) { t.Text = d.TextPool.AddShort("A-1"); });
// and in input order, whatever the kind:
//   for (int32_t i = 0; i < d.Order.Count(); ++i)
//     if (d.Order[i].Kind == ekCircle) d.Circles[d.Order[i].Index].R *= 2;
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "cadxform/block_array.h"
#include "cadxform/head_table.h"
#include "cadxform/text_pool.h"

namespace cadxform {

// Kind codes of the input-order list.
enum TEntKind : int32_t {
  ekLine = 1,
  ekCircle = 2,
  ekArc = 3,
  ekText = 4,
  ekPoint = 5,
  ekMark = 6,
  ekDim = 7,
  ekBlock = 8,
  ekSolid2 = 9,
  ekSolid3 = 10,
  ekSolid4 = 11,
  ekSc = 12,
  ekSe = 13,
  ekSo = 14,
  ekSg = 15,
};
// The kind codes are 1 to kKindCount: a new kind takes the next code and
// raises this (record_kinds.h then asks for its array).
inline constexpr int32_t kKindCount = 15;

struct TLineEnt {
  THeadRef Head;
  int32_t PlNo;  // number of the "pl" block the line belongs to, 0 for none
  double X1, Y1, X2, Y2;
};

struct TCircleEnt {
  THeadRef Head;
  double X, Y, R;
};

struct TArcEnt {
  THeadRef Head;
  double X, Y, R;
  double ArcParam1, ArcParam2;  // carried unchanged by every transform
  double Ratio;                 // never changed by transforms
  double TiltAngle;             // degrees
};

struct TTextEnt {
  THeadRef Head;
  int32_t Cmd;   // 0 ch, 1 cv, 2 cs, 3 cr, 4 co, 5 cp, 6 ct, 7 ck, 8 cz, 9 c2
  int32_t Cc;    // value of the last "cc" line, 0..8
  int32_t Kind;  // 1..10 standard text kinds, anything else a free size
  double Width, Height, Spacing;
  double X, Y;    // start point
  double Dx, Dy;  // direction vector: turned by transforms, never moved
  TTextRef FontName;  // short text, at most 255 bytes
  TTextRef Text;      // short text, at most 255 bytes
};

struct TPointEnt {
  THeadRef Head;
  double X, Y;
};

struct TMarkEnt {
  THeadRef Head;
  double X, Y;
  double Size;   // scaled by transforms
  double Angle;  // degrees
  int32_t Code;
};

struct TDimEnt {
  THeadRef Head;
  TLineEnt Line;  // its own head; PlNo always 0
  TTextEnt Text;  // its own head; Cmd always 2
};

struct TRekEntBlk {
  THeadRef Head;
  double X, Y;
  TTextRef Name;  // any length
};

struct TSolid2Ent {
  THeadRef Head;
  int32_t SolidColor;
  double X1, Y1, X2, Y2;
};

struct TSolid3Ent {
  THeadRef Head;
  int32_t SolidColor;
  double X1, Y1, X2, Y2, X3, Y3;
};

struct TSolid4Ent {
  THeadRef Head;
  int32_t SolidColor;
  double X1, Y1, X2, Y2, X3, Y3, X4, Y4;
};

struct TSolidArcEnt {
  THeadRef Head;
  int32_t SolidColor;
  double X, Y, R, Ratio;
  double TiltRad;  // radians
  double ArcParam1, ArcParam2;
  int32_t Code;
};

struct TSolidRingEnt {
  THeadRef Head;
  int32_t SolidColor;
  double X, Y, R, Ratio;
  double TiltRad;  // radians
  double ArcParam1, ArcParam2;
  double R2;  // second radius, scaled like R
};

struct TOrderEntry {
  int32_t Kind;   // one of the ek codes
  int32_t Index;  // position of the record in its kind's array
};

struct THpPoint {
  bool Defined;
  double X, Y;
  int32_t HpKind;  // 0 plain, 1 "-", 2 "ln", 3 "ci", 4 "ch"
};

struct TTextKind {
  double Width, Height, Spacing;
  int32_t Color;
};

// Default font name: "<ＭＳ ゴシック>" in code page 932.
inline constexpr std::string_view kDefaultFontName =
    "<\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E>";

// One value of every attribute an attribute line sets: the drawing's
// first-seen values (TDrawing::First). The defaults are those of a file
// without attribute lines.
struct TAttrs {
  int32_t Group = 0, Layer = 0;
  int32_t Color = 1, LineType = 1, LineWidth = 0;
  int32_t TextKind = 1;
  double TextWidth = 2.0, TextHeight = 2.0, TextSpacing = 0.0;  // free text size
  int32_t TextColor = 1;
  int32_t Cc = 0;
  std::string FontName{kDefaultFontName};
  int32_t PointColor = 1;
  int32_t SolidColor = 0;
};

namespace detail {
struct TDrawingMemory;
}  // namespace detail

struct TDrawing {
  // An empty drawing with every default. Allocates (the head table's first
  // block): throws std::bad_alloc when memory runs out.
  TDrawing();
  TDrawing(const TDrawing&) = delete;
  TDrawing& operator=(const TDrawing&) = delete;

  // Header values (set by the reader only).
  double HkValue = 0.0;
  std::string FileName;
  std::array<double, 16> HsValues;
  double SheetWidth = 1189.0, SheetHeight = 841.0;
  std::array<TTextKind, 11> TextKinds;  // index 1..10
  bool BzSeen = false;
  std::array<double, 5> HnValues;  // index 1..4
  std::array<int32_t, 16> GroupNums;
  std::array<std::string, 16> GroupNames;
  std::array<int32_t, 256> LayerNums;  // group * 16 + layer
  std::array<std::string, 256> LayerNames;

  // Indicated points 1..99 (entry 0 is never filled).
  std::array<THpPoint, 100> HpPoints;
  int32_t HpCount = 0;

  // First-seen attributes: the value of the first line of each kind in the
  // file (group, layer, colour, line type and width, text kind with its free
  // size, font name; the font name stays empty until a font line). The
  // writer falls back on them for values out of range, and the closing lines
  // restore the first group and layer. Cc, PointColor and SolidColor are not
  // kept.
  TAttrs First;


 private:
  // Gives a drawing's memory back to the system.
  struct TMemoryRelease {
    void operator()(detail::TBlockMemory* memory) const;
  };
  // Memory of every record array, the head table and the text pool below
  // (declared first: it goes last); the library's own.
  friend struct detail::TDrawingMemory;
  std::unique_ptr<detail::TBlockMemory, TMemoryRelease> memory_;

 public:

  // Entity arrays, one per kind code.
  TBlockArray<TLineEnt> Lines{memory_.get()};          // ekLine
  TBlockArray<TCircleEnt> Circles{memory_.get()};      // ekCircle
  TBlockArray<TArcEnt> Arcs{memory_.get()};            // ekArc
  TBlockArray<TTextEnt> Texts{memory_.get()};          // ekText
  TBlockArray<TPointEnt> Points{memory_.get()};        // ekPoint
  TBlockArray<TMarkEnt> Marks{memory_.get()};          // ekMark
  TBlockArray<TDimEnt> Dims{memory_.get()};            // ekDim
  TBlockArray<TRekEntBlk> Blocks{memory_.get()};       // ekBlock
  TBlockArray<TSolid2Ent> Solids2{memory_.get()};      // ekSolid2
  TBlockArray<TSolid3Ent> Solids3{memory_.get()};      // ekSolid3
  TBlockArray<TSolid4Ent> Solids4{memory_.get()};      // ekSolid4
  TBlockArray<TSolidArcEnt> ScEnts{memory_.get()};     // ekSc
  TBlockArray<TSolidArcEnt> SeEnts{memory_.get()};     // ekSe
  TBlockArray<TSolidRingEnt> SoEnts{memory_.get()};    // ekSo
  TBlockArray<TSolidRingEnt> SgEnts{memory_.get()};    // ekSg

  // The distinct heads of the records.
  THeadTable Heads{memory_.get()};

  // All stored entities in the order of the file.
  TBlockArray<TOrderEntry> Order{memory_.get()};

  // Bytes of the texts, font names and block names held by the records.
  TTextPool TextPool{memory_.get()};
};

// The reference to a head equal to `head` in the drawing's head table.
// Throws std::bad_alloc when a new head cannot be added, and
// std::logic_error while a transform pass runs (THeadTable::Intern).
inline THeadRef InternHead(TDrawing& d, const TEntHead& head) { return THeadRef{d.Heads.Intern(head)}; }

namespace detail {
// Appends (kind, index) to the drawing's input order: the reader's, for
// each record it adds. Throws std::bad_alloc when the list cannot grow; it
// is then unchanged.
void AddOrder(TDrawing& d, int32_t kind, int32_t index);
}  // namespace detail

// Total number of stored records of all fifteen kinds.
int64_t TotalEntityCount(const TDrawing& d);

}  // namespace cadxform
