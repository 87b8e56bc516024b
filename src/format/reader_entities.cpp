#include "format/reader_entities.h"

#include <cassert>

#include "format/byte_copy.h"
#include "format/reader_values.h"

namespace cadxform::reading {

namespace {

// The head of a new record: the running attributes.
TEntHead CurrentHead(const TReadState& r) {
  const TAttrs& a = r.Cur;
  return TEntHead{r.CurHhpNo, a.Group, a.Layer, a.Color, a.LineType, a.LineWidth, r.CurZFlags};
}

// The current head with another colour (points, texts).
TEntHead CurrentHeadColored(const TReadState& r, int32_t color) {
  TEntHead h = CurrentHead(r);
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
void Append(TDrawing& d, TBlockArray<T>& arr, TEntKind code, const TEntHead& head, THeadSlot slot,
            Fill&& fill) {
  const THeadRef ref{detail::InternInSlot(d.Heads, head, slot)};
  T& rec = arr.Append();
  rec.Head = ref;
  fill(rec);
  // AddOrder, written here: one call less for every entity read.
  TOrderEntry& listed = d.Order.Append();
  listed.Kind = code;
  listed.Index = arr.Count() - 1;
}

// The same with the current head.
template <class T, class Fill>
void Append(TDrawing& d, const TReadState& r, TBlockArray<T>& arr, TEntKind code, Fill&& fill) {
  Append(d, arr, code, CurrentHead(r), hsPlain, fill);
}

// After an entity line (other than a four-number line) the collected
// z-flags have been used and any polyline or dimension block is over.
void EndEntity(TReadState& r) {
  r.CurZFlags = 0;
  r.InPl = false;
  r.InDim = false;
}

struct TPt {
  double X, Y;
};

TPt PointAt(const TTokenView& t, int k) { return TPt{Real(t, k), Real(t, k + 1)}; }

// Two points coincide when they differ by at most 1e-10 in x and in y. The
// difference and the bound are taken in extended precision, like the other
// tolerance checks of the tool.
bool Coincide(TPt a, TPt b) {
  constexpr long double kTol = 1e-10L;
  const long double dx = static_cast<long double>(a.X) - b.X;
  const long double dy = static_cast<long double>(a.Y) - b.Y;
  return (dx < 0 ? -dx : dx) <= kTol && (dy < 0 ? -dy : dy) <= kTol;
}

void AddSolid2(TDrawing& d, const TReadState& r, TPt a, TPt b) {
  Append(d, r, d.Solids2, ekSolid2, [&](TSolid2Ent& e) {
    e.SolidColor = r.Cur.SolidColor;
    e.X1 = a.X, e.Y1 = a.Y, e.X2 = b.X, e.Y2 = b.Y;
  });
}

void AddSolid3(TDrawing& d, const TReadState& r, TPt a, TPt b, TPt c) {
  Append(d, r, d.Solids3, ekSolid3, [&](TSolid3Ent& e) {
    e.SolidColor = r.Cur.SolidColor;
    e.X1 = a.X, e.Y1 = a.Y, e.X2 = b.X, e.Y2 = b.Y, e.X3 = c.X, e.Y3 = c.Y;
  });
}

void AddSolid4(TDrawing& d, const TReadState& r, TPt p1, TPt p2, TPt p3, TPt p4) {
  Append(d, r, d.Solids4, ekSolid4, [&](TSolid4Ent& e) {
    e.SolidColor = r.Cur.SolidColor;
    e.X1 = p1.X, e.Y1 = p1.Y, e.X2 = p2.X, e.Y2 = p2.Y;
    e.X3 = p3.X, e.Y3 = p3.Y, e.X4 = p4.X, e.Y4 = p4.Y;
  });
}

// The pooled copy of the current font name (cut to 255 bytes). Texts mostly
// share one font, so the name is pooled once and shared: the reference of
// the newest text or dimension is reused while its bytes are the current
// name. Taking it from the drawing's own records means it can never outlive
// the pool (both belong to the drawing).
TTextRef CurrentFontRef(TDrawing& d, const TReadState& r) {
  const std::string_view want = CutShort(r.Cur.FontName);
  if (want.empty()) return TTextRef{nullptr, 0};
  if (const int32_t n = d.Texts.Count(); n > 0) {
    const TTextRef ref = d.Texts[n - 1].FontName;
    if (SameBytes(ref.View(), want)) return ref;
  }
  if (const int32_t n = d.Dims.Count(); n > 0) {
    const TTextRef ref = d.Dims[n - 1].Text.FontName;
    if (SameBytes(ref.View(), want)) return ref;
  }
  return d.TextPool.Add(want);
}

// True when the current text kind is one of the ten standard kinds.
bool IsStandardTextKind(const TReadState& r) { return r.Cur.TextKind >= 1 && r.Cur.TextKind <= 10; }

// The head of a new text: the current attributes with the colour of the
// current text kind (a standard kind's own, else the free text colour).
TEntHead CurrentTextHead(const TDrawing& d, const TReadState& r) {
  return CurrentHeadColored(r, IsStandardTextKind(r)
                                   ? d.TextKinds[static_cast<size_t>(r.Cur.TextKind)].Color
                                   : r.Cur.TextColor);
}

// Fills a text record whose head is set: command, the current "cc" value,
// text kind and size, position, direction and bytes.
void FillText(const TDrawing& d, const TReadState& r, TTextEnt& e, int32_t cmd, const TTokenView& t,
              TTextRef font, TTextRef text) {
  e.Cmd = cmd;
  e.Cc = r.Cur.Cc;
  e.Kind = r.Cur.TextKind;
  if (IsStandardTextKind(r)) {
    const TTextKind& k = d.TextKinds[static_cast<size_t>(e.Kind)];
    e.Width = k.Width, e.Height = k.Height, e.Spacing = k.Spacing;
  } else {
    e.Width = r.Cur.TextWidth, e.Height = r.Cur.TextHeight, e.Spacing = r.Cur.TextSpacing;
  }
  e.X = Real(t, 1), e.Y = Real(t, 2), e.Dx = Real(t, 3), e.Dy = Real(t, 4);
  e.FontName = font;
  e.Text = text;
}

// "cs" inside a dimension block: the dimension of the pending line and this
// text.
void AddDimension(TDrawing& d, const TReadState& r, const TTokenView& t, TTextRef font,
                  TTextRef text) {
  const THeadRef textHead{detail::InternInSlot(d.Heads, CurrentTextHead(d, r), hsDimText)};
  Append(d, r, d.Dims, ekDim, [&](TDimEnt& e) {
    e.Line = r.PendingDimLine;
    e.Line.PlNo = 0;
    e.Text.Head = textHead;
    FillText(d, r, e.Text, 2, t, font, text);
  });
}

}  // namespace

void AddCircle(TDrawing& d, TReadState& r, const TTokenView& t) {
  Append(d, r, d.Circles, ekCircle, [&](TCircleEnt& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2), e.R = Real(t, 3);
  });
  EndEntity(r);
}

void AddArc(TDrawing& d, TReadState& r, const TTokenView& t) {
  Append(d, r, d.Arcs, ekArc, [&](TArcEnt& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2), e.R = Real(t, 3);
    e.ArcParam1 = Real(t, 4), e.ArcParam2 = Real(t, 5);
    e.Ratio = Real(t, 6), e.TiltAngle = Real(t, 7);
  });
  EndEntity(r);
}

void AddTextLine(TDrawing& d, TReadState& r, const TTokenView& t, int32_t cmd) {
  assert(cmd >= 0 && cmd <= 9);
  // Pool the bytes before the record exists, so that running out of memory
  // never leaves a half-filled record behind.
  const TTextRef font = CurrentFontRef(d, r);
  const TTextRef text = d.TextPool.AddShort(t.Token(5));
  if (r.InDim && cmd == 2) {
    AddDimension(d, r, t, font, text);
  } else {
    Append(d, d.Texts, ekText, CurrentTextHead(d, r), hsText,
           [&](TTextEnt& e) { FillText(d, r, e, cmd, t, font, text); });
  }
  EndEntity(r);
}

void AddPoint(TDrawing& d, TReadState& r, const TTokenView& t) {
  const TEntHead head = CurrentHeadColored(r, r.Cur.PointColor);
  Append(d, d.Points, ekPoint, head, hsPoint, [&](TPointEnt& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2);
  });
  EndEntity(r);
}

void AddMark(TDrawing& d, TReadState& r, const TTokenView& t) {
  const TEntHead head = CurrentHeadColored(r, r.Cur.PointColor);
  Append(d, d.Marks, ekMark, head, hsPoint, [&](TMarkEnt& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2), e.Size = Real(t, 3), e.Angle = Real(t, 4);
    e.Code = Int(t, 5);
  });
  EndEntity(r);
}

void AddBlock(TDrawing& d, TReadState& r, const TTokenView& t) {
  const TTextRef name = d.TextPool.Add(t.Token(3));
  Append(d, r, d.Blocks, ekBlock, [&](TRekEntBlk& e) {
    e.X = Real(t, 1), e.Y = Real(t, 2);
    e.Name = name;
  });
  EndEntity(r);
}

void AddSolidOf2(TDrawing& d, TReadState& r, const TTokenView& t) {
  AddSolid2(d, r, PointAt(t, 1), PointAt(t, 3));
  EndEntity(r);
}

void AddSolidOf3(TDrawing& d, TReadState& r, const TTokenView& t) {
  const TPt p1 = PointAt(t, 1), p2 = PointAt(t, 3), p3 = PointAt(t, 5);
  if (Coincide(p1, p2)) {
    AddSolid2(d, r, p1, p3);
  } else if (Coincide(p2, p3)) {
    AddSolid2(d, r, p1, p2);
  } else {
    AddSolid3(d, r, p1, p2, p3);  // also when only p1 and p3 coincide
  }
  EndEntity(r);
}

void AddSolidOf4(TDrawing& d, TReadState& r, const TTokenView& t) {
  const TPt p1 = PointAt(t, 1), p2 = PointAt(t, 3), p3 = PointAt(t, 5), p4 = PointAt(t, 7);
  // The first rule that holds decides; the points keep their order.
  if (Coincide(p1, p2) && Coincide(p1, p3)) {
    AddSolid2(d, r, p1, p4);
  } else if (Coincide(p2, p3) && Coincide(p2, p4)) {
    AddSolid2(d, r, p1, p2);
  } else if (Coincide(p1, p2) && Coincide(p3, p4)) {
    AddSolid2(d, r, p1, p3);
  } else if (Coincide(p4, p1) || Coincide(p4, p2) || Coincide(p4, p3)) {
    AddSolid3(d, r, p1, p2, p3);
  } else if (Coincide(p3, p1) || Coincide(p3, p2)) {
    AddSolid3(d, r, p1, p2, p4);
  } else if (Coincide(p2, p1)) {
    AddSolid3(d, r, p1, p3, p4);
  } else {
    AddSolid4(d, r, p1, p2, p3, p4);
  }
  EndEntity(r);
}

void AddSolidArc(TDrawing& d, TReadState& r, const TTokenView& t, TEntKind kind) {
  assert(kind == ekSc || kind == ekSe);
  Append(d, r, kind == ekSc ? d.ScEnts : d.SeEnts, kind, [&](TSolidArcEnt& e) {
    e.SolidColor = r.Cur.SolidColor;
    e.X = Real(t, 1), e.Y = Real(t, 2), e.R = Real(t, 3), e.Ratio = Real(t, 4);
    e.TiltRad = Real(t, 5), e.ArcParam1 = Real(t, 6), e.ArcParam2 = Real(t, 7);
    e.Code = Int(t, 8);
  });
  EndEntity(r);
}

void AddSolidRing(TDrawing& d, TReadState& r, const TTokenView& t, TEntKind kind) {
  assert(kind == ekSo || kind == ekSg);
  Append(d, r, kind == ekSo ? d.SoEnts : d.SgEnts, kind, [&](TSolidRingEnt& e) {
    e.SolidColor = r.Cur.SolidColor;
    e.X = Real(t, 1), e.Y = Real(t, 2), e.R = Real(t, 3), e.Ratio = Real(t, 4);
    e.TiltRad = Real(t, 5), e.ArcParam1 = Real(t, 6), e.ArcParam2 = Real(t, 7);
    e.R2 = Real(t, 8);
  });
  EndEntity(r);
}

void ReadFourNumberLine(TDrawing& d, TReadState& r, const TTokenView& t) {
  double v[4];
  RealsFrom(t, 0, v);
  if (r.InDim) {
    // The line of the dimension being read; the dimension is appended by its
    // "cs" text, which also takes the z-flags, so they are kept here.
    // Its head is the plain head of the current attributes: the slot of
    // the lines before it mostly holds it already.
    TLineEnt& l = r.PendingDimLine;
    l.Head = THeadRef{detail::InternInSlot(d.Heads, CurrentHead(r), hsPlain)};
    l.PlNo = 0;
    l.X1 = v[0], l.Y1 = v[1], l.X2 = v[2], l.Y2 = v[3];
    return;
  }
  Append(d, r, d.Lines, ekLine, [&](TLineEnt& e) {
    e.PlNo = r.InPl ? r.PlCount : 0;
    e.X1 = v[0], e.Y1 = v[1], e.X2 = v[2], e.Y2 = v[3];
  });
  // A polyline block goes on until a marker, attribute or other entity ends it.
  r.CurZFlags = 0;
}

}  // namespace cadxform::reading
