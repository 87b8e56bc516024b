// Writing a drawing on two threads in segments: for every segment size (and
// so for every cut position), the bytes, the final write state and the
// Escape polls are those of one pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <thread>
#include <vector>

#include "files/reader.h"
#include "cadxform/drawing.h"
#include "parallel/emit_split.h"
#include "format/emit_range.h"
#include "format/parse_line.h"
#include "parallel/segment_queue.h"
#include "drawing_compare.h"
#include "store_records.h"

namespace cadxform {
namespace {

// Everything a run of the emission leaves behind.
struct TEmitted {
  std::string Bytes;
  int32_t Count = 0;
  TAttrs Last;
  std::array<bool, kAttrCount> Pending{};
  int32_t Polls = 0;
};

// The first difference between two runs' results, "" when none: the bytes,
// the line count, every value of the last written attributes, the pending
// flags and the Escape polls.
std::string Difference(const TEmitted& a, const TEmitted& b) {
  if (a.Bytes != b.Bytes) {
    const auto at = std::mismatch(a.Bytes.begin(), a.Bytes.end(), b.Bytes.begin(), b.Bytes.end());
    return "bytes differ from offset " + std::to_string(at.first - a.Bytes.begin());
  }
  if (a.Count != b.Count) return "line count " + std::to_string(a.Count) + " != " + std::to_string(b.Count);
  if (std::string last = AttrsDifference(a.Last, b.Last); !last.empty()) return "last written " + last;
  if (a.Pending != b.Pending) return "pending attribute flags differ";
  if (a.Polls != b.Polls) return "Escape polls " + std::to_string(a.Polls) + " != " + std::to_string(b.Polls);
  return "";
}

// Keeps what the output hands it, as the temporary file does.
class TStringSink : public TOutSink {
 public:
  void Take(const char* data, size_t size) override { Bytes.append(data, size); }
  void Discard() override { Bytes.clear(); }
  std::string Bytes;
};

// Emits d after "hd" in segments of the size given (-1: one pass); the
// Escape key is down from poll number escapeAt on (counting from 1; 0:
// never). With `spill` the output streams into a sink, whose bytes come
// first.
TEmitted Emit(const TDrawing& d, int32_t segment, const TEmitOverrides& o = TEmitOverrides(),
              int escapeAt = 0, bool spill = false) {
  TWriteState w;
  TStringSink sink;
  if (spill) w.Out.SetSink(&sink);
  ResetAttrState(w, d);
  AddOutLine(w.Out, "hd");
  TEmitted r;
  const TEscapeKeySource escape = [&] { return ++r.Polls == escapeAt; };
  EmitAllInSegments(d, w, o, escape, segment);
  r.Bytes = sink.Bytes + w.Out.Bytes();
  r.Count = w.Out.Count();
  w.Out.SetSink(nullptr);
  r.Last = w.Last;
  r.Pending = w.PendingAttr;
  return r;
}

// The test drawings: every kind, polylines, attribute changes, texts,
// dimensions and solids, "bz" and headers.
const char* const kDrawings[] = {
    "golden/round_trip_every_kind",     "golden/round_trip_polylines",
    "golden/round_trip_attribute_lines", "golden/round_trip_text_styles",
    "golden/round_trip_solid_colours",  "golden/round_trip_dimensions",
    "golden/move_bz_and_headers",
};

TEST(EmitSplit, EverySegmentSizeGivesTheBytesOfOnePass) {
  TEmitOverrides forced;
  forced.ColorOverride = 10;
  forced.RgbOverride = 255;
  forced.LayerOverride = 4;
  forced.CcOverride = 2;
  for (const char* name : kDrawings) {
    TDrawing d;
    ASSERT_TRUE(ReadExchangeFile(std::string(TEST_DATA_DIR "/../") + name + "/input.txt", d)) << name;
    for (const TEmitOverrides& o : {TEmitOverrides(), forced}) {
      const TEmitted one = Emit(d, -1, o);
      ASSERT_GT(one.Count, 1) << name;
      for (int32_t segment = 1; segment <= d.Order.Count(); ++segment) {
        EXPECT_EQ(Difference(Emit(d, segment, o), one), "") << name << " segment " << segment;
        EXPECT_EQ(Difference(Emit(d, segment, o, 0, true), one), "")
            << name << " segment " << segment << " spilled";
      }
    }
  }
}

// Lines of changing layers and colours in polylines of two to four lines, so
// that the cuts fall inside and between polylines and attribute changes.
void AddPolylines(TDrawing& d, int32_t count) {
  d.First.Group = 1;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t run = i / 3 + i / 7;
    TLineEnt& e = AddRecord(d, d.Lines, ekLine, TEntHead{0, run % 3, run % 5, 1 + run % 4, 1, 0, 0});
    e.PlNo = run % 4 == 0 ? 0 : run;
    e.X1 = i;
    e.Y2 = i * 0.5;
  }
}

TEST(EmitSplit, EscapeInEitherWritersSegmentGivesTheOutputOfOnePass) {
  TDrawing d;
  AddPolylines(d, 450);
  for (int escapeAt = 0; escapeAt <= 6; ++escapeAt) {
    const TEmitted one = Emit(d, -1, TEmitOverrides(), escapeAt);
    EXPECT_EQ(one.Polls, escapeAt == 0 ? 5 : std::min(escapeAt, 5));
    for (int32_t segment : {1, 2, 3, 50, 99, 100, 101, 150, 301, 449, 450}) {
      EXPECT_EQ(Difference(Emit(d, segment, TEmitOverrides(), escapeAt), one), "")
          << "escape at poll " << escapeAt << ", segment " << segment;
      EXPECT_EQ(Difference(Emit(d, segment, TEmitOverrides(), escapeAt, true), one), "")
          << "escape at poll " << escapeAt << ", segment " << segment << " spilled";
    }
  }
}

// The write state after writing [0, to), compared field by field.
std::string StateAfter(const TDrawing& d, int32_t from, int32_t to, TAttrs& last) {
  TWriteState w;
  ResetAttrState(w, d);
  EmitRange(d, w, TEmitOverrides(), 0, from, nullptr, nullptr);
  if (from < to) PrimeRange(d, w, TEmitOverrides(), from, to);
  last = w.Last;
  std::string pending;
  for (bool p : w.PendingAttr) pending += p ? '1' : '0';
  return pending;
}

// Priming a writer from any position to any later one leaves the values
// and flags that writing up to there leaves: with free-size texts of sizes
// 0, -0 and 2.5 (zero signs included), texts of a standard kind and of
// kinds that fall back on the drawing's own free size, solids of colour 10
// and other colours, between lines and points.
TEST(EmitSplit, PrimingFromAnyPositionLeavesTheStateOfWriting) {
  TDrawing d;
  d.First.TextKind = 0;
  d.First.TextWidth = -0.0;
  const double sizes[] = {0.0, -0.0, 2.5};
  for (int32_t i = 0; i < 40; ++i) {
    TTextEnt& t = AddRecord(d, d.Texts, ekText);
    t.Kind = i % 5 == 2 ? 11 : (i % 7 == 6 ? 3 : 0);
    t.Width = sizes[i % 3];
    t.Height = sizes[(i / 3) % 3];
    t.Spacing = 1;
    if (i % 4 == 0) AddRecord(d, d.Lines, ekLine).X2 = i;
    if (i % 9 == 0) AddRecord(d, d.Points, ekPoint);
    if (i % 6 == 1) {
      TSolid2Ent& s = AddRecord(d, d.Solids2, ekSolid2, TEntHead{0, 0, 0, i % 12 == 1 ? 10 : 2, 1, 0, 0});
      s.X2 = 1;
      s.SolidColor = i;
    }
  }
  for (int32_t to = 1; to <= d.Order.Count(); ++to) {
    TAttrs written;
    const std::string flags = StateAfter(d, to, to, written);
    for (int32_t from = 0; from < to; ++from) {
      TAttrs primed;
      EXPECT_EQ(StateAfter(d, from, to, primed), flags) << from << " to " << to;
      EXPECT_EQ(AttrsDifference(primed, written), "") << from << " to " << to;
    }
  }
}

TEST(EmitSplit, LargeDrawingsAreWrittenInManySegments) {
  const TPathPolicy p;
  EXPECT_EQ(SegmentSizeFor(p.SplitEmissionFrom - 1, p), -1);
  const int32_t segment = SegmentSizeFor(1000000, p);
  EXPECT_GT(segment, 0);
  EXPECT_LT(segment, 1000000 / 8);
  TDrawing d;
  AddPolylines(d, 5 * SegmentSizeFor(p.SplitEmissionFrom, p) + 7);
  const TEmitted one = Emit(d, -1);
  EXPECT_EQ(Difference(Emit(d, SegmentSizeFor(d.Order.Count(), p)), one), "");
  EXPECT_EQ(Difference(Emit(d, SegmentSizeFor(d.Order.Count(), p), TEmitOverrides(), 0, true), one), "");
}

// The queue joins segments in order whatever order they finish in, lets a
// writer run only so far ahead of the join, and wakes a waiting writer when
// cancelled.
TEST(EmitSplit, SegmentQueueJoinsInOrderAndBoundsTheLead) {
  TSegmentQueue queue;
  TOutBuffer joined;
  const auto put = [&](int32_t k) {
    TOutBuffer out;
    out.AddLine(std::to_string(k));
    queue.Put(k, out);
    EXPECT_EQ(out.Count(), 0);
  };
  for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(queue.Take(), k);
  put(3);
  put(1);
  EXPECT_FALSE(queue.JoinNext(joined, false));  // segment 0 is not finished
  put(0);
  EXPECT_TRUE(queue.JoinNext(joined, false));
  EXPECT_TRUE(queue.JoinNext(joined, false));
  joined.AddLine("2");  // written straight into the output
  queue.SkipJoined(2);
  EXPECT_TRUE(queue.JoinNext(joined, false));
  EXPECT_FALSE(queue.JoinNext(joined, false));
  EXPECT_EQ(joined.Bytes(), "0\r\n1\r\n2\r\n3\r\n");
  EXPECT_EQ(joined.Count(), 4);

  bool room = false;
  std::thread ahead([&] { room = queue.WaitForRoom(4 + kSegmentsAhead); });
  put(4);
  EXPECT_TRUE(queue.JoinNext(joined, true));
  ahead.join();
  EXPECT_TRUE(room);
  std::thread tooFar([&] { room = queue.WaitForRoom(6 + kSegmentsAhead); });
  queue.Cancel();
  tooFar.join();
  EXPECT_FALSE(room);
  EXPECT_FALSE(queue.JoinNext(joined, true));
}

}  // namespace
}  // namespace cadxform
