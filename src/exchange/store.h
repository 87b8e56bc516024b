// The drawing store: the one data model shared by the reader, the transforms
// and the writer.
//
// There is exactly one store per run, the global `Store`. The reader fills it
// from the exchange file, a transform changes records in place (never adding
// or removing one), and the writer walks `Order` and emits every record with
// the attribute lines it needs. All text is code page 932 bytes, never
// converted. Coordinates, radii and sizes are doubles in drawing units;
// angles are degrees except the `TiltRad` of the sc/se/so/sg solids.
//
// Records hold their head as a THeadRef into the head table Heads (see
// head_table.h): `rec.Head->Group`, `*rec.Head`.
//
// Lifecycle: InitStore -> reader -> ResetAttrState -> transform -> writer
// -> FreeStore.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "exchange/block_array.h"
#include "exchange/head_table.h"
#include "exchange/out_buffer.h"
#include "exchange/text_pool.h"

namespace rek {

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

// Indices of PendingAttr.
enum TPendingIndex : int {
  paGroup = 0,
  paLayer = 1,
  paColor = 2,
  paLineType = 3,
  paLineWidth = 4,
  paTextKind = 5,
  paCc = 6,
  paFontName = 7,
  paPointColor = 8,
  paSolidColor = 9,
};

struct TDrawingStore {
  // Header values (set by the reader only).
  double HkValue;
  std::string FileName;
  std::array<double, 16> HsValues;
  double SheetWidth, SheetHeight;
  std::array<TTextKind, 11> TextKinds;  // index 1..10
  bool BzSeen;
  std::array<double, 5> HnValues;  // index 1..4
  std::array<int32_t, 16> GroupNums;
  std::array<std::string, 16> GroupNames;
  std::array<int32_t, 256> LayerNums;  // group * 16 + layer
  std::array<std::string, 256> LayerNames;

  // Indicated points 1..99 (entry 0 is never filled).
  std::array<THpPoint, 100> HpPoints;
  int32_t HpCount;

  // First-seen attributes: the drawing's own settings.
  int32_t FirstGroup, FirstLayer, FirstColor, FirstLineType, FirstLineWidth;
  int32_t FirstTextKind;
  double FirstTextWidth, FirstTextHeight, FirstTextSpacing;
  int32_t FirstTextColor;
  std::string FirstFontName;

  // While reading: flags 0..5 mean "first line of this kind not seen yet".
  // While writing: all ten mean "write this attribute line before the next
  // entity whatever was written last".
  std::array<bool, 10> PendingAttr;

  // Current attributes: the reader's running state, then the writer's
  // memory of the values written last.
  int32_t CurHhpNo;
  int32_t CurGroup, CurLayer;
  int32_t CurColor, CurLineType, CurLineWidth;
  int32_t CurTextKind;
  double CurTextWidth, CurTextHeight, CurTextSpacing;
  int32_t CurTextColor;
  int32_t CurCc;
  std::string CurFontName;
  int32_t CurZFlags;
  int32_t PlCount;
  bool InPl;
  bool InDim;
  int32_t CurPointColor;
  int32_t CurSolidColor;
  TLineEnt PendingDimLine;

  // Entity arrays, one per kind code.
  TBlockArray<TLineEnt> Lines;          // ekLine
  TBlockArray<TCircleEnt> Circles;      // ekCircle
  TBlockArray<TArcEnt> Arcs;            // ekArc
  TBlockArray<TTextEnt> Texts;          // ekText
  TBlockArray<TPointEnt> Points;        // ekPoint
  TBlockArray<TMarkEnt> Marks;          // ekMark
  TBlockArray<TDimEnt> Dims;            // ekDim
  TBlockArray<TRekEntBlk> Blocks;       // ekBlock
  TBlockArray<TSolid2Ent> Solids2;      // ekSolid2
  TBlockArray<TSolid3Ent> Solids3;      // ekSolid3
  TBlockArray<TSolid4Ent> Solids4;      // ekSolid4
  TBlockArray<TSolidArcEnt> ScEnts;     // ekSc
  TBlockArray<TSolidArcEnt> SeEnts;     // ekSe
  TBlockArray<TSolidRingEnt> SoEnts;    // ekSo
  TBlockArray<TSolidRingEnt> SgEnts;    // ekSg

  // The distinct heads of the records (THeadRef ids).
  THeadTable Heads;

  // All stored entities in the order of the file.
  TBlockArray<TOrderEntry> Order;

  // Bytes of the texts, font names and block names held by the records.
  TTextPool TextPool;

  // Lines queued for the output file.
  TOutBuffer OutLines;
};

extern TDrawingStore Store;

inline const TEntHead& THeadRef::operator*() const { return Store.Heads[Id]; }

// The reference to a head equal to `head` in the store's head table (see
// THeadTable::Intern for `slot`). Throws std::bad_alloc when a new head
// cannot be added.
inline THeadRef InternHead(const TEntHead& head, int slot = 0) {
  return THeadRef{Store.Heads.Intern(head, slot)};
}

// Default font name: "<ＭＳ ゴシック>" in code page 932.
inline constexpr std::string_view kDefaultFontName =
    "<\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E>";

// Gives every variable of the store its default; empties every array, the
// head table, the text pool and the output buffer. PendingAttr 0..5 become true, 6..9 false.
void InitStore();

// Prepares the attribute state for writing: all ten PendingAttr flags true
// and the current attributes written by the writer back to their defaults.
// CurHhpNo, CurZFlags, PlCount, InPl, InDim and PendingDimLine keep their
// values.
void ResetAttrState();

// Releases every array, the head table, the text pool and the output buffer.
void FreeStore();

// Copies CurHhpNo, CurGroup, CurLayer, CurColor, CurLineType, CurLineWidth
// and CurZFlags into head.
void SetEntHead(TEntHead& head);
// The same for a record's head: refers it to the head of these values.
void SetEntHead(THeadRef& head);

// Appends (kind, index) to Order.
void AddOrder(int32_t kind, int32_t index);

// Total number of stored records of all fifteen kinds.
int64_t TotalEntityCount();

}  // namespace rek
