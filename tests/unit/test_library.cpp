// The library's steps of a run: two drawings held and written side by side
// give the bytes each gives alone, a run keeps the drawing safe when the
// file system fails under it, and the version query tells the project
// version.
#include <gtest/gtest.h>

#include <cadxform/cadxform.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/run.h"
#include "failing_calls.h"
#include "files/file_writer.h"
#include "files/overwrite_message.h"
#include "files/reader.h"
#include "format/out_buffer.h"
#include "format/write_state.h"
#include "parallel/emit.h"
#include "parallel/path_policy.h"
#include "platform/file_system.h"
#include "run/run_sequence.h"

namespace {

namespace fs = std::filesystem;
using namespace cadxform;

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("library_test_" + std::to_string(platform::CurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A copy of the example drawing (or of `bytes`) at dir/name.
  fs::path Input(const std::string& name, const std::string& bytes = std::string()) {
    const fs::path p = dir_ / name;
    if (bytes.empty()) {
      fs::copy_file(fs::path(EXAMPLES_DIR) / "drawing.txt", p);
    } else {
      std::ofstream(p, std::ios::binary) << bytes;
    }
    return p;
  }

  fs::path dir_;
};

// Reads, emits with overrides and writes one file on its own.
void RewriteAlone(const fs::path& path, const TEmitOverrides& o) {
  TDrawing d;
  ASSERT_TRUE(ReadExchangeFile(path, d));
  TWriteState w;
  ResetAttrState(w, d);
  ASSERT_TRUE(BeginExchangeFile(w, path));
  AddOutLine(w.Out, "hd");
  EmitAll(d, w, o);
  ASSERT_TRUE(WriteExchangeFile(w, path));
}

TEST_F(Library, TwoDrawingsSideBySideWriteWhatEachWritesAlone) {
  const std::string small = "lg3\r\nly1\r\nlc2\r\n0 0 5 5\r\ncn0 1 2 0 4\r\nch 1 1 1 0 \"\x83\x65\x83\x58\x83\x67\r\n";  // テスト
  TEmitOverrides recolor;
  recolor.ColorOverride = 6;
  const fs::path a1 = Input("a1.txt"), a2 = Input("a2.txt");
  const fs::path b1 = Input("b1.txt", small), b2 = Input("b2.txt", small);
  RewriteAlone(a1, recolor);
  RewriteAlone(b1, TEmitOverrides());

  // Both drawings read before either is written; the second one written first.
  TDrawing da, db;
  ASSERT_TRUE(ReadExchangeFile(a2, da));
  ASSERT_TRUE(ReadExchangeFile(b2, db));
  TWriteState wa, wb;
  ResetAttrState(wa, da);
  ResetAttrState(wb, db);
  ASSERT_TRUE(BeginExchangeFile(wa, a2));
  ASSERT_TRUE(BeginExchangeFile(wb, b2));
  AddOutLine(wb.Out, "hd");
  AddOutLine(wa.Out, "hd");
  EmitAll(db, wb);
  EmitAll(da, wa, recolor);
  ASSERT_TRUE(WriteExchangeFile(wb, b2));
  ASSERT_TRUE(WriteExchangeFile(wa, a2));

  EXPECT_EQ(ReadBytes(a2), ReadBytes(a1));
  EXPECT_EQ(ReadBytes(b2), ReadBytes(b1));
  EXPECT_NE(ReadBytes(a1).find("lc6\r\n"), std::string::npos);
  // The text keeps the default font "<ＭＳ ゴシック>"; group 3 and layer 1
  // are in force at the end, so no closing lines.
  EXPECT_EQ(ReadBytes(b1), "hd\r\nlg3\r\nly1\r\nlc2\r\nlt1\r\nlw0\r\n0 0 5 5\r\ncn0 1 2 0 4\r\ncc0\r\n"
                           "cn\"$<\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E>\r\n"
                           "ch 1 1 1 0 \"\x83\x65\x83\x58\x83\x67\r\n");
}

// A transform that multiplies lengths and reports them to the finite check.
struct TEnlarge {
  double F;
  void Point(double&, double&) const {}
  void Length(double& v) const { v *= F; }
};

// A rule that sets the text of every text record through the pass's
// operations, or past them straight into the drawing's pool.
struct TRetext {
  std::string Text;
  TDrawing* Direct = nullptr;
  void Point(double&, double&) const {}
  void Record(TTextEnt& t, const TRecordOps<TRetext>& ops) const {
    if (Direct != nullptr) {
      t.Text = Direct->TextPool.AddShort(Text);
    } else {
      ops.SetText(t.Text, Text);
    }
  }
};

// A rule that does to the drawing, while the pass runs, what no rule may.
struct TMeddle {
  TDrawing* D;
  int What;
  void Point(double&, double&) const {}
  void Record(TCircleEnt& c, const TRecordOps<TMeddle>& ops) const {
    if (What == 0) D->Circles.Clear();
    if (What == 1) D->Heads.Clear();
    if (What == 2) (void)TransformDrawing(*D, TEnlarge{2}, TSelection::Of(*D, true));
    if (What == 3) {
      TCircleEnt copy = c;
      ops.SetHead(copy, TEntHead{});
    }
    if (What == 4) ops.Refuse("\x82\xa0");
    if (What == 5) {
      TEntHead h = ops.HeadOf(c);
      h.Color = 5;
      ops.SetHead(c, h);
    }
  }
};

// A rule that throws on whichever thread visits a circle.
struct TThrowInRule {
  void Point(double&, double&) const {}
  void Record(TCircleEnt&, const TRecordOps<TThrowInRule>&) const { throw 42; }
};

// What a transform does to the drawing decides what the run writes: the
// drawing, or only a message line when a value is not finite (however it
// got into a record). A transform that throws, breaks the rules of the
// pass or leaves what cannot be written fails the run: exit 1, one line
// naming the program, one message line, whichever thread ran its rules.
TEST_F(Library, RunWritesWhatTheTransformLeaves) {
  const std::string input = "ci 0 0 2\r\nch 1 1 1 0 \"ab\r\n";
  const std::string text = "cn1\r\ncc0\r\ncn\"$<\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E>\r\n";
  auto message = [](std::string_view m) { return "h#" + std::string(m) + "\r\n"; };
  const std::string failed = message(kTransformFailedMessage);
  using TApply = std::function<TTransformResult(TRunContext&)>;
  auto drawing = [](void (*change)(TDrawing&)) {
    return TApply([change](TRunContext& run) {
      change(run.Drawing());
      return trDone;
    });
  };
  const struct {
    const char* name;
    TApply apply;
    int status;
    std::string want;
  } cases[] = {
      {"enlarged within range", [](TRunContext& run) { return run.Transform(TEnlarge{2}); }, 0,
       "hd\r\nlg0\r\nly0\r\nlc1\r\nlt1\r\nlw0\r\nci 0 0 4\r\n" + text + "ch 1 1 1 0 \"ab\r\n"},
      {"enlarged beyond the range of doubles", [](TRunContext& run) { return run.Transform(TEnlarge{1e308}); }, 0,
       message(kOutOfRangeMessage)},
      {"infinity put into a record unchecked",
       drawing([](TDrawing& d) { d.Circles[0].R = std::numeric_limits<double>::infinity(); }), 0,
       message(kOutOfRangeMessage)},
      {"a message of its own", [](TRunContext& run) { return run.Message("\x82\xa0"); }, 0, message("\x82\xa0")},
      {"a text set through the ops", [](TRunContext& run) { return run.Transform(TRetext{"\x82\xa0"}); }, 0,
       "hd\r\nlg0\r\nly0\r\nlc1\r\nlt1\r\nlw0\r\nci 0 0 2\r\n" + text + "ch 1 1 1 0 \"\x82\xa0\r\n"},
      {"a new head while the pass runs",
       [](TRunContext& run) {
         struct TIntern {
           TDrawing* D;
           void Point(double&, double&) const {}
           void Record(TCircleEnt& c, const TRecordOps<TIntern>&) const { c.Head = InternHead(*D, TEntHead{}); }
         };
         return run.Transform(TIntern{&run.Drawing()});
       },
       1, failed},
      {"a text added to the pool while the pass runs",
       [](TRunContext& run) { return run.Transform(TRetext{"x", &run.Drawing()}); }, 1, failed},
      {"a text holding CR LF set through the ops",
       [](TRunContext& run) { return run.Transform(TRetext{"A\r\nhd\r\n0 0 1 1"}); }, 1, failed},
      {"a text holding NUL put into a record",
       drawing([](TDrawing& d) { d.Texts[0].Text = d.TextPool.Add(std::string_view("a\0b", 3)); }), 1, failed},
      {"a message holding CR LF", [](TRunContext& run) { return run.Message("bad\r\nhd\r\nci 0 0 5"); }, 1, failed},
      {"a std::exception of the transform",
       [](TRunContext&) {
         (void)std::stoi("abc");  // std::invalid_argument, a std::logic_error
         return trDone;
       }, 1, failed},
      {"an exception of no std type from a rule",
       [](TRunContext& run) { return run.Transform(TThrowInRule{}); }, 1, failed},
      {"a head id beyond the head table", drawing([](TDrawing& d) { d.Circles[0].Head.Id = 0x7fffffff; }), 1,
       failed},
      {"an order entry of no kind", drawing([](TDrawing& d) { d.Order[0].Kind = 77; }), 1, failed},
      {"an order entry of a negative kind", drawing([](TDrawing& d) { d.Order[0].Kind = -1; }), 1, failed},
      {"an order entry of a negative index", drawing([](TDrawing& d) { d.Order[0].Index = -1; }), 1, failed},
      {"an order entry beyond its array", drawing([](TDrawing& d) { d.Order[0].Index = 1 << 30; }), 1, failed},
      {"an order entry added beyond its array", drawing([](TDrawing& d) { detail::AddOrder(d, ekCircle, 1); }), 1,
       failed},
      {"an input order emptied", drawing([](TDrawing& d) { d.Order.Clear(); }), 1, failed},
      {"a record named twice in the input order", drawing([](TDrawing& d) { d.Order[1] = d.Order[0]; }), 1, failed},
      {"a head of layer group 99", drawing([](TDrawing& d) {
         TEntHead h = d.Heads[d.Circles[0].Head];
         h.Group = 99;
         d.Circles[0].Head = InternHead(d, h);
       }),
       1, failed},
      {"a head of layer -1", drawing([](TDrawing& d) {
         TEntHead h = d.Heads[d.Circles[0].Head];
         h.Layer = -1;
         d.Circles[0].Head = InternHead(d, h);
       }),
       1, failed},
      {"a text of no bytes but a length", drawing([](TDrawing& d) { d.Texts[0].Text = TTextRef{nullptr, 5}; }), 1,
       failed},
      {"a text longer than a line holds", drawing([](TDrawing& d) { d.Texts[0].Text = d.TextPool.Add(std::string(300, 'a')); }),
       1, failed},
      {"minus infinity put into a radius", drawing([](TDrawing& d) { d.Circles[0].R = -1.0 / 0.0; }), 0,
       message(kOutOfRangeMessage)},
      {"a result that is none", [](TRunContext&) { return static_cast<TTransformResult>(42); }, 1, failed},
      {"a message longer than a line holds", [](TRunContext& run) { return run.Message(std::string(254, 'a')); }, 1,
       failed},
      {"a head id beyond the table, then a pass over a group",
       [](TRunContext& run) {
         run.Drawing().Circles[0].Head.Id = 0x7fffffff;
         return run.Transform(TEnlarge{2}, TSelection::Of(run.Drawing(), false));
       },
       1, failed},
      {"a record array cleared by a rule", [](TRunContext& run) { return run.Transform(TMeddle{&run.Drawing(), 0}); },
       1, failed},
      {"the head table cleared by a rule", [](TRunContext& run) { return run.Transform(TMeddle{&run.Drawing(), 1}); },
       1, failed},
      {"a pass begun by a rule", [](TRunContext& run) { return run.Transform(TMeddle{&run.Drawing(), 2}); }, 1, failed},
      {"a head set on a copy of the record",
       [](TRunContext& run) { return run.Transform(TMeddle{&run.Drawing(), 3}); }, 1, failed},
      {"a rule that refuses", [](TRunContext& run) { return run.Transform(TMeddle{&run.Drawing(), 4}); }, 0,
       message("\x82\xa0")},
      {"a mirror over a parameter text",
       [](TRunContext& run) {
         TDrawing& d = run.Drawing();
         d.Texts[0].Text = d.TextPool.AddShort("^@BMpart,1,2,3,4,5,6");
         return run.Transform(TMirror(0, 0, 0, 1));
       },
       0, message(kMirrorParamTextMessage)},
      {"a head read and set through the ops",
       [](TRunContext& run) { return run.Transform(TMeddle{&run.Drawing(), 5}); }, 0,
       "hd\r\nlg0\r\nly0\r\nlc5\r\nlt1\r\nlw0\r\nci 0 0 2\r\n" + text + "ch 1 1 1 0 \"ab\r\n"},
  };
  // Every rule on this thread, and every rule on the second one (a cut
  // that leaves each one-record array to it).
  TPathPolicy second;
  second.TwoThreadPassFrom = 1;
  for (const TPathPolicy& policy : {TPathPolicy::OneThread(), second}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      Input("ZPH_TEMP.TXT", input);
      std::FILE* errors = std::tmpfile();
      ASSERT_NE(errors, nullptr);
      EXPECT_EQ(RunSequence({"1"}, dir_, "test", errors, c.apply, {}, policy), c.status);
      std::rewind(errors);
      char said[512] = {};
      const std::string lines(said, std::fread(said, 1, sizeof said - 1, errors));
      std::fclose(errors);
      EXPECT_EQ(ReadBytes(dir_ / "ZPH_TEMP.TXT"), c.want);
      EXPECT_EQ(lines.empty() ? 0 : std::count(lines.begin(), lines.end(), '\n'), c.status) << lines;
      EXPECT_EQ(lines.rfind("test: ", 0), c.status == 0 ? std::string::npos : 0) << lines;
      EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
      fs::remove(dir_ / "ZPH_TEMP.TXT");
    }
  }
}

// The file system failing under the run, as disks, network volumes and
// signals make it fail, in the system calls that write the output and put it
// in place: an interrupted call is made again and a short write goes on, so
// the output is whole; any other failure ends the run with status 1, one
// line naming the program and the path, the write-failed message line in
// the file (never a part of the output) and no temporary file left. A close
// that fails after the flush loses nothing: the output stands.
TEST_F(Library, FailingSystemCallsLeaveTheOutputOrTheMessage) {
  using namespace cadxform::test;
  const std::string input = "hp1 10 20\r\nlg2\r\nly3\r\n0 0 5 5\r\nci 1 2 3\r\n";
  const std::vector<std::string> args = {"1", "1", "110", "220"};
  const fs::path file = dir_ / "ZPH_TEMP.TXT";
  const std::string message = "h#" + std::string(kWriteFailedMessage) + "\r\n";
  Input("ZPH_TEMP.TXT", input);
  ASSERT_EQ(RunSequence(args, dir_, "test", stderr, ApplyCommandLine), 0);
  const std::string output = ReadBytes(file);
  const struct {
    const char* name;
    TFailingCall call;
    std::vector<TFault> faults;
    bool whole;  // the output, exit status 0; else the message, 1
  } cases[] = {
      {"an open interrupted", fcOpen, {fInterrupted}, true},
      {"a read interrupted", fcRead, {fInterrupted}, true},
      {"a write interrupted", fcWrite, {fInterrupted}, true},
      {"every write short", fcWrite, std::vector<TFault>(64, fShort), true},
      {"a short write, then the disk full", fcWrite, {fShort, fDiskFull}, false},
      {"the flush interrupted", fcFlush, {fInterrupted, fInterrupted}, true},
      {"the flush failing", fcFlush, {fIoError}, false},
      {"the rename refused", fcRename, {fIoError}, false},
      {"every close failing", fcClose, std::vector<TFault>(64, fIoError), true},
  };
  for (const auto& c : cases) {
    if (!FaultExists(c.faults)) continue;
    SCOPED_TRACE(c.name);
    Input("ZPH_TEMP.TXT", input);
    std::FILE* errors = std::tmpfile();
    ASSERT_NE(errors, nullptr);
    int status = -1;
    {
      TFailingCalls failing(c.call, c.faults);
      status = RunSequence(args, dir_, "test", errors, ApplyCommandLine);
    }
    std::rewind(errors);
    char said[512] = {};
    const std::string line(said, std::fread(said, 1, sizeof said - 1, errors));
    std::fclose(errors);
    EXPECT_EQ(status, c.whole ? 0 : 1);
    EXPECT_EQ(ReadBytes(file), c.whole ? output : message);
    if (c.whole) {
      EXPECT_EQ(line, "");
    } else {
      EXPECT_EQ(line.rfind("test: cannot write the exchange file ", 0), 0u) << line;
      EXPECT_NE(line.find(dir_.filename().string()), std::string::npos) << line;
      EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  }
}

// The linked library and the headers tell the version set in the build
// files (read here from the source tree, apart from the configure step), and
// the number packs major, minor and patch as documented.
TEST(LibraryVersion, IsTheProjectVersion) {
  const std::string lists = ReadBytes(fs::path(TEST_DATA_DIR) / ".." / ".." / "CMakeLists.txt");
  const std::string key = "project(cadxform VERSION ";
  const size_t at = lists.find(key);
  ASSERT_NE(at, std::string::npos);
  int major = -1, minor = -1, patch = -1;
  ASSERT_EQ(std::sscanf(lists.c_str() + at + key.size(), "%d.%d.%d", &major, &minor, &patch), 3);
  const std::string version = std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
  EXPECT_EQ(LibraryVersionString(), version);
  EXPECT_EQ(CADXFORM_VERSION_STRING, version);
  EXPECT_EQ(LibraryVersionNumber(), major * 10000 + minor * 100 + patch);
  EXPECT_EQ(CADXFORM_VERSION_NUMBER, LibraryVersionNumber());
}

}  // namespace
