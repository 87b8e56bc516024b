// Parameter texts: the "^@BM" prefix test and the rewriting of the number
// list under a scale and a rotation.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "transforms/param_text.h"

namespace cadxform {
namespace {

TEST(ParamText, PrefixMustStandAtTheStart) {
  struct Case {
    std::string text;
    bool expected;
  };
  const Case cases[] = {
      {"^@BM", true},   {"^@BMabc,1", true}, {"^@B", false},
      {"", false},      {"x^@BM", false},    {"^@bm,1", false},
      {" ^@BM,1", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsParamText(c.text), c.expected) << c.text;
}

struct RewriteCase {
  const char* name;
  std::string text;
  double scale;
  double theta;
  std::optional<std::string> expected;
};

TEST(ParamText, RewritesTheNumberList) {
  const RewriteCase cases[] = {
      {"no comma: unchanged", "^@BMabc", 2, 90, std::nullopt},
      {"single field: P2 takes P1", "^@BMabc,50", 2, 90, "^@BMabc,100,100,0,0,1,90"},
      {"empty rest is one empty field", "^@BMabc,", 2, 90, "^@BMabc,0,0,0,0,1,90"},
      {"two fields", "^@BMabc,10,20", 2, 90, "^@BMabc,20,40,0,0,1,90"},
      {"empty second field gives 0", "^@BMabc,10,", 2, 90, "^@BMabc,20,0,0,0,1,90"},
      {"six fields", "^@BMabc,1,2,3,4,5,6", 2, 90, "^@BMabc,2,4,3,4,5,96"},
      {"seventh field dropped", "^@BMabc,1,2,3,4,5,6,7", 2, 90, "^@BMabc,2,4,3,4,5,96"},
      {"everything after the sixth dropped", "^@BMabc,1,2,3,4,5,6,7,8,x", 2, 90,
       "^@BMabc,2,4,3,4,5,96"},
      {"supplied empty fields read 0, P5 too", "^@BMabc,1,,,,,", 2, 90,
       "^@BMabc,2,0,0,0,0,90"},
      {"malformed fields read 0", "^@BMabc,1x,2,abc", 2, 90, "^@BMabc,0,4,0,0,1,90"},
      {"exponent and leading blank", "^@BMabc,1e3, 5", 2, 90, "^@BMabc,2000,10,0,0,1,90"},
      {"angle normalised upward", "^@BMa,1,1,0,0,1,300", 2, 90, "^@BMa,2,2,0,0,1,30"},
      {"negative rotation", "^@BMa,1,1,0,0,1,0", 1, -90, "^@BMa,1,1,0,0,1,270"},
      {"rewritten without scaling", "^@BMa,5", 1, 0, "^@BMa,5,5,0,0,1,0"},
      {"shrinking", "^@BMa,1,3", 0.5, 0, "^@BMa,0.5,1.5,0,0,1,0"},
      {"head part is up to the first comma", "^@BM,a", 2, 90, "^@BM,0,0,0,0,1,90"},
      {"comma as trail byte is no delimiter", "^@BM\x81,abc,5", 2, 90,
       "^@BM\x81,abc,10,10,0,0,1,90"},
      {"trail byte 0x5C kept", "^@BM\x95\x5c,3", 2, 90, "^@BM\x95\x5c,6,6,0,0,1,90"},
  };
  for (const RewriteCase& c : cases) {
    EXPECT_EQ(RewriteParamText(c.text, c.scale, c.theta), c.expected) << c.name;
  }
}

TEST(ParamText, ResultIsCutTo255Bytes) {
  const std::string head = "^@BM" + std::string(246, 'a') + ",";  // 251 bytes
  const std::optional<std::string> out = RewriteParamText(head + "12345", 1, 0);
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(*out, head + "1234");
}

}  // namespace
}  // namespace cadxform
