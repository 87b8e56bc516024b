// Splitting exchange-file lines into tokens, and the searches on token 0.
#include "format/tokenizer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace cadxform;


std::vector<std::string> TokensOf(const TTokenView& t) {
  std::vector<std::string> out;
  for (int k = 0; k < t.Count() && k < cadxform::kMaxTokens; ++k) out.emplace_back(t.Token(k));
  return out;
}

struct TSplitCase {
  const char* name;
  std::string line;
  std::vector<std::string> tokens;  // the whole token list, Count() = size
};

class SplitTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitTest, GivesTokensAndCount) {
  const TSplitCase& c = GetParam();
  TTokenLine t;
  EXPECT_EQ(t.Split(c.line), static_cast<int>(c.tokens.size()));
  EXPECT_EQ(t.View().Count(), static_cast<int>(c.tokens.size()));
  EXPECT_EQ(TokensOf(t.View()), c.tokens);
  EXPECT_TRUE(t.View().Token(t.View().Count()).empty());
  EXPECT_TRUE(t.View().Token(-1).empty());
}

// Lines are std::string so that they may hold zero and control bytes.
const TSplitCase kSplitCases[] = {
    {"Plain", "ci 1 2 3", {"ci", "1", "2", "3"}},
    {"TrailingBlankOpensEmptyToken", "ci 1 2 3 ", {"ci", "1", "2", "3", ""}},
    {"TrailingTabOpensEmptyToken", "ci 1 2 3\t", {"ci", "1", "2", "3", ""}},
    {"TrailingRunCountsOnce", "ci 1 2 3 \t  ", {"ci", "1", "2", "3", ""}},
    {"LeadingAndRepeatedBlanks", "  ci \t 1\t\t2", {"ci", "1", "2"}},
    {"EmptyLine", "", {""}},
    {"BlanksOnly", "  \t ", {""}},
    {"ControlBytesOnly", std::string("\x01\x02\x1f\x00\x0d", 5), {""}},
    {"QuoteOnly", "\"", {""}},
    {"QuoteKeepsBlanks", "ch 10 20 30 0 \"A B", {"ch", "10", "20", "30", "0", "A B"}},
    {"QuoteAfterBlankKeepsEmptyToken", "ch 1 2 3 4 \"", {"ch", "1", "2", "3", "4", ""}},
    {"AfterQuoteAllLiteralTabsDropped", "x \"A \"B\" =x\t y ", {"x", "A \"B\" =x y "}},
    {"QuoteInsideToken", "cn\"$MS Gothic", {"cn$MS Gothic"}},
    {"EqualsKeptAndEndsSplitting", "file=C:\\a b\\x.txt", {"file=C:\\a b\\x.txt"}},
    {"EqualsAfterTokens", "a b=c d", {"a", "b=c d"}},
    {"ControlBytesDroppedInsideToken", std::string("a\x01" "b\x1f" " c\x7f", 7), {"ab", "c\x7f"}},
    {"HighBytesFEFFDropped", "a\xfe" "b\xff c", {"ab", "c"}},
    {"HalfWidthKatakanaIsSingleByte", "\xb1 \xa0\xdf", {"\xb1", "\xa0\xdf"}},
    {"FEIsNoLeadByte", "\xfe x", {"x"}},
    {"LoneLeadByteAtEndDropped", "ab\x82", {"ab"}},
    {"LoneLeadByteAfterBlank", "ab \x82", {"ab", ""}},
    {"LoneLeadByteOnly", "\x82", {""}},
    {"TrailBlankStaysInToken", "a\x82 b c", {"a\x82 b", "c"}},
    {"TrailQuoteDoesNotEndSplitting", "a\x82\"b c", {"a\x82\"b", "c"}},
    {"TrailEqualsDoesNotEndSplitting", "a\x82=b c", {"a\x82=b", "c"}},
    {"Trail5CKept", "\x95\x5c x", {"\x95\x5c", "x"}},
    {"TrailControlByteKept", std::string("\x82\x01x \xe0\x09y", 7), {"\x82\x01x", "\xe0\x09y"}},
    {"LeadFDTakesBlank", "\xfd x", {"\xfd x"}},
    {"LeadPairTakesQuoteAfterQuote", "a \"\x82\"b\"", {"a", "\x82\"b\""}},
    {"LoneLeadAfterQuoteDropped", "a \"b \x9f", {"a", "b "}},
    {"JapaneseText", "ch 1 2 3 4 \"\x93\xfa\x96\x7b \x8c\xea",
     {"ch", "1", "2", "3", "4", "\x93\xfa\x96\x7b \x8c\xea"}},
};

INSTANTIATE_TEST_SUITE_P(Lines, SplitTest, testing::ValuesIn(kSplitCases),
                         [](const testing::TestParamInfo<TSplitCase>& i) { return std::string(i.param.name); });

std::string NumberedTokens(int count) {
  std::string line;
  for (int i = 0; i < count; ++i) line += (i ? " t" : "t") + std::to_string(i);
  return line;
}

TEST(SplitCount, ThirtyTwoTokensAreAllKept) {
  TTokenLine t;
  EXPECT_EQ(t.Split(NumberedTokens(32)), 32);
  EXPECT_EQ(t.View().Token(31), "t31");
}

TEST(SplitCount, TokensBeyondThirtyTwoAreCountedButDropped) {
  for (const int count : {33, 34, 40, 1000}) {
    TTokenLine t;
    const std::string line = NumberedTokens(count);
    EXPECT_EQ(t.Split(line), count) << count;
    for (int k = 0; k < cadxform::kMaxTokens; ++k) EXPECT_EQ(t.View().Token(k), "t" + std::to_string(k)) << count;
    EXPECT_TRUE(t.View().Token(32).empty());
    // A trailing blank still opens one more (empty) token.
    EXPECT_EQ(t.Split(line + " "), count + 1);
    EXPECT_EQ(t.View().Token(31), "t31");
  }
}

TEST(SplitCount, TrailingBlankAfterThirtyTwoTokensCounts) {
  TTokenLine t;
  EXPECT_EQ(t.Split(NumberedTokens(32) + " "), 33);
  EXPECT_EQ(t.View().Token(31), "t31");
  EXPECT_TRUE(t.View().Token(32).empty());
}

TEST(SplitReuse, ShorterLineAfterLongerLeavesNothingBehind) {
  TTokenLine t;
  t.Split("abcdef ghijkl mnopqr stuvwx");
  t.Split("x y");
  EXPECT_EQ(TokensOf(t.View()), (std::vector<std::string>{"x", "y"}));
  t.Split("");
  EXPECT_TRUE(t.View().Empty());
  EXPECT_TRUE(t.View().Token(0).empty());
  t.Split("z");
  EXPECT_FALSE(t.View().Empty());
}

TEST(SplitReuse, LineOfSeveralMegabytes) {
  TTokenLine t;
  std::string big(5 << 20, 'a');
  big[1000] = ' ';
  EXPECT_EQ(t.Split("\"" + big), 1);
  EXPECT_EQ(t.View().Token(0).size(), big.size());
  EXPECT_EQ(t.Split(big), 2);
  EXPECT_EQ(t.View().Token(0).size(), 1000u);
  EXPECT_EQ(t.View().Token(1).size(), big.size() - 1001);
}

TEST(SplitEmpty, EmptyOnlyWhenNoByteWasKept) {
  TTokenLine t;
  t.Split(" ");
  EXPECT_TRUE(t.View().Empty());
  t.Split("a ");
  EXPECT_FALSE(t.View().Empty());
  t.Split("\x82");
  EXPECT_TRUE(t.View().Empty());
  t.Split("\x82\x40");
  EXPECT_FALSE(t.View().Empty());
}

struct TFindCase {
  std::string text, pat;
  size_t expected;
};

// The splitting rules applied byte by byte, as plainly as they read: the
// reference for lines of every shape, whichever way the splitter takes.
struct TReferenceSplit {
  std::vector<std::string> tokens{""};  // the first kMaxTokens only
  int count = 1;
};

TReferenceSplit ReferenceSplit(std::string_view line) {
  TReferenceSplit r;
  bool splitting = true;
  bool nonEmpty = false;  // the current token has a byte
  auto add = [&](char c) {
    nonEmpty = true;
    if (r.count <= cadxform::kMaxTokens) r.tokens.back() += c;
  };
  for (size_t i = 0; i < line.size(); ++i) {
    const auto b = static_cast<unsigned char>(line[i]);
    if (cadxform::IsLeadByte(b)) {
      if (i + 1 == line.size()) break;
      add(line[i]);
      add(line[++i]);
    } else if (splitting && b == '"') {
      splitting = false;
    } else if (splitting && b == '=') {
      add(line[i]);
      splitting = false;
    } else if (splitting && (b == ' ' || b == '\t')) {
      if (nonEmpty) {
        ++r.count;
        if (r.count <= cadxform::kMaxTokens) r.tokens.emplace_back();
        nonEmpty = false;
      }
    } else if (b >= 0x20 && b <= 0xFD) {
      add(line[i]);
    }
  }
  return r;
}

// Random lines mixing the bytes that matter (blanks, tabs, quotes, equals
// signs, controls, digits, double-byte characters) at every length, so that
// tokens end at every position of the words the splitter reads.
TEST(SplitRandom, AgreesWithByteByByteReference) {
  std::mt19937 rng(2024);
  const std::string alphabet = "  0123456789.-ci";
  std::string line;
  TTokenLine t;
  for (int iter = 0; iter < 20000; ++iter) {
    line.clear();
    const int length = static_cast<int>(rng() % (iter % 10 == 0 ? 200 : 60));
    const bool rare = rng() % 4 == 0;  // most lines only plain bytes and blanks
    for (int i = 0; i < length; ++i) {
      const unsigned pick = rng() % 100;
      if (rare && pick < 3) {
        line += '"';
      } else if (rare && pick < 5) {
        line += '=';
      } else if (rare && pick < 7) {
        line += '\t';
      } else if (rare && pick < 9) {
        line += static_cast<char>(rng() % 0x20);
      } else if (rare && pick < 12) {
        line += '\x82';  // a lead byte; the next byte, whatever it is, is its trail
      } else if (rare && pick < 13) {
        line += static_cast<char>(0xFE + rng() % 2);
      } else {
        line += alphabet[rng() % alphabet.size()];
      }
    }
    if (rng() % 8 == 0) line += std::string(40, '1') + " 2";  // long tokens
    const TReferenceSplit want = ReferenceSplit(line);
    ASSERT_EQ(t.Split(line), want.count) << line;
    for (int k = 0; k < want.count && k < cadxform::kMaxTokens; ++k) {
      ASSERT_EQ(t.View().Token(k), want.tokens[static_cast<size_t>(k)]) << line << " token " << k;
    }
  }
}

TEST(FindOnBoundary, NeverMatchesInsideDoubleByteCharacter) {
  constexpr size_t npos = std::string_view::npos;
  const TFindCase cases[] = {
      {"hp12ln", "ln", 4},
      {"hp12", "ln", npos},
      {"ln", "ln", 0},
      {"l", "ln", npos},
      {"\x82ln", "ln", npos},        // 0x82 0x6C is one character
      {"\x82lnln", "ln", 3},         // the second "ln" starts on a boundary
      {"\x82\x82ln", "ln", 2},       // 0x82 0x82 is one character, then "ln"
      {"\x81-", "-", npos},
      {"\x81\x40-", "-", 2},
      {"\xb1-", "-", 1},             // half-width katakana is one byte
      {"a\x82", "\x82", 1},
      {"\x82" "file=x", "file=", npos},
      {"xfile=", "file=", 1},
  };
  for (const TFindCase& c : cases) {
    EXPECT_EQ(cadxform::FindOnBoundary(c.text, c.pat), c.expected) << c.text << " / " << c.pat;
  }
}

TEST(IsLeadByte, RangesAreOneWiderThanStrictShiftJis) {
  for (int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x80 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfd);
    EXPECT_EQ(cadxform::IsLeadByte(static_cast<unsigned char>(b)), lead) << b;
  }
}

}  // namespace
