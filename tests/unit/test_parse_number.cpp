// Number parsing: the literal grammar, range limits, correct rounding, long
// inputs and independence from the locale.
#include <gtest/gtest.h>

#include <optional>

#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <system_error>

#include "numeric/parse_padded.h"

using cadxform::StrToFloatOrZero;
using cadxform::StrToIntOrZero;

namespace {

using namespace cadxform;

// Bit-exact comparison, so 0.0 and -0.0 differ.
bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

struct IntCase {
  const char* Text;
  int32_t Expected;
};

TEST(StrToIntOrZero, Grammar) {
  const IntCase cases[] = {
      {"", 0},
      {"42", 42},
      {"-7", -7},
      {"+7", 7},
      {"-0", 0},
      {"   5", 5},
      {"   -5", -5},
      {"\t5", 0},  // only code 32 is skipped
      {"5 ", 0},
      {"1.0", 0},
      {"1e3", 0},
      {"+-5", 0},
      {"--5", 0},
      {"- 5", 0},
      {"5-", 0},
      {"-", 0},
      {"\x82\x54", 0},  // full-width digit
      {"2147483647", 2147483647},
      {"2147483648", 0},
      {"-2147483648", INT32_MIN},
      {"-2147483649", 0},
      {"99999999999999999999999", 0},
      {"000000000042", 42},
      {"-000000000042", -42},
      {"999999999", 999999999},
      {"0000000007", 7},
      {"12x", 0},
      {"9:", 0},
      {"/1", 0},
  };
  for (const IntCase& c : cases) EXPECT_EQ(StrToIntOrZero(c.Text), c.Expected) << '"' << c.Text << '"';
}

TEST(StrToIntOrZero, Hex) {
  const IntCase cases[] = {
      {"$F", 15},
      {"$f", 15},
      {"$ff", 255},
      {"x1A", 26},
      {"X1a", 26},
      {"0x10", 16},
      {"0X10", 16},
      {"  $A", 10},
      {"$", 0},
      {"x", 0},
      {"0x", 0},
      {"$G", 0},
      {"$1 ", 0},
      {"$-1", 0},
      {"0x-1", 0},
      {"00x10", 0},
      {"$$1", 0},
      {"-$10", 16},  // the sign before a hex number is ignored
      {"+$10", 16},
      {"$7FFFFFFF", 2147483647},
      {"$80000000", INT32_MIN},
      {"$FFFFFFFF", -1},
      {"$100000000", 0},
      {"$0000000001", 1},
      {"$000000000FFFFFFFF", -1},
  };
  for (const IntCase& c : cases) EXPECT_EQ(StrToIntOrZero(c.Text), c.Expected) << '"' << c.Text << '"';
}

TEST(StrToIntOrZero, LongInputs) {
  const std::string zeros(1 << 20, '0');
  EXPECT_EQ(StrToIntOrZero(zeros + "7"), 7);
  EXPECT_EQ(StrToIntOrZero("-" + zeros + "7"), -7);
  EXPECT_EQ(StrToIntOrZero("$" + zeros + "1"), 1);
  EXPECT_EQ(StrToIntOrZero(std::string(1 << 20, ' ') + "3"), 3);
  EXPECT_EQ(StrToIntOrZero(std::string(1 << 20, '9')), 0);
  EXPECT_EQ(StrToIntOrZero(zeros + "x"), 0);
}

struct FloatCase {
  const char* Text;
  double Expected;
};

TEST(StrToFloatOrZero, Grammar) {
  const FloatCase cases[] = {
      {"12.5", 12.5},
      {"-0.25", -0.25},
      {"+0.25", 0.25},
      {"1e3", 1000},
      {"1E-2", 0.01},
      {"1e+2", 100},
      {"5.", 5},
      {".5", 0.5},
      {"-.5", -0.5},
      {"1.e1", 10},
      {"   2.5", 2.5},
      {"0.1", 0.1},
      {"007.50", 7.5},
      {"", 0},
      {"1e", 0},
      {"1e-", 0},
      {"1e+", 0},
      {"1,5", 0},
      {"-", 0},
      {"+", 0},
      {".", 0},
      {"-.", 0},
      {".e1", 0},
      {"e5", 0},
      {"1 ", 0},
      {"\t1", 0},
      {"1.5.2", 0},
      {"1..5", 0},
      {"--1", 0},
      {"1e5.0", 0},
      {"0x10", 0},
      {"$10", 0},
      {"inf", 0},
      {"nan", 0},
      {"1d3", 0},
  };
  for (const FloatCase& c : cases) EXPECT_TRUE(SameBits(StrToFloatOrZero(c.Text), c.Expected)) << '"' << c.Text << '"';
}

TEST(StrToFloatOrZero, RangeAndRounding) {
  const double minSub = std::numeric_limits<double>::denorm_min();
  const double max = std::numeric_limits<double>::max();
  const FloatCase cases[] = {
      {"-0", -0.0},
      {"-0.000e5", -0.0},
      {"1e999", 0},
      {"-1e999", 0},
      {"1.7976931348623159e308", 0},  // rounds to infinity
      {"1.7976931348623157e308", max},
      {"1e-999", 0},
      {"-1e-999", -0.0},
      {"2e-324", 0},
      {"-2e-324", -0.0},
      {"2.4703282292062328e-324", minSub},
      {"4.9e-324", minSub},
      {"-4.9e-324", -minSub},
      {"1e-310", 1e-310},
      {"2.2250738585072011e-308", 2.2250738585072011e-308},
      {"9007199254740993", 9007199254740992.0},  // tie to even
      {"9007199254740995", 9007199254740996.0},
      {"123456789012345678901234567890", 1.2345678901234568e29},
      {"0.1e1", 1},
      {"1e22", 1e22},
      {"1e23", 1e23},
      {"123.456", 123.456},
      {"0e99999999999999999999", 0},
      {"1e99999999999999999999", 0},
      {"-1e-99999999999999999999", -0.0},
  };
  for (const FloatCase& c : cases) EXPECT_TRUE(SameBits(StrToFloatOrZero(c.Text), c.Expected)) << '"' << c.Text << '"';
}

TEST(StrToFloatOrZero, LongInputs) {
  const std::string zeros(1 << 20, '0');
  EXPECT_EQ(StrToFloatOrZero("0." + zeros + "1e1048577"), 1.0);
  EXPECT_EQ(StrToFloatOrZero("1" + zeros + "e-1048576"), 1.0);
  EXPECT_EQ(StrToFloatOrZero(zeros + "2.5" + zeros), 2.5);
  EXPECT_EQ(StrToFloatOrZero(std::string(1 << 20, ' ') + "2.5"), 2.5);
  EXPECT_EQ(StrToFloatOrZero("1" + zeros), 0.0);  // overflow
  EXPECT_EQ(StrToFloatOrZero("0." + zeros + "1"), 0.0);
  EXPECT_EQ(StrToFloatOrZero(zeros + ","), 0.0);
  // Exactly halfway between two doubles, then a hair above it, with the
  // deciding digit far behind the first 768.
  EXPECT_EQ(StrToFloatOrZero("9007199254740993." + zeros), 9007199254740992.0);
  EXPECT_EQ(StrToFloatOrZero("9007199254740993." + zeros + "1"), 9007199254740994.0);
  EXPECT_EQ(StrToFloatOrZero("9007199254740992" + zeros + "e-1048576"), 9007199254740992.0);
  // Exponents of any length.
  const std::string nines(50, '9');
  EXPECT_TRUE(SameBits(StrToFloatOrZero("1e" + nines), 0.0));
  EXPECT_TRUE(SameBits(StrToFloatOrZero("-1e-" + nines), -0.0));
  EXPECT_TRUE(SameBits(StrToFloatOrZero("-0e" + nines), -0.0));
  EXPECT_EQ(StrToFloatOrZero("2.5e" + zeros + "1"), 25.0);
}

// Shortest and 17-digit forms of random doubles read back bit for bit; this
// also crosses the short path / long path border many times.
TEST(StrToFloatOrZero, RoundTripsRandomDoubles) {
  std::mt19937_64 rng(20240601);
  char buf[64];
  for (int i = 0; i < 200000; ++i) {
    double v = std::bit_cast<double>(rng());
    if (!std::isfinite(v)) continue;
    if (i % 2 == 1) v = std::ldexp(std::fabs(std::fmod(v, 1.0)) + 1.0, static_cast<int>(rng() % 120) - 60);
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    ASSERT_TRUE(SameBits(StrToFloatOrZero(std::string_view(buf, static_cast<size_t>(r.ptr - buf))), v))
        << std::string_view(buf, static_cast<size_t>(r.ptr - buf));
    r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 16);
    ASSERT_TRUE(SameBits(StrToFloatOrZero(std::string_view(buf, static_cast<size_t>(r.ptr - buf))), v))
        << std::string_view(buf, static_cast<size_t>(r.ptr - buf));
  }
}

// Short random decimals as the exchange file holds them agree with from_chars
// (which rounds correctly) whichever path reads them.
TEST(StrToFloatOrZero, AgreesWithFromCharsOnRandomDecimals) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 200000; ++i) {
    std::string s;
    const int digits = 1 + static_cast<int>(rng() % 22);
    const int point = static_cast<int>(rng() % static_cast<uint64_t>(digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point) s += '.';
      s += static_cast<char>('0' + rng() % 10);
    }
    if (rng() % 3 == 0) s += "e" + std::to_string(static_cast<int>(rng() % 80) - 40);
    double expected = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), expected);
    ASSERT_EQ(r.ec, std::errc());
    ASSERT_TRUE(SameBits(StrToFloatOrZero(s), expected)) << s;
    ASSERT_TRUE(SameBits(StrToFloatOrZero("-" + s), -expected)) << s;
  }
}

// The padded variant reads words beyond the text: padding of digits, full
// stops and signs must never join the number, and every text gives exactly
// the value of StrToFloatOrZero.
TEST(StrToFloatOrZeroPadded, SameValueWhateverFollows) {
  std::mt19937_64 rng(99);
  const std::string alphabet = "0123456789.-+e ";
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    const int length = static_cast<int>(rng() % 24);  // fractions of up to 23 digits
    const bool plain = rng() % 2 == 0;  // digits with one full stop, often signed
    if (plain && rng() % 3 == 0) text += rng() % 2 ? '-' : '+';
    const int point = plain ? static_cast<int>(rng() % static_cast<uint64_t>(length + 1)) : -1;
    for (int k = 0; k < length; ++k) {
      if (k == point) text += '.';
      text += plain ? static_cast<char>('0' + rng() % 10) : alphabet[rng() % alphabet.size()];
    }
    std::string buffer = text;
    for (int k = 0; k < 16; ++k) buffer += alphabet[rng() % 11];  // digits, '.', '-'
    const std::string_view view(buffer.data(), text.size());
    ASSERT_TRUE(SameBits(StrToFloatOrZeroPadded(view), StrToFloatOrZero(text))) << text;
  }
}

// Texts at the edges of what the reader's fast path takes (15 digits, a lone
// "0" before the full stop, 16 bytes reaching into the padding), each placed
// before padding of digits and full stops: the value of StrToFloatOrZero,
// which agrees with from_chars.
TEST(StrToFloatOrZeroPadded, EdgesOfTheShortPath) {
  const char* const texts[] = {
      "0", "-0", "0.", "-0.", ".", "-", "+", "0.5", "-.5", "00.5", "0.0", "0..5", "1..", "5.", "+7",
      "123456789012345", "1234567890123456", "12345678901234.5", "1234567890123.45", ".123456789012345",
      "0.785398163397448", "-0.785398163397448", "0.7853981633974483", "9007199254740993", "999999999999999",
      ".000000000000001", "0.000000000000001", "100000000000000.", "1.2.3", "12a", "-500.000761305",
      "12345678", "-1234567", "1234.567", "12345.6\xb9", "9\xff" "9", "\xb9" "5", "1/2", "1:2", "-9.9999999",
      "+.5", "-12345678", "+1234.567", "1234567.", ".1234567", "-.", "+-1", "1-", "1.-", "0.0000001"};
  for (const char* text : texts) {
    for (const char* pad : {"9999999999999999", "................", "0.0.0.0.0.0.0.0.",
                            "\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff"}) {
      const std::string buffer = std::string(text) + pad;
      const double got = StrToFloatOrZeroPadded(std::string_view(buffer.data(), std::strlen(text)));
      ASSERT_TRUE(SameBits(got, StrToFloatOrZero(text))) << text << " before " << pad;
    }
  }
  const std::string zeroThenDecimals = "-0.5555" + std::string(16, '5');
  EXPECT_TRUE(SameBits(StrToFloatOrZeroPadded(std::string_view(zeroThenDecimals.data(), 2)), -0.0));
  const std::string fullThenZeros = "0.785398163397448" + std::string(16, '0');
  EXPECT_EQ(StrToFloatOrZeroPadded(std::string_view(fullThenZeros.data(), 17)), 0.785398163397448);
}

// A token the reader skips by its first byte must read as +0 whatever
// follows that byte.
TEST(StrToFloatOrZeroPadded, SkippedFirstBytesReadAsPlusZero) {
  EXPECT_FALSE(MayReadNonZero(""));
  for (int b = 0; b < 256; ++b) {
    for (const char* tail : {"", "1", "5e3", ".25", "E2", "nf"}) {
      const std::string text = std::string(1, static_cast<char>(b)) + tail;
      if (!MayReadNonZero(text)) {
        ASSERT_TRUE(SameBits(StrToFloatOrZero(text), 0.0)) << text;
      }
    }
  }
}

TEST(StrToFloatOrZero, IgnoresCommaLocale) {
  const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252"};
  const char* set = nullptr;
  for (const char* name : names) {
    if ((set = std::setlocale(LC_ALL, name)) != nullptr) break;
  }
  if (set == nullptr || std::localeconv()->decimal_point[0] != ',') {
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no locale with a comma decimal separator";
  }
  const double dot = StrToFloatOrZero("1.5");
  const double comma = StrToFloatOrZero("1,5");
  const double big = StrToFloatOrZero("1234567890.1234567890123");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(dot, 1.5);
  EXPECT_EQ(comma, 0.0);
  EXPECT_EQ(big, 1234567890.1234567890123);
}

// The parsers that can fail give the value of the ones that never fail,
// or nothing exactly where those read 0 for a text that is no literal.
TEST(ParseNumber, TryParsersTellMalformedFromZero) {
  const struct {
    const char* Text;
    std::optional<int32_t> Int;
    std::optional<double> Real;
  } cases[] = {
      {"0", 0, 0.0},           {"-0", 0, -0.0},          {"  000", 0, 0.0},       {"$0", 0, std::nullopt},
      {"0x00", 0, std::nullopt}, {"42", 42, 42.0},       {"$F", 15, std::nullopt}, {"A", std::nullopt, std::nullopt},
      {"abc", std::nullopt, std::nullopt}, {"", std::nullopt, std::nullopt}, {"5 ", std::nullopt, std::nullopt},
      {"2147483648", std::nullopt, 2147483648.0}, {"1.0", std::nullopt, 1.0}, {"0.000", std::nullopt, 0.0},
      {".0", std::nullopt, 0.0}, {"0e5", std::nullopt, 0.0}, {"1e-999", std::nullopt, 0.0},
      {"-1e-999", std::nullopt, -0.0}, {"1e999", std::nullopt, std::nullopt}, {"0.001e-400", std::nullopt, 0.0},
      {"1000e306", std::nullopt, std::nullopt}, {"1,5", std::nullopt, std::nullopt}, {"e5", std::nullopt, std::nullopt},
      {"-", std::nullopt, std::nullopt}, {"1e", std::nullopt, std::nullopt}, {".", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(TryStrToInt(c.Text), c.Int);
    const std::optional<double> real = TryStrToFloat(c.Text);
    ASSERT_EQ(real.has_value(), c.Real.has_value());
    if (real) {
      EXPECT_EQ(*real, *c.Real);
      EXPECT_EQ(std::signbit(*real), std::signbit(*c.Real));
    }
    EXPECT_EQ(TryStrToInt(c.Text).value_or(0), StrToIntOrZero(c.Text));
    EXPECT_EQ(TryStrToFloat(c.Text).value_or(0.0), StrToFloatOrZero(c.Text));
  }
}

}  // namespace
