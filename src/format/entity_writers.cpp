#include "format/entity_writers.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "numeric/number_forms.h"
#include "format/out_buffer.h"
#include "format/written_real.h"
#include "cadxform/cp932.h"
#include "cadxform/geometry.h"

namespace cadxform {

namespace {

// Builds one output line in place at the end of `out` (TOutBuffer::
// BeginLine), so writing an entity copies and allocates nothing per line.
// Values are separated by one blank: a value appended after a keyword that
// ends in its blank gets no extra one. Nothing else may be appended to out
// until the line is added.
//   TLineBuilder b(out); b.Word("ci "); b.Reals(1, 2.5); b.AddLine();  -> "ci 1 2.5"
class TLineBuilder {
 public:
  explicit TLineBuilder(TOutBuffer& out) : out_(out), begin_(out.BeginLine()), end_(begin_) {}

  // Appends bytes as they are.
  void Word(std::string_view s) {
    assert(Used() + s.size() <= kLineRoom);
    std::memcpy(end_, s.data(), s.size());
    end_ += s.size();
  }
  // Appends values in the real form, in order; only the first may need its
  // blank tested, the others always take one.
  template <class... R>
    requires(std::is_same_v<R, double> && ...)
  void Reals(double first, R... rest) {
    Separate();
    // Nearly always every value is finite, tested once for all of them.
    if (AllFinite(first, rest...)) [[likely]] {
      PutFiniteReal(first);
      ((*end_++ = ' ', PutFiniteReal(rest)), ...);
      return;
    }
    PutReal(first);
    ((*end_++ = ' ', PutReal(rest)), ...);
  }
  // Appends a value in the integer form.
  void Int(int32_t v) {
    Separate();
    end_ = AppendIntForm(end_, v);
  }
  // Adds the line to out as a plain line.
  void AddLine() { out_.EndLine(begin_, end_); }
  // Adds the line as a text header and `text` as the entry after it.
  void AddHeaderWith(std::string_view text) { out_.EndHeaderWithLine(begin_, end_, text); }

 private:
  size_t Used() const { return static_cast<size_t>(end_ - begin_); }
  void PutReal(double v) {
    assert(Used() + kNumberFormMax <= kLineRoom);
    end_ = AppendWrittenReal(out_, end_, v);
  }
  // PutReal of a value known to be finite.
  void PutFiniteReal(double v) {
    assert(Used() + kNumberFormMax <= kLineRoom);
    end_ = AppendRealForm(end_, v);
  }
  void Separate() {
    if (end_ != begin_ && end_[-1] != ' ') *end_++ = ' ';
  }
  // The longest line, a four-point solid, is "sl " and eight values.
  static_assert(3 + 8 * (kNumberFormMax + 1) + 8 <= kLineRoom, "room for the longest line");
  TOutBuffer& out_;
  char* const begin_;
  char* end_;
};

using drop::IsNearZero;
using drop::kTol;
using drop::SamePoint;

// Text keyword by the text record's Cmd; 0 and unknown values give "ch".
std::string_view TextKeyword(int32_t cmd) {
  static constexpr std::string_view kKeywords[] = {"ch", "cv", "cs", "cr", "co",
                                                   "cp", "ct", "ck", "cz", "c2"};
  return (cmd >= 0 && cmd <= 9) ? kKeywords[cmd] : kKeywords[0];
}

// Appends a text header "<keyword> X Y Dx Dy \"" as a header entry and
// text as the entry after it: one file line.
void AddTextLines(TOutBuffer& out, std::string_view keyword, double x, double y, double dx, double dy,
                  std::string_view text) {
  assert(keyword.size() == 2);
  TLineBuilder b(out);
  b.Word(std::string_view(keyword.data(), 2));  // a copy of known size
  b.Word(" ");
  b.Reals(x, y, dx, dy);
  b.Word(" \"");
  b.AddHeaderWith(text);
}

// Length of the dimension line rounded to the nearest multiple of 1E-8,
// halves upward; formed in extended precision, rounded once to a double.
double RoundedLength(double x1, double y1, double x2, double y2) {
  const long double d = Distance(x1, y1, x2, y2);
  return static_cast<double>(std::trunc(d / kTol + 0.5L) * kTol);
}

// Appends "<keyword> X Y R Ratio TiltRad ArcParam1 ArcParam2" of a solid
// arc or ring; the caller adds the last value.
void SolidArcValues(TLineBuilder& b, std::string_view keyword, double x, double y, double r,
                    double ratio, double tiltRad, double arcParam1, double arcParam2) {
  b.Word(keyword);
  b.Reals(x, y, r, ratio, tiltRad, arcParam1, arcParam2);
}

void PutRing(TOutBuffer& out, std::string_view keyword, double x, double y, double r, double ratio, double tiltRad,
             double arcParam1, double arcParam2, double r2) {
  if (!drop::IsDrawableRing(r, ratio, r2)) return;
  TLineBuilder b(out);
  SolidArcValues(b, keyword, x, y, r, ratio, tiltRad, arcParam1, arcParam2);
  b.Reals(r2);
  b.AddLine();
}

void PutSolidArc(TOutBuffer& out, std::string_view keyword, int32_t code, double x, double y, double r,
                 double ratio, double tiltRad, double arcParam1, double arcParam2) {
  TLineBuilder b(out);
  SolidArcValues(b, keyword, x, y, r, ratio, tiltRad, arcParam1, arcParam2);
  b.Int(code);
  b.AddLine();
}

}  // namespace

void PutLine(TOutBuffer& out, double x1, double y1, double x2, double y2) {
  if (SamePoint(x1, y1, x2, y2)) return;
  TLineBuilder b(out);
  b.Reals(x1, y1, x2, y2);
  b.AddLine();
}

void PutPlStart(TOutBuffer& out) { out.AddLine("pl"); }

void PutPlEnd(TOutBuffer& out) { out.AddLine("#"); }

void PutPoint(TOutBuffer& out, double x, double y) {
  TLineBuilder b(out);
  b.Word("pt ");
  b.Reals(x, y);
  b.AddLine();
}

void PutMark(TOutBuffer& out, int32_t code, double x, double y, double size, double angle) {
  // Marks are never dropped: an unknown code becomes mark -3 and a zero
  // size becomes 1.
  if (code < -7 || code > 11) code = -3;
  if (IsNearZero(size)) size = 1.0;
  TLineBuilder b(out);
  b.Word("pt ");
  b.Reals(x, y, size, angle);
  b.Int(code);
  b.AddLine();
}

void PutCircle(TOutBuffer& out, double x, double y, double r) {
  if (drop::IsTooSmallRadius(r)) return;
  TLineBuilder b(out);
  b.Word("ci ");
  b.Reals(x, y, r);
  b.AddLine();
}

void PutArc(TOutBuffer& out, double x, double y, double r, double arcParam1, double arcParam2, double ratio,
            double tiltAngle) {
  if (!drop::IsDrawableArc(r, ratio)) return;
  TLineBuilder b(out);
  b.Word("ci ");
  b.Reals(x, y, r, arcParam1, arcParam2, ratio, tiltAngle);
  b.AddLine();
}

void PutText(TOutBuffer& out, int32_t cmd, std::string_view text, double x, double y, double dx, double dy) {
  if (!drop::IsDrawableText(text, dx, dy)) return;
  AddTextLines(out, TextKeyword(cmd), x, y, dx, dy, text);
}

void PutDim(TOutBuffer& out, std::string_view text, double x1, double y1, double x2, double y2, double x, double y,
            double dx, double dy) {
  if (!drop::IsDrawableDim(x1, y1, x2, y2, dx, dy)) return;
  // A blank dimension text is replaced by the measured length.
  char lengthText[kNumberFormMax];
  if (IsBlankText(text)) {
    const char* end = AppendWrittenReal(out, lengthText, RoundedLength(x1, y1, x2, y2));
    text = std::string_view(lengthText, static_cast<size_t>(end - lengthText));
  }
  out.AddLine("msg");
  TLineBuilder b(out);
  b.Reals(x1, y1, x2, y2);
  b.AddLine();
  AddTextLines(out, "cs", x, y, dx, dy, text);
}

void PutSolid2(TOutBuffer& out, double x1, double y1, double x2, double y2) {
  if (SamePoint(x1, y1, x2, y2)) return;
  TLineBuilder b(out);
  b.Word("sl ");
  b.Reals(x1, y1, x2, y2);
  b.AddLine();
}

void PutSolid3(TOutBuffer& out, double x1, double y1, double x2, double y2, double x3, double y3) {
  if (!drop::IsDrawableSolid3(x1, y1, x2, y2, x3, y3)) return;
  TLineBuilder b(out);
  b.Word("sl ");
  b.Reals(x1, y1, x2, y2, x3, y3);
  b.AddLine();
}

void PutSolid4(TOutBuffer& out, double x1, double y1, double x2, double y2, double x3, double y3, double x4,
               double y4) {
  switch (drop::Solid4Form(x1, y1, x2, y2, x3, y3, x4, y4)) {
    case drop::s4Dropped:
      return;
    case drop::s4Without2:
      return PutSolid3(out, x1, y1, x3, y3, x4, y4);
    case drop::s4Without3:
      return PutSolid3(out, x1, y1, x2, y2, x4, y4);
    case drop::s4Without4:
      return PutSolid3(out, x1, y1, x2, y2, x3, y3);
    case drop::s4Whole:
      break;
  }
  TLineBuilder b(out);
  b.Word("sl ");
  b.Reals(x1, y1, x2, y2, x3, y3, x4, y4);
  b.AddLine();
}

void PutSc(TOutBuffer& out, int32_t code, double x, double y, double r, double ratio, double tiltRad,
           double arcParam1, double arcParam2) {
  if (!drop::IsDrawableArc(r, ratio) || !drop::IsScCode(code)) return;
  PutSolidArc(out, "sc ", code, x, y, r, ratio, tiltRad, arcParam1, arcParam2);
}

void PutSe(TOutBuffer& out, int32_t code, double x, double y, double r, double ratio, double tiltRad,
           double arcParam1, double arcParam2) {
  if (!drop::IsDrawableArc(r, ratio) || !drop::IsSeCode(code)) return;
  PutSolidArc(out, "se ", code, x, y, r, ratio, tiltRad, arcParam1, arcParam2);
}

void PutSo(TOutBuffer& out, double x, double y, double r, double ratio, double tiltRad, double arcParam1,
           double arcParam2, double r2) {
  PutRing(out, "so ", x, y, r, ratio, tiltRad, arcParam1, arcParam2, r2);
}

void PutSg(TOutBuffer& out, double x, double y, double r, double ratio, double tiltRad, double arcParam1,
           double arcParam2, double r2) {
  PutRing(out, "sg ", x, y, r, ratio, tiltRad, arcParam1, arcParam2, r2);
}

}  // namespace cadxform
