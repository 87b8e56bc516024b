#include "numeric/number_forms.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "cadxform/parse_number.h"

namespace {

using namespace cadxform;

using cadxform::HexForm;
using cadxform::IntForm;
using cadxform::RealForm;

// A second, plain way to the real form: all exact decimal digits of the
// double, rounded half away from zero by hand at the 15th digit.
std::string ReferenceRealForm(double v) {
  if (v == 0) return "0";
  std::string sign = std::signbit(v) ? "-" : "";
  const double a = std::fabs(v);
  static char buf[1200];
  // A double has at most 767 significant digits: 800 keeps every one.
  auto r = std::to_chars(buf, buf + sizeof(buf), a, std::chars_format::scientific, 800);
  std::string text(buf, r.ptr);
  const size_t e = text.find('e');
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
  int E = std::stoi(text.substr(e + 1)) + 1;
  std::string d15 = digits.substr(0, 15);
  if (digits[15] >= '5') {
    int i = 14;
    while (i >= 0 && d15[static_cast<size_t>(i)] == '9') d15[static_cast<size_t>(i--)] = '0';
    if (i < 0) {
      d15.insert(0, 1, '1');
      d15.pop_back();
      ++E;
    } else {
      ++d15[static_cast<size_t>(i)];
    }
  }
  while (d15.size() > 1 && d15.back() == '0') d15.pop_back();
  const int n = static_cast<int>(d15.size());
  // Built by appending only (GCC 12 warns falsely on "." + string here).
  std::string out = sign;
  if (E >= -3 && E <= 15) {
    if (E > 0) {
      out.append(d15, 0, static_cast<size_t>(std::min(n, E)));
      if (n < E) out.append(static_cast<size_t>(E - n), '0');
      if (n > E) out.append(".").append(d15, static_cast<size_t>(E));
    } else {
      out.append("0.").append(static_cast<size_t>(-E), '0').append(d15);
    }
  } else {
    out.append(d15, 0, 1);
    if (n > 1) out.append(".").append(d15, 1);
    out.append("E").append(std::to_string(E - 1));
  }
  return out;
}

// The reader's own number parsing.
double Parse(const std::string& s) { return StrToFloatOrZero(s); }

TEST(IntForm, Values) {
  const struct {
    int32_t v;
    const char* want;
  } cases[] = {{0, "0"},           {15, "15"},
               {-3, "-3"},         {100, "100"},
               {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"}};
  for (const auto& c : cases) EXPECT_EQ(IntForm(c.v), c.want) << c.v;
}

TEST(HexForm, Values) {
  const struct {
    int32_t v;
    const char* want;
  } cases[] = {{0, "0"}, {10, "A"}, {11, "B"}, {15, "F"}, {16, "10"}, {255, "FF"},
               {-1, "FFFFFFFF"}, {-2147483647 - 1, "80000000"}, {0x7ABCDEF0, "7ABCDEF0"}};
  for (const auto& c : cases) EXPECT_EQ(HexForm(c.v), c.want) << c.v;
}

TEST(RealForm, Examples) {
  const struct {
    double v;
    const char* want;
  } cases[] = {
      {12.5, "12.5"},
      {1200, "1200"},
      {0.001234, "0.001234"},
      {0.0001, "0.0001"},
      {123456789012345, "123456789012345"},
      {-0.5, "-0.5"},
      {1E-5, "1E-5"},
      {0.00001234, "1.234E-5"},
      {1.234E-5, "1.234E-5"},
      {1E15, "1E15"},
      {2.5E20, "2.5E20"},
      {999999999999999, "999999999999999"},
      {0.1, "0.1"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {-0.0, "0"},
      {0.0, "0"},
      {1, "1"},
      {-1, "-1"},
      {123.456, "123.456"},
      {-123.456, "-123.456"},
      {1000, "1000"},
      {0.30000000000000004, "0.3"},
      {100.5, "100.5"},
      {-2147483648.0, "-2147483648"},
  };
  for (const auto& c : cases) EXPECT_EQ(RealForm(c.v), c.want) << c.want;
}

TEST(RealForm, NotationBoundaries) {
  const struct {
    double v;
    const char* want;
  } cases[] = {
      // E = -3 is fixed, E = -4 is exponent.
      {0.0001, "0.0001"},
      {0.00012345, "0.00012345"},
      {0.000099999, "9.9999E-5"},
      {-0.00001, "-1E-5"},
      // Rounding at the 15th digit carries into E = -3.
      {std::nextafter(0.0001, 0.0), "0.0001"},
      {0.0000999999999999996, "9.99999999999996E-5"},
      {0.0000999999999999994, "9.99999999999994E-5"},
      // E = 15 is fixed, E = 16 is exponent.
      {999999999999999.0, "999999999999999"},
      {100000000000000.0, "100000000000000"},
      {1E15, "1E15"},
      {1234567890123456.0, "1.23456789012346E15"},
      // Rounding carries into a new digit.
      {9999999999999999.0, "1E16"},
      {999999999999999.9, "1E15"},
      {99999999999999.99, "100000000000000"},
      {0.99999999999999999, "1"},
      {9.9999999999999995, "10"},
      {9.999999999999995, "9.99999999999999"},  // below the half: 9.99999999999999466..
      {1E16, "1E16"},
      {1E100, "1E100"},
      {1E-100, "1E-100"},
      {1.5E-300, "1.5E-300"},
  };
  for (const auto& c : cases) EXPECT_EQ(RealForm(c.v), c.want) << c.want;
}

// The point in every place of the fixed notation, with digits ending in
// zeros at every length: the digits, zeros and point stand where the text
// built by hand puts them.
TEST(RealForm, PointInEveryPlace) {
  const std::string digits = "123456789012347";  // no zero at the end
  for (int E = -3; E <= 15; ++E) {
    for (int n = 1; n <= 15; ++n) {
      const std::string d = digits.substr(0, static_cast<size_t>(n - 1)) + "7";
      std::string want;
      if (E <= 0) {
        want = "0." + std::string(static_cast<size_t>(-E), '0') + d;
      } else if (n <= E) {
        want = d + std::string(static_cast<size_t>(E - n), '0');
      } else {
        want = d.substr(0, static_cast<size_t>(E)) + "." + d.substr(static_cast<size_t>(E));
      }
      const double v = Parse("0." + d + "e" + std::to_string(E));
      ASSERT_EQ(RealForm(v), want) << "E " << E << " n " << n;
      ASSERT_EQ(RealForm(-v), "-" + want) << "E " << E << " n " << n;
    }
  }
}

TEST(RealForm, FullDigitsAndExtremes) {
  const struct {
    double v;
    const char* want;
  } cases[] = {
      {123456.789012345, "123456.789012345"},
      {1.23456789012345, "1.23456789012345"},
      {0.00123456789012345, "0.00123456789012345"},
      {-0.00123456789012345, "-0.00123456789012345"},
      {3.14159265358979323846, "3.14159265358979"},
      {-3.14159265358979323846, "-3.14159265358979"},
      {DBL_MIN, "2.2250738585072E-308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
      {-std::numeric_limits<double>::denorm_min(), "-4.94065645841247E-324"},
      {1e-310, "9.99999999999997E-311"},
      {std::numeric_limits<double>::infinity(), "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {-std::numeric_limits<double>::quiet_NaN(), "-NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(RealForm(c.v), c.want) << c.want;
}

// The largest doubles, whose 15-digit rounding would lie above the largest
// double, are written with the 15th digit rounded toward zero, and read back
// finite and within one unit of that digit.
TEST(RealForm, LargestDoublesReadBackFinite) {
  const double below1 = std::nextafter(DBL_MAX, 0.0);
  const double below2 = std::nextafter(below1, 0.0);
  const double below3 = std::nextafter(below2, 0.0);
  const double below4 = std::nextafter(below3, 0.0);  // rounds down anyway
  const struct {
    double v;
    const char* want;
  } cases[] = {
      {DBL_MAX, "1.79769313486231E308"},  {-DBL_MAX, "-1.79769313486231E308"},
      {below1, "1.79769313486231E308"},   {below2, "1.79769313486231E308"},
      {-below3, "-1.79769313486231E308"}, {below4, "1.79769313486231E308"},
      {1.7976931348623e308, "1.7976931348623E308"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RealForm(c.v), c.want) << std::hexfloat << c.v;
    const double back = Parse(RealForm(c.v));
    EXPECT_TRUE(std::isfinite(back) && back != 0) << c.want;
    EXPECT_LE(std::fabs(back - c.v), std::fabs(c.v) * 1e-14) << c.want;
  }
}

// Exact halves at the 16th digit round away from zero, not to even.
TEST(RealForm, TiesRoundAwayFromZero) {
  const struct {
    double v;
    const char* want;
  } cases[] = {
      {1000000000000005.0, "1.00000000000001E15"},
      {1000000000000025.0, "1.00000000000003E15"},
      {-1000000000000005.0, "-1.00000000000001E15"},
      {123456789012345.5, "123456789012346"},
      {100000000000002.5, "100000000000003"},
      {100000000000000.5, "100000000000001"},
      {-100000000000002.5, "-100000000000003"},
      {1234567890123.125, "1234567890123.13"},
      {6557.0 / 65536, "0.100051879882813"},
      {12345678901234.25, "12345678901234.3"},
      {2.5E16, "2.5E16"},
      // 10^15 + 10 - 5: not a tie at the 16th digit beyond 10^16.
      {10000000000000050.0, "1.00000000000001E16"},
      // Just beside a tie: the usual nearest rounding.
      {100000000000002.484375, "100000000000002"},
      {914546213195413.5, "914546213195414"},
  };
  for (const auto& c : cases) EXPECT_EQ(RealForm(c.v), c.want) << c.want;
}

// The reference agrees on the hand-written cases above (guards the oracle).
TEST(RealForm, ReferenceAgreesOnKnownCases) {
  EXPECT_EQ(ReferenceRealForm(1000000000000005.0), "1.00000000000001E15");
  EXPECT_EQ(ReferenceRealForm(0.0001), "0.0001");
  EXPECT_EQ(ReferenceRealForm(9999999999999999.0), "1E16");
  EXPECT_EQ(ReferenceRealForm(std::numeric_limits<double>::denorm_min()),
            "4.94065645841247E-324");
}

TEST(RealForm, MatchesExactReferenceOnManyValues) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> coord(-100000.0, 100000.0);
  std::uniform_int_distribution<int> exp2(-1074, 1023);
  int checked = 0;
  auto check = [&](double v) {
    ASSERT_EQ(RealForm(v), ReferenceRealForm(v)) << std::hexfloat << v;
    ++checked;
  };
  for (int i = 0; i < 20000; ++i) {
    // Any bit pattern that is a finite number.
    uint64_t bits = rng();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) check(v);
    check(coord(rng));
    check(std::ldexp(static_cast<double>(rng() >> 11), exp2(rng) / 4));
    // Short decimals such as a drawing holds.
    check(static_cast<double>(static_cast<int64_t>(rng() % 2000000001) - 1000000000) / 1000.0);
    check(static_cast<double>(rng() % 100000000) / 10000.0 + 1e9);
  }
  for (int s = -1; s <= 40; ++s) {
    // Exact ties: odd multiples of 2^-(s+1) of 16 digits, and odd multiples
    // of 5^u * 2^(u-1) above 10^16.
    for (int i = 0; i < 200; ++i) {
      const uint64_t m = (rng() >> 11) | 1;
      check(std::ldexp(static_cast<double>(m), -(s + 1)));
    }
  }
  for (int u = 1; u <= 22; ++u) {
    uint64_t p5 = 1;
    for (int i = 0; i < u; ++i) p5 *= 5;
    const uint64_t maxQ = (uint64_t{1} << 53) / p5;
    for (int i = 0; i < 50 && maxQ > 0; ++i) {
      const uint64_t q = (rng() % maxQ) | 1;
      check(std::ldexp(static_cast<double>(q * p5), u - 1));
    }
  }
  // The edges of the decades and binades of the fixed range, where the
  // decimal exponent and the power of ten to scale by change.
  auto checkAround = [&](double edge) {
    double below = edge, above = edge;
    check(edge);
    for (int k = 0; k < 20; ++k) {
      check(below = std::nextafter(below, 0.0));
      check(above = std::nextafter(above, 1e300));
    }
  };
  for (int e = -5; e <= 16; ++e) checkAround(Parse("1e" + std::to_string(e)));
  for (int k = -15; k <= 51; ++k) checkAround(std::ldexp(1.0, k));
  EXPECT_GT(checked, 100000);
}

// Reading the text back gives the value within the 15-digit rounding, and
// exactly for values of at most 15 significant digits.
// Decimals of up to eight places around the magnitudes where the writer
// changes its way of working (below 10^8 with seven places, the fixed range
// from 10^-4), and the doubles next to them.
TEST(RealForm, ShortDecimalsAndNeighboursMatchReference) {
  std::mt19937_64 rng(4242);
  const double scales[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  const uint64_t limits[] = {10, 10000, 100000000, 1000000000000u, 100000000000000u};
  for (double scale : scales) {
    for (uint64_t limit : limits) {
      for (int i = 0; i < 300; ++i) {
        const double v = static_cast<double>(rng() % limit) / scale;
        for (double w : {v, std::nextafter(v, 0.0), std::nextafter(v, 1e300), -v}) {
          ASSERT_EQ(RealForm(w), ReferenceRealForm(w)) << std::hexfloat << w;
        }
      }
    }
  }
  for (double v : {99999999.9999, 99999999.99995, 100000000.0, 0.0001, 0.00015, 0.00014999999999999999,
                   12345678.12345, 0.5, 1.0, 1e-4 * 3, 7.0005, 7.00049999999999,
                   99999999.9999999, 99999999.99999995, 12345678.1234567, 1820.0002966, -2864.4897034,
                   0.0001234, 0.00012345, 1.0000001, 9.99999995, 0.9999999, 0.99999995}) {
    EXPECT_EQ(RealForm(v), ReferenceRealForm(v)) << std::hexfloat << v;
  }
}

// Values a few units in the last place off a short decimal, as sums of two
// short decimals are (a moved coordinate): their 15-digit rounding is
// usually the short decimal, but within 2 to 45 units of it lies the
// boundary of that rounding; and values just below whole numbers and 10^8.
TEST(RealForm, NearShortDecimalsMatchReference) {
  std::mt19937_64 rng(9191);
  for (int i = 0; i < 3000; ++i) {
    const double v = static_cast<double>(rng() % 1000000000000000u) / 10000000.0;
    const double moved = v + static_cast<double>(rng() % 100000000000u) / 10000000.0;
    ASSERT_EQ(RealForm(moved), ReferenceRealForm(moved)) << std::hexfloat << moved;
    double below = v, above = v;
    for (int k = 1; k <= 60; ++k) {
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, 1e300);
      ASSERT_EQ(RealForm(below), ReferenceRealForm(below)) << std::hexfloat << below;
      ASSERT_EQ(RealForm(above), ReferenceRealForm(above)) << std::hexfloat << above;
    }
    // Half a unit of the seventh decimal: a tie for the short decimals.
    const double half = (static_cast<double>(rng() % 1000000000u) + 0.5) / 10000000.0;
    ASSERT_EQ(RealForm(half), ReferenceRealForm(half)) << std::hexfloat << half;
  }
  for (double v : {2.9999999999999996, 0.30000000000000004, 99999999.99999999, 99999999.999999985,
                   std::nextafter(1e8, 0.0), 1820.0002966 + 0.1, -1710.0002966 + 1234.5}) {
    EXPECT_EQ(RealForm(v), ReferenceRealForm(v)) << std::hexfloat << v;
  }
}

TEST(RealForm, RoundTrip) {
  std::mt19937_64 rng(777);
  for (int i = 0; i < 100000; ++i) {
    uint64_t bits = rng();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) continue;
    const double back = Parse(RealForm(v));
    // Half a unit of the 15th digit is at most 5e-15 of the value.
    EXPECT_LE(std::fabs(back - v), std::fabs(v) * 5.000001e-15) << std::hexfloat << v;
  }
  std::uniform_int_distribution<int64_t> mant(-999999999999999, 999999999999999);
  std::uniform_int_distribution<int> exp10(-30, 30);
  for (int i = 0; i < 100000; ++i) {
    const std::string text = std::to_string(mant(rng)) + "e" + std::to_string(exp10(rng));
    const double v = Parse(text);
    EXPECT_EQ(Parse(RealForm(v)), v) << text;
  }
}

TEST(RealForm, AppendWritesWithinBoundAndReturnsEnd) {
  const double values[] = {-std::numeric_limits<double>::denorm_min(), -DBL_MAX, -0.00123456789012345,
                           -999999999999999.0, -1.23456789012345E-100, -1234.56789012345,
                           -0.000123456789012345, 12345678901234.5, 1.5};
  for (double v : values) {
    char buf[cadxform::kNumberFormMax + 8];
    std::memset(buf, 'x', sizeof buf);
    char* end = cadxform::AppendRealForm(buf, v);
    EXPECT_LE(end - buf, cadxform::kNumberFormMax);
    // The room after the form is scratch; nothing beyond it is touched.
    EXPECT_EQ(std::string(buf + cadxform::kNumberFormMax, 8), "xxxxxxxx");
    EXPECT_EQ(std::string(buf, end), RealForm(v));
  }
}

}  // namespace
