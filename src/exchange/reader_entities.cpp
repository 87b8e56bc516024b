#include "exchange/reader_entities.h"

#include <cassert>

#include "exchange/reader_values.h"

namespace rek::reading {

namespace {

// The head of a new record: the current attributes.
TEntHead CurrentHead() {
  TEntHead h;
  SetEntHead(h);
  return h;
}

// The current head with another colour (points, texts).
TEntHead CurrentHeadColored(int32_t color) {
  TEntHead h = CurrentHead();
  h.Color = color;
  return h;
}

// Recent-head slots of the head table (THeadTable::Intern), one per kind
// of head: entities in the current attributes, texts, points and marks
// (their own colours), and dimension texts.
enum THeadSlot : int { hsPlain = 0, hsText = 1, hsPoint = 2, hsDimText = 3 };

// Appends one record of kind `code` with `head` to arr, fills its own fields
// with fill(record) and only then lists it in Order, so that an allocation
// failure on the way never leaves an Order entry without its record.
template <class T, class Fill>
void Append(TBlockArray<T>& arr, TEntKind code, const TEntHead& head, THeadSlot slot, Fill&& fill) {
  const THeadRef ref = InternHead(head, slot);
  T& rec = arr.Append();
  rec.Head = ref;
  fill(rec);
  AddOrder(code, arr.Count() - 1);
}

// The same with the current head.
template <class T, class Fill>
void Append(TBlockArray<T>& arr, TEntKind code, Fill&& fill) {
  Append(arr, code, CurrentHead(), hsPlain, fill);
}

// After an entity line (other than a four-number line) the collected
// z-flags have been used and any polyline or dimension block is over.
void EndEntity() {
  Store.CurZFlags = 0;
  Store.InPl = false;
  Store.InDim = false;
}

struct TPt {
  double X, Y;
};

TPt PointAt(const TTokenLine& t, int k) { return TPt{Real(t, k), Real(t, k + 1)}; }

// Two points coincide when they differ by at most 1e-10 in x and in y. The
// difference and the bound are taken in extended precision, like the other
// tolerance checks of the tool.
bool Coincide(TPt a, TPt b) {
  constexpr long double kTol = 1e-10L;
  const long double dx = static_cast<long double>(a.X) - b.X;
  const long double dy = static_cast<long double>(a.Y) - b.Y;
  return (dx < 0 ? -dx : dx) <= kTol && (dy < 0 ? -dy : dy) <= kTol;
}

void AddSolid2(TPt a, TPt b) {
  Append(Store.Solids2, ekSolid2, [&](TSolid2Ent& e) {
    e.SolidColor = Store.CurSolidColor;
    e.X1 = a.X, e.Y1 = a.Y, e.X2 = b.X, e.Y2 = b.Y;
  });
}

void AddSolid3(TPt a, TPt b, TPt c) {
  Append(Store.Solids3, ekSolid3, [&](TSolid3Ent& e) {
    e.SolidColor = Store.CurSolidColor;
    e.X1 = a.X, e.Y1 = a.Y, e.X2 = b.X, e.Y2 = b.Y, e.X3 = c.X, e.Y3 = c.Y;
  });
}

void AddSolid4(TPt a, TPt b, TPt c, TPt d) {
  Append(Store.Solids4, ekSolid4, [&](TSolid4Ent& e) {
    e.SolidColor = Store.CurSolidColor;
    e.X1 = a.X, e.Y1 = a.Y, e.X2 = b.X, e.Y2 = b.Y;
    e.X3 = c.X, e.Y3 = c.Y, e.X4 = d.X, e.Y4 = d.Y;
  });
}

// The pooled copy of the current font name (cut to 255 bytes). Texts mostly
// share one font, so the name is pooled once and shared: the reference of
// the newest text or dimension is reused while its bytes are the current
// name. Taking it from the store itself means it can never outlive the pool
// (both are emptied together by InitStore and FreeStore).
TTextRef CurrentFontRef() {
  const std::string_view want = CutShort(Store.CurFontName);
  if (want.empty()) return TTextRef{nullptr, 0};
  if (const int32_t n = Store.Texts.Count(); n > 0) {
    const TTextRef ref = Store.Texts[n - 1].FontName;
    if (ref.View() == want) return ref;
  }
  if (const int32_t n = Store.Dims.Count(); n > 0) {
    const TTextRef ref = Store.Dims[n - 1].Text.FontName;
    if (ref.View() == want) return ref;
  }
  return Store.TextPool.Add(want);
}

// True when the current text kind is one of the ten standard kinds.
bool IsStandardTextKind() { return Store.CurTextKind >= 1 && Store.CurTextKind <= 10; }

// The head of a new text: the current attributes with the colour of the
// current text kind (a standard kind's own, else the free text colour).
TEntHead CurrentTextHead() {
  const TDrawingStore& s = Store;
  return CurrentHeadColored(IsStandardTextKind()
                                ? s.TextKinds[static_cast<size_t>(s.CurTextKind)].Color
                                : s.CurTextColor);
}

// Fills a text record whose head is set: command, the current "cc" value,
// text kind and size, position, direction and bytes.
void FillText(TTextEnt& e, int32_t cmd, const TTokenLine& t, TTextRef font, TTextRef text) {
  const TDrawingStore& s = Store;
  e.Cmd = cmd;
  e.Cc = s.CurCc;
  e.Kind = s.CurTextKind;
  if (IsStandardTextKind()) {
    const TTextKind& k = s.TextKinds[static_cast<size_t>(e.Kind)];
    e.Width = k.Width, e.Height = k.Height, e.Spacing = k.Spacing;
  } else {
    e.Width = s.CurTextWidth, e.Height = s.CurTextHeight, e.Spacing = s.CurTextSpacing;
  }
  e.X = Real(t, 1), e.Y = Real(t, 2), e.Dx = Real(t, 3), e.Dy = Real(t, 4);
  e.FontName = font;
  e.Text = text;
}

// "cs" inside a dimension block: the dimension of the pending line and this
// text.
void AddDimension(const TTokenLine& t, TTextRef font, TTextRef text) {
  const THeadRef textHead = InternHead(CurrentTextHead(), hsDimText);
  Append(Store.Dims, ekDim, [&](TDimEnt& d) {
    d.Line = Store.PendingDimLine;
    d.Line.PlNo = 0;
    d.Text.Head = textHead;
    FillText(d.Text, 2, t, font, text);
  });
}

}  // namespace

void AddCircle(const TTokenLine& t) {
  Append(Store.Circles, ekCircle, [&](TCircleEnt& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2), e.R = Real(t, 3);
  });
  EndEntity();
}

void AddArc(const TTokenLine& t) {
  Append(Store.Arcs, ekArc, [&](TArcEnt& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2), e.R = Real(t, 3);
    e.ArcParam1 = Real(t, 4), e.ArcParam2 = Real(t, 5);
    e.Ratio = Real(t, 6), e.TiltAngle = Real(t, 7);
  });
  EndEntity();
}

void AddTextLine(const TTokenLine& t, int32_t cmd) {
  assert(cmd >= 0 && cmd <= 9);
  // Pool the bytes before the record exists, so that running out of memory
  // never leaves a half-filled record behind.
  const TTextRef font = CurrentFontRef();
  const TTextRef text = Store.TextPool.AddShort(t.Token(5));
  if (Store.InDim && cmd == 2) {
    AddDimension(t, font, text);
  } else {
    Append(Store.Texts, ekText, CurrentTextHead(), hsText,
           [&](TTextEnt& e) { FillText(e, cmd, t, font, text); });
  }
  EndEntity();
}

void AddPoint(const TTokenLine& t) {
  const TEntHead head = CurrentHeadColored(Store.CurPointColor);
  Append(Store.Points, ekPoint, head, hsPoint, [&](TPointEnt& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2);
  });
  EndEntity();
}

void AddMark(const TTokenLine& t) {
  const TEntHead head = CurrentHeadColored(Store.CurPointColor);
  Append(Store.Marks, ekMark, head, hsPoint, [&](TMarkEnt& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2), e.Size = Real(t, 3), e.Angle = Real(t, 4);
    e.Code = Int(t, 5);
  });
  EndEntity();
}

void AddBlock(const TTokenLine& t) {
  const TTextRef name = Store.TextPool.Add(t.Token(3));
  Append(Store.Blocks, ekBlock, [&](TRekEntBlk& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2);
    e.Name = name;
  });
  EndEntity();
}

void AddSolidOf2(const TTokenLine& t) {
  AddSolid2(PointAt(t, 1), PointAt(t, 3));
  EndEntity();
}

void AddSolidOf3(const TTokenLine& t) {
  const TPt p1 = PointAt(t, 1), p2 = PointAt(t, 3), p3 = PointAt(t, 5);
  if (Coincide(p1, p2)) {
    AddSolid2(p1, p3);
  } else if (Coincide(p2, p3)) {
    AddSolid2(p1, p2);
  } else {
    AddSolid3(p1, p2, p3);  // also when only p1 and p3 coincide
  }
  EndEntity();
}

void AddSolidOf4(const TTokenLine& t) {
  const TPt p1 = PointAt(t, 1), p2 = PointAt(t, 3), p3 = PointAt(t, 5), p4 = PointAt(t, 7);
  // The first rule that holds decides; the points keep their order.
  if (Coincide(p1, p2) && Coincide(p1, p3)) {
    AddSolid2(p1, p4);
  } else if (Coincide(p2, p3) && Coincide(p2, p4)) {
    AddSolid2(p1, p2);
  } else if (Coincide(p1, p2) && Coincide(p3, p4)) {
    AddSolid2(p1, p3);
  } else if (Coincide(p4, p1) || Coincide(p4, p2) || Coincide(p4, p3)) {
    AddSolid3(p1, p2, p3);
  } else if (Coincide(p3, p1) || Coincide(p3, p2)) {
    AddSolid3(p1, p2, p4);
  } else if (Coincide(p2, p1)) {
    AddSolid3(p1, p3, p4);
  } else {
    AddSolid4(p1, p2, p3, p4);
  }
  EndEntity();
}

void AddSolidArc(const TTokenLine& t, TEntKind kind) {
  assert(kind == ekSc || kind == ekSe);
  Append(kind == ekSc ? Store.ScEnts : Store.SeEnts, kind, [&](TSolidArcEnt& e) {
    e.SolidColor = Store.CurSolidColor;
    e.X = Real(t, 1), e.Y = Real(t, 2), e.R = Real(t, 3), e.Ratio = Real(t, 4);
    e.TiltRad = Real(t, 5), e.ArcParam1 = Real(t, 6), e.ArcParam2 = Real(t, 7);
    e.Code = Int(t, 8);
  });
  EndEntity();
}

void AddSolidRing(const TTokenLine& t, TEntKind kind) {
  assert(kind == ekSo || kind == ekSg);
  Append(kind == ekSo ? Store.SoEnts : Store.SgEnts, kind, [&](TSolidRingEnt& e) {
    e.SolidColor = Store.CurSolidColor;
    e.X = Real(t, 1), e.Y = Real(t, 2), e.R = Real(t, 3), e.Ratio = Real(t, 4);
    e.TiltRad = Real(t, 5), e.ArcParam1 = Real(t, 6), e.ArcParam2 = Real(t, 7);
    e.R2 = Real(t, 8);
  });
  EndEntity();
}

void ReadFourNumberLine(const TTokenLine& t) {
  TDrawingStore& s = Store;
  if (s.InDim) {
    // The line of the dimension being read; the dimension is appended by its
    // "cs" text, which also takes the z-flags, so they are kept here.
    TLineEnt& d = s.PendingDimLine;
    SetEntHead(d.Head);
    d.PlNo = 0;
    d.X1 = Real(t, 0), d.Y1 = Real(t, 1), d.X2 = Real(t, 2), d.Y2 = Real(t, 3);
    return;
  }
  Append(s.Lines, ekLine, [&](TLineEnt& e) {
    e.PlNo = s.InPl ? s.PlCount : 0;
    e.X1 = Real(t, 0), e.Y1 = Real(t, 1), e.X2 = Real(t, 2), e.Y2 = Real(t, 3);
  });
  // A polyline block goes on until a marker, attribute or other entity ends it.
  s.CurZFlags = 0;
}

}  // namespace rek::reading
