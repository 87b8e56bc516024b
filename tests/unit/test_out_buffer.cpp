#include "format/out_buffer.h"

#include "parallel/chunk_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>


namespace {

using namespace cadxform;

using cadxform::TOutBuffer;

// One appended entry: a plain line or a text header.
struct Entry {
  bool header;
  std::string text;
};

std::string BytesOf(const std::vector<Entry>& entries) {
  TOutBuffer buf;
  for (const auto& e : entries) e.header ? buf.AddHeader(e.text) : buf.AddLine(e.text);
  EXPECT_EQ(buf.Count(), static_cast<int32_t>(entries.size()));
  EXPECT_EQ(buf.Size(), buf.Bytes().size());
  return buf.Bytes();
}

TEST(OutBuffer, EntriesToFileBytes) {
  const std::string s300(300, 'y');
  const struct {
    const char* name;
    std::vector<Entry> entries;
    std::string want;
  } cases[] = {
      {"nothing", {}, ""},
      {"plain lines", {{false, "hd"}, {false, "lg0"}}, "hd\r\nlg0\r\n"},
      {"header joins the next entry",
       {{false, "hd"}, {true, "ch 10 20 1 0 \""}, {false, "A"}, {false, "lc1"}},
       "hd\r\nch 10 20 1 0 \"A\r\nlc1\r\n"},
      {"header last has no line end", {{true, "ch \""}}, "ch \""},
      {"partner ending in a quote is not a header",
       {{true, "ch \""}, {false, "x\""}, {false, "y"}},
       "ch \"x\"\r\ny\r\n"},
      {"a header's partner ends the line even if a header",
       {{true, "ch \""}, {true, "cs \""}, {false, "z"}},
       "ch \"cs \"\r\nz\r\n"},
      {"plain line ending in a quote keeps its own line",
       {{false, "cn\"$Q\""}, {false, "lc1"}},
       "cn\"$Q\"\r\nlc1\r\n"},
      {"plain line cut to 255", {{false, s300}}, std::string(255, 'y') + "\r\n"},
      {"plain line cut to 255 after another", {{false, "hd"}, {false, s300}},
       "hd\r\n" + std::string(255, 'y') + "\r\n"},
      {"header cut to 255, text whole",
       {{true, s300}, {false, "T"}},
       std::string(255, 'y') + "T\r\n"},
      {"empty entries", {{false, ""}, {true, ""}, {false, ""}}, "\r\n\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(BytesOf(c.entries), c.want) << c.name;
}

// A header and its text written in place together give the bytes and
// count of AddHeader and AddLine, whatever their lengths, at the start of
// the buffer (built aside), after a line and after a header.
TEST(OutBuffer, HeaderWithLineInPlaceEqualsHeaderThenLine) {
  for (const char* before : {"", "line", "header"}) {
    for (size_t headerSize : {0, 10, 255, 300}) {
      for (size_t textSize : {0, 1, 60, 255, 300}) {
        const std::string header(headerSize, 'h');
        const std::string text(textSize, 't');
        TOutBuffer apart;
        TOutBuffer together;
        for (TOutBuffer* b : {&apart, &together}) {
          if (before == std::string("line")) b->AddLine("hd");
          if (before == std::string("header")) b->AddHeader("cs \"");
        }
        apart.AddHeader(header);
        apart.AddLine(text);
        char* begin = together.BeginLine();
        std::memcpy(begin, header.data(), std::min(headerSize, kLineRoom));
        together.EndHeaderWithLine(begin, begin + std::min(headerSize, kLineRoom), text);
        const std::string name = std::string(before) + " " + std::to_string(headerSize) + " " +
                                 std::to_string(textSize);
        EXPECT_EQ(together.Bytes(), apart.Bytes()) << name;
        EXPECT_EQ(together.Count(), apart.Count()) << name;
      }
    }
  }
}

TEST(OutBuffer, ClearForgetsPendingHeader) {
  TOutBuffer buf;
  buf.AddLine("hd");
  buf.AddHeader("ch \"");
  buf.Clear();
  EXPECT_EQ(buf.Count(), 0);
  EXPECT_EQ(buf.Size(), 0u);
  buf.AddLine("a");
  EXPECT_EQ(buf.Bytes(), "a\r\n");
}

// Pieces hold the bytes in order across chunk boundaries; a line may span
// two pieces.
TEST(OutBuffer, LargeBufferPiecesConcatenate) {
  TOutBuffer buf;
  std::string want;
  for (int i = 0; i < 20000; ++i) {
    const std::string line = std::to_string(i) + std::string(100 + i % 150, 'a' + i % 26);
    buf.AddLine(line);
    want += line + "\r\n";
  }
  EXPECT_EQ(buf.Count(), 20000);
  EXPECT_EQ(buf.Size(), want.size());
  std::string pieces;
  int count = 0;
  buf.ForEachPiece([&](const char* p, size_t n) {
    pieces.append(p, n);
    ++count;
  });
  EXPECT_GT(count, 1);
  EXPECT_EQ(pieces, want);
  EXPECT_EQ(buf.Bytes(), want);
}

TEST(OutBuffer, LineHelpers) {
  TOutBuffer out;
  AddOutLine(out, "hd");
  AddMessageLine(out, "\x93\x5F\x82\xAA\x8F\x64\x82\xC8\x82\xE8\x82\xDC\x82\xB7");  // 点が重なります
  AddTextHeader(out, "ch 0 0 1 0 \"");
  AddOutLine(out, "T");
  EXPECT_EQ(OutLineCount(out), 4);
  EXPECT_EQ(out.Bytes(),
            "hd\r\nh#\x93\x5F\x82\xAA\x8F\x64\x82\xC8\x82\xE8\x82\xDC\x82\xB7\r\n"
            "ch 0 0 1 0 \"T\r\n");
  ClearOutLines(out);
  EXPECT_EQ(OutLineCount(out), 0);
  EXPECT_EQ(out.Size(), 0u);
}

}  // namespace

namespace {

// Keeps what a buffer hands it.
class TStringSink : public cadxform::TOutSink {
 public:
  void Take(const char* data, size_t size) override { Bytes.append(data, size); }
  void Discard() override { Bytes.clear(); }
  std::string Bytes;
};

// Appends `lines` lines of varying length starting at number `from`.
std::string AddNumberedLines(cadxform::TOutBuffer& buf, int from, int lines) {
  std::string want;
  for (int i = from; i < from + lines; ++i) {
    const std::string line = std::to_string(i) + std::string(100 + i % 150, 'a' + i % 26);
    buf.AddLine(line);
    want += line + "\r\n";
  }
  return want;
}

// A second buffer joined to the first by taking over its chunks: small and
// large, with and without a sink, in memory or partly spilled already; the
// joined buffer goes on taking lines, and with a sink holds one chunk at
// most.
TEST(OutBuffer, MoveFromJoinsInOrder) {
  for (const bool withSink : {false, true}) {
    for (const int firstLines : {0, 3, 12000}) {
      for (const int secondLines : {0, 5, 12000}) {
        TStringSink sink;
        TOutBuffer first;
        if (withSink) first.SetSink(&sink);
        TOutBuffer second;
        std::string want = AddNumberedLines(first, 0, firstLines);
        want += AddNumberedLines(second, firstLines, secondLines);
        TOutBufferJoin::MoveFrom(first, second);
        const std::string label = std::to_string(withSink) + " " + std::to_string(firstLines) + " " +
                                  std::to_string(secondLines);
        EXPECT_EQ(first.Count(), firstLines + secondLines) << label;
        EXPECT_EQ(second.Count(), 0) << label;
        EXPECT_EQ(second.Size(), 0u) << label;
        if (withSink) {
          EXPECT_LE(first.Size(), TOutBuffer::kChunk) << label;
        }
        // More lines go on after the joined ones.
        want += AddNumberedLines(first, 1, 2);
        EXPECT_EQ(first.Size(), first.Bytes().size()) << label;
        EXPECT_EQ(sink.Bytes + first.Bytes(), want) << label;
      }
    }
  }
}

// Many segments joined one after the other, each ending in a partly filled
// chunk, as the writers of a large drawing join theirs; the emptied
// buffers are filled again with chunks that went to the sink, taken from
// the shared pool.
TEST(OutBuffer, JoinedSegmentsReuseChunksThroughThePool) {
  TChunkPool pool(4);
  TStringSink sink;
  TOutBuffer joined;
  joined.SetSink(&sink);
  TOutBufferJoin::SetChunkPool(joined, &pool);
  TOutBuffer segment;
  TOutBufferJoin::SetChunkPool(segment, &pool);
  std::string want = AddNumberedLines(joined, 0, 10);
  int from = 10;
  for (const int lines : {9000, 1, 15000, 0, 6000, 22000}) {
    want += AddNumberedLines(segment, from, lines);
    from += lines;
    TOutBufferJoin::MoveFrom(joined, segment);
    EXPECT_LE(joined.Size(), TOutBuffer::kChunk) << lines;
    EXPECT_LE(pool.Spare(), 4u) << lines;
  }
  EXPECT_GT(pool.Spare(), 0u);
  const size_t spare = pool.Spare();
  want += AddNumberedLines(segment, from, 100);
  EXPECT_EQ(pool.Spare(), spare - 1);  // the segment's new chunk came from the pool
  TOutBufferJoin::MoveFrom(joined, segment);
  EXPECT_EQ(joined.Count(), from + 100);
  EXPECT_EQ(sink.Bytes + joined.Bytes(), want);
  joined.Clear();
  EXPECT_EQ(sink.Bytes, "");
  EXPECT_EQ(joined.Size(), 0u);
  EXPECT_LE(pool.Spare(), 4u);
}

}  // namespace
