// Hostile large inputs: bytes that fall exactly where the two-thread reader
// hands a read to the splitting thread, and shapes no host writes (huge
// lines, thousands of tokens, millions of empty lines). The real executable,
// which reads files from one read on on two threads, must rewrite each file
// exactly as the run sequence does with every step on one thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/run.h"
#include "e2e/run_process.h"
#include "parallel/path_policy.h"
#include "test_args.h"

namespace {

using cadxform::e2e::Printable;
using cadxform::e2e::TToolSandbox;

// The reader's first read, after which a file is read on two threads.
const size_t kRead = cadxform::TPathPolicy().ReadChunk;

const std::string kHeader = "hp1 10 20\r\nhp2 30 20\r\nlg1\r\nly2\r\nlc3\r\n";

// Lines of `count` entities of several kinds.
std::string Entities(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    s += n + ".25 " + n + " " + n + ".5 7\r\n";
    s += "ci " + n + " 1 2.5\r\n";
    s += "ch " + n + " 2 1 0 \"\x82\xa0 text " + n + "\r\n";  // hiragana a
  }
  return s;
}

std::string Drawing(int entities) { return kHeader + Entities(entities); }

// A drawing of exactly `size` bytes: entity lines, then a line of x (no
// known form) that fills the rest.
std::string DrawingOf(size_t size) {
  std::string s = kHeader;
  while (s.size() + 200 < size) s += Entities(50);
  s.resize(std::min(s.size(), size - 100));
  s.resize(s.rfind('\n') + 1);
  return s + std::string(size - s.size() - 2, 'x') + "\r\n";
}

// `tail` placed so that its first byte is the last byte of the first read,
// inside a line begun before it; more entity lines follow.
std::string AtReadEnd(std::string_view tail) {
  return DrawingOf(kRead - 8) + std::string(7, 'y') + std::string(tail) + Entities(2000);
}

struct THostileCase {
  const char* Name;
  std::string (*Bytes)();
  int LastOfRead = -1;  // the byte the case puts last in the first read
};

const THostileCase kCases[] = {
    // Ctrl+Z first in its line as the last byte of a read: the file ends.
    {"ctrl_z_at_read_end", [] { return DrawingOf(kRead - 1) + "\x1A" + Entities(100); }, 0x1A},
    {"lone_cr_at_read_end", [] { return AtReadEnd("\r0 0 1 1\r\n"); }, '\r'},
    {"cr_lf_across_reads", [] { return AtReadEnd("\r\n0 0 1 1\r\n"); }, '\r'},
    {"nul_at_read_end", [] { return AtReadEnd(std::string("\0 1 2 3\r\n", 9)); }, 0},
    // A code page 932 lead byte last in the read, its trail byte 0x5C (a
    // backslash on its own) first in the next; then one that ends its line.
    {"lead_byte_trail_5c_across_reads", [] { return DrawingOf(kRead - 13) + "ch 0 0 1 0 \"\x83\x5Cz\r\n" + Entities(50); }, 0x83},
    {"lead_byte_before_line_end", [] { return DrawingOf(kRead - 13) + "ch 0 0 1 0 \"\x82\r\n" + Entities(50); }, 0x82},
    {"line_of_100_kb", [] { return Drawing(30000) + "ci 1 2 " + std::string(100000, '7') + "\r\n" + Entities(10); }},
    {"line_of_10000_tokens", [] {
       std::string line = "0";
       for (int i = 1; i < 10000; ++i) line += " " + std::to_string(i);
       return Drawing(30000) + line + "\r\n" + Entities(10);
     }},
    {"no_final_line_end", [] { return Drawing(40000) + "ci 5 6 7"; }},
    {"twenty_mb_of_blanks", [] {
       std::string s = kHeader;
       while (s.size() < (size_t{20} << 20)) s += std::string(250, ' ') + "\t \r\n";
       return s;
     }},
    {"five_million_empty_lines", [] {
       std::string s = Drawing(5);
       for (int i = 0; i < 5000000; ++i) s += "\r\n";
       return s + Entities(5);
     }},
};

// The file a run of the whole sequence leaves with every step on one
// thread, and its exit status.
std::pair<int, std::string> OneThreadResult(const std::string& bytes, const std::vector<std::string>& args) {
  TToolSandbox ref(TestArgs.at(0), "hostile_reference");
  ref.PutExchange(bytes);
  std::FILE* errors = std::tmpfile();
  const int status = cadxform::RunTool(args, ref.ToolDir(), errors != nullptr ? errors : stderr, {},
                                       cadxform::TPathPolicy::OneThread());
  if (errors != nullptr) std::fclose(errors);
  return {status, ref.GetExchange().value_or("<no file>")};
}

TEST(HostileLarge, ToolRewritesAsOneThreadDoes) {
  const std::vector<std::vector<std::string>> argSets = {{"1", "1", "5", "7"}, {"0", "3", "0", "0", "0", "40"}};
  for (const THostileCase& c : kCases) {
    const std::string bytes = c.Bytes();
    ASSERT_GT(bytes.size(), kRead) << c.Name;
    if (c.LastOfRead >= 0) {
      ASSERT_EQ(static_cast<uint8_t>(bytes[kRead - 1]), c.LastOfRead) << c.Name;
    }
    for (const auto& args : argSets) {
      SCOPED_TRACE(std::string(c.Name) + " with operation " + args[1]);
      const auto [status, expected] = OneThreadResult(bytes, args);
      ASSERT_EQ(status, 0);
      ASSERT_EQ(expected.substr(0, 4), "hd\r\n");
      TToolSandbox box(TestArgs.at(0), "hostile");
      box.PutExchange(bytes);
      const auto r = box.Run(args);
      EXPECT_EQ(r.ExitCode, status) << r.Stderr;
      const std::string got = box.GetExchange().value_or("<no file>");
      EXPECT_EQ(got.size(), expected.size());
      EXPECT_TRUE(got == expected) << Printable(got, 300) << "\n--- expected\n" << Printable(expected, 300);
    }
  }
}

}  // namespace
