#include "exchange/store.h"

namespace rek {

TDrawingStore Store;

namespace {

void ClearArrays(TDrawingStore& s) {
  s.Lines.Clear();
  s.Circles.Clear();
  s.Arcs.Clear();
  s.Texts.Clear();
  s.Points.Clear();
  s.Marks.Clear();
  s.Dims.Clear();
  s.Blocks.Clear();
  s.Solids2.Clear();
  s.Solids3.Clear();
  s.Solids4.Clear();
  s.ScEnts.Clear();
  s.SeEnts.Clear();
  s.SoEnts.Clear();
  s.SgEnts.Clear();
  s.Order.Clear();
  s.Heads.Clear();
  s.TextPool.Clear();
  // The buffer forgets its sink first: a temporary file the writer left
  // behind belongs to the writer, and clearing must not touch it.
  s.OutLines.SetSink(nullptr);
  s.OutLines.Clear();
}

void InitHeader(TDrawingStore& s) {
  s.HkValue = 0.0;
  s.FileName.clear();
  s.HsValues.fill(1.0);
  s.SheetWidth = 1189.0;
  s.SheetHeight = 841.0;
  s.TextKinds.fill(TTextKind{3.0, 3.0, 0.0, 2});
  s.BzSeen = false;
  s.HnValues.fill(0.0);
  s.GroupNums.fill(0);
  for (auto& name : s.GroupNames) name.clear();
  s.LayerNums.fill(0);
  for (auto& name : s.LayerNames) name.clear();
  s.HpPoints.fill(THpPoint{false, 0.0, 0.0, 0});
  s.HpCount = 0;
}

void InitFirstSeen(TDrawingStore& s) {
  s.FirstGroup = 0;
  s.FirstLayer = 0;
  s.FirstColor = 1;
  s.FirstLineType = 1;
  s.FirstLineWidth = 0;
  s.FirstTextKind = 1;
  s.FirstTextWidth = 2.0;
  s.FirstTextHeight = 2.0;
  s.FirstTextSpacing = 0.0;
  s.FirstTextColor = 1;
  s.FirstFontName.clear();
}

// The current attributes that ResetAttrState puts back for the writer.
void InitWrittenAttrs(TDrawingStore& s) {
  s.CurGroup = 0;
  s.CurLayer = 0;
  s.CurColor = 1;
  s.CurLineType = 1;
  s.CurLineWidth = 0;
  s.CurTextKind = 1;
  s.CurTextWidth = 2.0;
  s.CurTextHeight = 2.0;
  s.CurTextSpacing = 0.0;
  s.CurTextColor = 1;
  s.CurCc = 0;
  s.CurFontName.assign(kDefaultFontName);
  s.CurPointColor = 1;
  s.CurSolidColor = 0;
}

void InitReaderState(TDrawingStore& s) {
  s.CurHhpNo = 0;
  s.CurZFlags = 0;
  s.PlCount = 0;
  s.InPl = false;
  s.InDim = false;
  s.PendingDimLine = TLineEnt{};
  s.PendingDimLine.Head = InternHead(TEntHead{0, 0, 0, 1, 1, 0, 0});
  s.PendingDimLine.X2 = 1.0;
}

}  // namespace

void InitStore() {
  TDrawingStore& s = Store;
  ClearArrays(s);
  InitHeader(s);
  InitFirstSeen(s);
  InitWrittenAttrs(s);
  InitReaderState(s);
  for (int i = 0; i < 10; ++i) s.PendingAttr[static_cast<size_t>(i)] = i <= paTextKind;
}

void ResetAttrState() {
  Store.PendingAttr.fill(true);
  InitWrittenAttrs(Store);
}

void FreeStore() { ClearArrays(Store); }

void SetEntHead(TEntHead& head) {
  const TDrawingStore& s = Store;
  head.HhpNo = s.CurHhpNo;
  head.Group = s.CurGroup;
  head.Layer = s.CurLayer;
  head.Color = s.CurColor;
  head.LineType = s.CurLineType;
  head.LineWidth = s.CurLineWidth;
  head.ZFlags = s.CurZFlags;
}

void SetEntHead(THeadRef& head) {
  TEntHead h;
  SetEntHead(h);
  head = InternHead(h);
}

void AddOrder(int32_t kind, int32_t index) {
  TOrderEntry& e = Store.Order.Append();
  e.Kind = kind;
  e.Index = index;
}

int64_t TotalEntityCount() {
  const TDrawingStore& s = Store;
  return int64_t{s.Lines.Count()} + s.Circles.Count() + s.Arcs.Count() + s.Texts.Count() +
         s.Points.Count() + s.Marks.Count() + s.Dims.Count() + s.Blocks.Count() +
         s.Solids2.Count() + s.Solids3.Count() + s.Solids4.Count() + s.ScEnts.Count() +
         s.SeEnts.Count() + s.SoEnts.Count() + s.SgEnts.Count();
}

}  // namespace rek
