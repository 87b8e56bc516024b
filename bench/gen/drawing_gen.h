// Generator of realistic exchange files for benchmarks and load tests.
//
// A generated file is what the host would write for a large selection:
// header lines, indicated points 1 and 2 (distinct), then entities of every
// kind the reader accepts, with attribute lines every few entities. Bytes
// are code page 932, lines end in CR LF. The same (count, seed) always gives
// the same bytes. On average an entity costs about 40 bytes of file.
//
// Every entity is fit to be written back: no zero-length lines, radii and
// ratios are positive, codes are in their sets, texts are not blank, so
// reading and rewriting does the full work for every record.
//
// Example (seed-dependent values):
//   file=C:\CAD Data\図面\bench7.dat      (header lines ...)
//   hp1 1000 500
//   hp2 3500.5 2200.25
//   lg2
//   1234.5 87.25 1290 87.25
//   ci 5021 3310.125 450
//   ch 1200 850 1 0 "居間 ＬＤＫ
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "gen/number_text.h"
#include "gen/rng.h"

namespace bench {

class TDrawingGen {
 public:
  explicit TDrawingGen(uint64_t seed);

  // Appends the header lines, the indicated points and the first attribute
  // lines. Call once, before any WriteNext.
  void WriteHeader(std::string& out);

  // Appends optional attribute lines and then one entity, or one polyline of
  // at most room segments (a polyline is one "pl" ... "#" block whose every
  // segment is one entity). Returns the number of entities appended, 1 to
  // room; room >= 1.
  int64_t WriteNext(std::string& out, int64_t room);

 private:
  // A position in thousandths of a drawing unit.
  struct TPos {
    int64_t x, y;
  };

  void WriteAttributes(std::string& out);
  void WriteAttribute(std::string& out);
  void WriteLine(std::string& out);
  int64_t WritePolyline(std::string& out, int64_t room);
  void WriteCircle(std::string& out);
  void WriteArc(std::string& out);
  void WriteText(std::string& out);
  void WriteParamText(std::string& out);
  void WritePoint(std::string& out);
  void WriteMark(std::string& out);
  void WriteDim(std::string& out);
  void WriteSolid(std::string& out, int corners);
  void WriteSolidArc(std::string& out, const char* keyword);
  void WriteSolidRing(std::string& out, const char* keyword);
  void WriteBlock(std::string& out);

  // Appends " " and the coordinate text of m (thousandths).
  void PutCoord(std::string& out, int64_t m);
  // Appends " " and the point's two coordinates.
  void PutPos(std::string& out, TPos p);
  // A new random position in the drawing area, near the last one mostly.
  TPos NextPos();
  // A length in thousandths, at least min units, mostly short.
  int64_t NextLength(int64_t minUnits);
  // Appends " " and one of a few fixed texts (values a host writes).
  void PutChoice(std::string& out, std::initializer_list<const char*> texts);

  TRng rng_;
  TPos last_{0, 0};
};

// The whole file of n entities for seed, in memory (for tests and small n).
std::string GenerateDrawing(int64_t n, uint64_t seed);

}  // namespace bench
