// Odd exchange files: stray bytes, lines of megabytes, too many tokens,
// every keyword with every token count. The tool must end quietly (exit
// status 0, nothing printed) with a well-formed output:
//   - it starts with the line "hd";
//   - every line ends in CR LF, and no other CR or LF is in the file;
//   - no line is longer than 255 bytes, except a text line, which is a
//     header of at most 255 bytes (up to its double quote) joined with a
//     text of at most 255 bytes;
// and the tool must read its own output back to the same entity lines.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/run_process.h"
#include "test_args.h"

namespace {

const std::vector<std::string> kMoveArgs = {"1", "1", "0", "0"};

// The longest line of the output, and of a text's header or text.
constexpr size_t kLineMax = 255;

// Keywords of the text lines, each followed by its blank.
constexpr std::string_view kTextKeywords[] = {"ch ", "cv ", "cs ", "cr ", "co ",
                                              "cp ", "ct ", "ck ", "cz ", "c2 "};

bool IsTextLine(std::string_view line) {
  for (const auto k : kTextKeywords)
    if (line.substr(0, k.size()) == k) return true;
  return false;
}

// "" for a well-formed output (see the top of the file), else the first
// fault found.
std::string WellFormedFault(std::string_view out) {
  if (out.substr(0, 4) != "hd\r\n") return "the output does not start with the line hd";
  size_t pos = 0;
  for (int n = 1; pos < out.size(); ++n) {
    const std::string where = "line " + std::to_string(n);
    const size_t lf = out.find('\n', pos);
    if (lf == std::string_view::npos) return where + " has no line end";
    std::string_view line = out.substr(pos, lf - pos);
    pos = lf + 1;
    if (line.empty() || line.back() != '\r') return where + " ends in LF without CR";
    line.remove_suffix(1);
    if (line.find('\r') != std::string_view::npos) return where + " holds a CR";
    const size_t quote = IsTextLine(line) ? line.find('"') : std::string_view::npos;
    const bool fits = quote == std::string_view::npos
                          ? line.size() <= kLineMax
                          : quote + 1 <= kLineMax && line.size() - quote - 1 <= kLineMax;
    if (!fits) return where + " is too long: " + std::to_string(line.size()) + " bytes";
  }
  return "";
}

// The lines of an output other than attribute lines: "hd", "bz", the
// entity lines and the "pl", "#" and "msg" markers. Attribute lines are
// left out because the first-seen attributes of an output may differ from
// those of the input it came from (so the closing "lg" and "ly" lines may).
std::vector<std::string> EntityLines(std::string_view out) {
  static constexpr std::string_view kAttr[] = {"lg", "ly", "lc", "lt", "lw", "cn", "cc", "pn"};
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < out.size()) {
    size_t end = out.find("\r\n", pos);
    if (end == std::string_view::npos) end = out.size();
    const std::string_view line = out.substr(pos, end - pos);
    pos = end + 2;
    bool attr = line.size() == 2 && line[0] == 'z' && line[1] >= '1' && line[1] <= '5';
    for (const auto a : kAttr) attr = attr || line.substr(0, 2) == a;
    if (!attr) lines.emplace_back(line);
  }
  return lines;
}

// "" when the two lists of lines are equal, else where they first differ.
std::string FirstDifference(const std::vector<std::string>& got, const std::vector<std::string>& want) {
  for (size_t i = 0; i < got.size() || i < want.size(); ++i) {
    const std::string g = i < got.size() ? got[i] : "(nothing)";
    const std::string w = i < want.size() ? want[i] : "(nothing)";
    if (g != w) {
      return "entity line " + std::to_string(i + 1) + ": got " + cadxform::e2e::Printable(g, 100) + ", want " +
             cadxform::e2e::Printable(w, 100) + (i > 0 ? " (after " + cadxform::e2e::Printable(want[i - 1], 100) + ")" : "");
    }
  }
  return "";
}

// One sandbox for a test's runs, each on new bytes.
class TToolRuns {
 public:
  explicit TToolRuns(const std::string& name) : box_(TestArgs.at(0), name) {}

  // Runs the tool on bytes (arguments 1 1 0 0) and returns the rewritten
  // exchange file, after checking that the run was a quiet success.
  std::string Run(std::string_view bytes) {
    box_.PutExchange(bytes);
    const auto r = box_.Run(kMoveArgs);
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Stdout, "");
    EXPECT_EQ(r.Stderr, "");
    EXPECT_TRUE(box_.StrayEntries().empty());
    return box_.GetExchange().value_or("");
  }

  // Checks that out is well-formed and, when readsBack is set, that the
  // tool reads it back to the same entity lines (the translation by (0, 0)
  // changes no coordinate, since the tool never writes an indicated point).
  void CheckOutput(const std::string& out, bool readsBack = true) {
    EXPECT_EQ(WellFormedFault(out), "") << cadxform::e2e::Printable(out);
    if (readsBack) {
      EXPECT_EQ(FirstDifference(EntityLines(Run(out)), EntityLines(out)), "") << "read back";
    }
  }

 private:
  cadxform::e2e::TToolSandbox box_;
};

// One line of every kind the reader knows, with values that the writer
// keeps. Double-byte characters: "\x90\x7d\x96\xca" drawing,
// "\x95\x5c" table (trail byte 0x5C), "\x82\x6c\x82\x72 \x96\xbe\x92\xa9" the
// font name "MS Mincho" in full-width letters, "\x82\xa0" hiragana a.
const std::vector<std::string> kEveryKindOfLine = {
    "file=C:\\My Drawings\\plan 1.dat",
    "hk 1 2",
    "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16",
    "hzs 420 297",
    "hcw 1 2 3 4 5 6 7 8 9 10",
    "hch 1 2 3 4 5 6 7 8 9 10",
    "hcd 1 2 3 4 5 6 7 8 9 10",
    "hcc 1 2 3 4 5 6 7 8 9 10",
    "bz",
    "hn 1 2 3 4",
    "hp1 10 20",
    "hp2ln 30 40",
    "hhp3ci",
    "lg1 5",
    "lgn\x90\x7d\x96\xca",
    "ly2 7",
    "lyn\x95\x5c",
    "lc3",
    "lt2",
    "lw1",
    "cn\"$\x82\x6c\x82\x72 \x96\xbe\x92\xa9",
    "cn0 2 3 1 4",
    "cc1",
    "pn2",
    "z1",
    "z4",
    "0 0 5 5",
    "ci 1 2 3",
    "ci 1 2 3 0 90 1 0",
    "ch 1 2 3 0 \"A B \x82\xa0",
    "cv 1 2 0 3 \"V",
    "pt 3 4",
    "pt 1 2 3 4 5",
    "pl",
    "0 0 1 0",
    "1 0 1 1",
    "#",
    "msg",
    "0 0 10 0",
    "cs 5 5 1 0 \"10",
    "#",
    "BL 0 0 name",
    "lc10 255",
    "sl 1 2 3 4",
    "sl 1 2 3 4 5 6",
    "sl 1 2 3 4 5 6 7 8",
    "sc 1 1 2 1 0.5 0 3 100",
    "se 1 1 2 0.5 0 0 3 0",
    "so 1 1 4 1 0 0 6 2",
    "sg 1 1 4 1 0 0 6 2",
    "cn3",
    "co 1 2 3 4 \"O",
};

// Joins lines, each with the given line end and changed by edit.
template <class F>
std::string Lines(const std::vector<std::string>& lines, std::string_view end, F edit) {
  std::string s;
  for (size_t i = 0; i < lines.size(); ++i) s += edit(lines[i], i) + std::string(end);
  return s;
}
std::string Lines(const std::vector<std::string>& lines) {
  return Lines(lines, "\r\n", [](const std::string& l, size_t) { return l; });
}

// Every byte that the reader drops wherever it stands (control bytes but
// the tab, LF and Ctrl+Z, which have their own meanings, and 0xFE, 0xFF),
// NUL and CR included.
std::string DroppedBytes() {
  std::string s;
  for (int b = 0; b < 0x20; ++b)
    if (b != '\t' && b != '\n' && b != 0x1A) s += static_cast<char>(b);
  return s + "\xFE\xFF";
}

// "1 2 ... count" with blanks between.
std::string Numbers(int count) {
  std::string s;
  for (int i = 1; i <= count; ++i) s += (i > 1 ? " " : "") + std::to_string(i);
  return s;
}

constexpr size_t kMegabytes = 3u << 20;

struct TEquivalentCase {
  const char* Name;
  std::string Input;
  // An input the tool must treat exactly alike; nullopt when only the
  // general checks apply.
  std::optional<std::string> SameAs;
  bool ReadsBack = true;
};

std::vector<TEquivalentCase> EquivalentCases() {
  const std::string every = Lines(kEveryKindOfLine);
  const std::string leads = "\x80\x9F\xE0\xFD";
  std::string lfOnly = Lines(kEveryKindOfLine, "\n", [](const std::string& l, size_t) { return l; });
  lfOnly.pop_back();
  return {
      {"a lone lead byte at the end of every kind of line",
       Lines(kEveryKindOfLine, "\r\n", [&](const std::string& l, size_t i) { return l + leads[i % 4]; }),
       every},
      {"dropped bytes (NUL, CR, other control bytes, 0xFE, 0xFF) inside every line",
       Lines(kEveryKindOfLine, "\r\n",
             [](const std::string& l, size_t) {
               return l.substr(0, 1) + DroppedBytes() + l.substr(1) + DroppedBytes();
             }),
       every},
      {"LF line ends and no line end after the last line", lfOnly, every},
      {"numbers of megabytes of digits",
       "ci 1 2 " + std::string(kMegabytes, '0') + "3\r\nci 4 5 6." + std::string(kMegabytes, '0') + "\r\n",
       "ci 1 2 3\r\nci 4 5 6\r\n"},
      {"a text of megabytes is cut to 255 bytes", "ch 1 2 3 0 \"" + std::string(kMegabytes, 'A') + "\r\n",
       "ch 1 2 3 0 \"" + std::string(kLineMax, 'A') + "\r\n"},
      {"a font name of megabytes is cut like one of 255 bytes",
       "cn\"$" + std::string(kMegabytes, 'F') + "\r\nch 1 2 3 0 \"T\r\n",
       "cn\"$" + std::string(kLineMax, 'F') + "\r\nch 1 2 3 0 \"T\r\n"},
      {"a block name and header lines of megabytes",
       "file=" + std::string(kMegabytes, 'P') + "\r\nlgn" + std::string(kMegabytes, 'G') + "\r\nBL 0 0 " +
           std::string(kMegabytes, 'B') + "\r\nci 1 2 3\r\n",
       "file=P\r\nlgnG\r\nBL 0 0 B\r\nci 1 2 3\r\n"},
      {"more than 32 tokens: the forms read their first tokens",
       "ch " + Numbers(40) + "\r\nsl " + Numbers(40) + "\r\nci " + Numbers(100000) + "\r\nhs " + Numbers(40) +
           "\r\n",
       "ch 1 2 3 4 5\r\nsl 1 2 3 4 5 6 7 8\r\nci 1 2 3 4 5 6 7\r\n"},
      {"more than 32 numbers are no four-number line",
       Numbers(40) + "\r\n" + Numbers(4) + " " + Numbers(29) + "\r\n", ""},
      // A number too large for a double: only the general checks.
      {"a number of megabytes of digits beyond the double range",
       "ci 1 2 1" + std::string(kMegabytes, '0') + "\r\n", std::nullopt},
      // The cut at 255 bytes may split a double-byte character, whose lone
      // lead byte the reader then drops: the text does not read back alike.
      {"a double-byte text of megabytes",
       "ch 1 2 3 0 \"" +
           [] {
             std::string s;
             for (size_t i = 0; i < kMegabytes / 2; ++i) s += "\x82\xa0";
             return s;
           }() +
           "\r\n",
       std::nullopt, false},
  };
}

}  // namespace

// No mended fault behind these: they guard the reader's and writer's limits
// (255-byte cuts, 32 tokens, dropped bytes) end to end.
TEST(InputRobustness, OddInputsGiveTheOutputOfTheirPlainForm) {
  TToolRuns runs("odd_inputs");
  for (const auto& c : EquivalentCases()) {
    SCOPED_TRACE(c.Name);
    const std::string out = runs.Run(c.Input);
    runs.CheckOutput(out, c.ReadsBack);
    if (c.SameAs) {
      const std::string want = runs.Run(*c.SameAs);
      EXPECT_TRUE(out == want) << "--- expected:\n"
                               << cadxform::e2e::Printable(want) << "\n--- got:\n"
                               << cadxform::e2e::Printable(out);
    }
  }
}

namespace {

// The entity line that a keyword line gives for token counts From to To.
struct TForm {
  int From, To;
  std::string Line;
};

struct TKeywordRow {
  std::string Keyword;
  std::vector<TForm> Forms;  // no entity line for the counts not listed
  std::vector<std::string> Values;
};

constexpr int kMaxCount = 20;

// Values 1 to 19 for tokens 1 to 19, with token 8 replaced when given.
std::vector<std::string> Values(const char* token8 = "8") {
  std::vector<std::string> v;
  for (int i = 1; i < kMaxCount; ++i) v.push_back(i == 8 ? token8 : std::to_string(i));
  return v;
}

// Every keyword of the reader, in the order of its table, with the entity
// lines its forms give. A keyword line that fits none of its forms and has
// exactly four tokens is a segment whose first number, the keyword, reads
// as 0.
std::vector<TKeywordRow> KeywordRows() {
  const TForm seg = {4, 4, "0 1 2 3"};
  const auto none = [](const char* k) { return TKeywordRow{k, {}, Values()}; };
  // Header lines with a segment where they are too short for their form.
  const auto header = [&](const char* k) { return TKeywordRow{k, {seg}, Values()}; };
  const auto text = [&](const char* k) {
    return TKeywordRow{k, {seg, {6, kMaxCount, std::string(k) + " 1 2 3 4 \"5"}}, Values()};
  };
  // Solid arcs need a code of their set, rings an inner radius below the
  // outer one: token 8 is chosen so.
  const auto solid = [&](const char* k, const char* token8) {
    return TKeywordRow{k, {seg, {9, kMaxCount, std::string(k) + " 1 2 3 4 5 6 7 " + token8}}, Values(token8)};
  };
  return {
      none("file="),
      none("hk"),
      header("hs"),
      none("hzs"),
      header("hcw"),
      header("hch"),
      header("hcd"),
      header("hcc"),
      none("bz"),
      header("hn"),
      none("lgn"),
      none("lyn"),
      none("lg"),
      none("ly"),
      none("lc"),
      none("lt"),
      none("lw"),
      none("cn$"),
      none("cn"),
      none("cc"),
      none("z1"),
      none("z2"),
      none("z3"),
      none("z4"),
      none("z5"),
      none("pn"),
      none("pl"),
      none("msg"),
      none("#"),
      none("hp"),
      none("hhp"),
      {"ci", {{4, 4, "ci 1 2 3"}, {8, kMaxCount, "ci 1 2 3 4 5 6 7"}}, Values()},
      text("ch"),
      text("cv"),
      text("cs"),
      text("cr"),
      text("co"),
      text("cp"),
      text("ct"),
      text("ck"),
      text("cz"),
      text("c2"),
      {"pt", {{3, 3, "pt 1 2"}, seg, {6, kMaxCount, "pt 1 2 3 4 5"}}, Values()},
      none("BL"),
      {"sl",
       {seg, {5, 5, "sl 1 2 3 4"}, {7, 7, "sl 1 2 3 4 5 6"}, {9, kMaxCount, "sl 1 2 3 4 5 6 7 8"}},
       Values()},
      solid("sc", "100"),
      solid("se", "100"),
      solid("so", "0.5"),
      solid("sg", "0.5"),
  };
}

}  // namespace

// Each keyword with 1 to 20 tokens. A circle after each line marks the
// place of the line's own entity line (and leaves any block the line
// opened).
TEST(InputRobustness, EveryKeywordWithEveryTokenCount) {
  std::string input;
  std::vector<std::string> want = {"hd", "bz"};
  int serial = 0;
  for (const auto& row : KeywordRows()) {
    for (int n = 1; n <= kMaxCount; ++n) {
      input += row.Keyword;
      for (int t = 1; t < n; ++t) input += " " + row.Values[static_cast<size_t>(t - 1)];
      for (const auto& f : row.Forms)
        if (n >= f.From && n <= f.To) want.push_back(f.Line);
      const std::string marker = "ci 0 0 " + std::to_string(++serial);
      input += "\r\n" + marker + "\r\n";
      want.push_back(marker);
    }
  }
  TToolRuns runs("keywords");
  const std::string out = runs.Run(input);
  runs.CheckOutput(out);
  EXPECT_EQ(FirstDifference(EntityLines(out), want), "");
}
