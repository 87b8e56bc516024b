// Eight bytes at a time: the word loads and lane constants shared by the
// tokenizer and the number parser, which test a token's bytes in 64-bit
// words instead of one by one.
//
// Example: LoadWord("12345678") has '1' (0x31) in its lowest byte on every
// platform, so lane k holds byte k of the text.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace cadxform {

// One in every byte lane; times b, the byte b in every lane.
inline constexpr uint64_t kOnes = 0x0101010101010101u;
// The high bit of every byte lane.
inline constexpr uint64_t kHighBits = 0x8080808080808080u;

// The 8 bytes at p as a word, the first byte in the lowest lane.
inline uint64_t LoadWord(const char* p) {
  uint64_t w = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&w, p, 8);
  } else {
    for (int i = 7; i >= 0; --i) w = (w << 8) | static_cast<unsigned char>(p[i]);
  }
  return w;
}

}  // namespace cadxform
