// Code page 932 texts of generated drawings. Each Japanese text is written
// as escaped bytes with its reading in the comment beside it.
#include "gen/sjis_texts.h"

namespace bench {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kTextContents[] = {
    "\x95\xbd\x96\xca\x90\x7d"sv,                      // 平面図
    "\x82\x50\x8a\x4b\x20\x95\xbd\x96\xca\x90\x7d"sv,  // １階 平面図
    "\x8b\x8f\x8a\xd4\x20\x82\x6b\x82\x63\x82\x6a"sv,  // 居間 ＬＤＫ
    "\x90\xf4\x96\xca\x8f\x8a"sv,                      // 洗面所
    "\x97\x81\x8e\xba"sv,                              // 浴室
    "\x8c\xba\x8a\xd6"sv,                              // 玄関
    "\x98\x61\x8e\xba\x20\x82\x55\x8f\xf4"sv,          // 和室 ６畳
    "\x91\xe4\x8f\x8a"sv,                              // 台所
    "\x95\x5c\x8e\xa6"sv,                              // 表示 (trail byte 0x5C)
    "\x83\x5c\x83\x74\x83\x40"sv,                      // ソファ (trail bytes 0x5C, 0x40)
    "\x94\x5c\x97\xcd"sv,                              // 能力 (trail byte 0x5C)
    "\x82\x65\x82\x6b\x81\x7d\x82\x4f"sv,              // ＦＬ±０
    "\x82\x60\x81\x7c\x82\x60\x92\x66\x96\xca"sv,      // Ａ－Ａ断面
    "\x92\xca\x82\xe8\x90\x63\x20X1"sv,                // 通り芯 X1
    "\x8a\x4a\x8c\xfb\x95\x94\x20W=1690"sv,            // 開口部 W=1690
    "X1"sv,
    "Y3"sv,
    "A-1"sv,
    "CH=2400"sv,
    "1:100"sv,
    "S=1/50 \"DETAIL\""sv,
    "  GL+500"sv,
};

constexpr std::string_view kParamNames[] = {
    "\x95\xd0\x8a\x4a\x82\xab\x8c\xcb"sv,  // 片開き戸
    "\x88\xf8\x88\xe1\x82\xa2\x91\x8b"sv,  // 引違い窓
    "\x95\xd6\x8a\xed"sv,                  // 便器
    "door01"sv,
    "win-1690"sv,
};

constexpr std::string_view kFontNames[] = {
    "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9"sv,                  // ＭＳ 明朝
    "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e"sv,  // ＭＳ ゴシック
    "<\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e>"sv,  // <ＭＳ ゴシック>
    "Arial"sv,
};

constexpr std::string_view kBlockNames[] = {
    "\x95\x94\x95\x69" " A"sv,            // 部品 A
    "\x8c\x9a\x8b\xef"sv,                  // 建具
    "\x90\xdd\x94\xf5\x2d\x30\x31"sv,      // 設備-01
    "chair"sv,
};

constexpr std::string_view kLayerNames[] = {
    "\x8a\xee\x96\x7b"sv,                  // 基本
    "\x92\xca\x82\xe8\x90\x63"sv,          // 通り芯
    "\x95\xc7"sv,                          // 壁
    "\x92\x8c"sv,                          // 柱
    "\x90\xa1\x96\x40\x90\xfc"sv,          // 寸法線
    "\x8a\x4f\x8d\x5c"sv,                  // 外構 (trail byte 0x5C)
};

}  // namespace

std::span<const std::string_view> TextContents() { return kTextContents; }
std::span<const std::string_view> ParamNames() { return kParamNames; }
std::span<const std::string_view> FontNames() { return kFontNames; }
std::span<const std::string_view> BlockNames() { return kBlockNames; }
std::span<const std::string_view> LayerNames() { return kLayerNames; }

}  // namespace bench
