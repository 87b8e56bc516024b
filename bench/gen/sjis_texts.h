// Texts for generated drawings: code page 932 bytes, as a Japanese user's
// drawing holds them (room names, grid labels, font names, block names).
// Several hold a double-byte character whose second byte is 0x5C, and
// several hold blanks, so that readers are exercised as by real files.
#pragma once

#include <span>
#include <string_view>

namespace bench {

// Contents of text entities (Japanese and ASCII, some with blanks).
std::span<const std::string_view> TextContents();

// Names of parameter texts ("^@BM" + name + "," + numbers).
std::span<const std::string_view> ParamNames();

// Font names for the font line (after "cn", a double quote and "$").
std::span<const std::string_view> FontNames();

// Names of block references.
std::span<const std::string_view> BlockNames();

// Layer-group and layer names for the header (no blanks: the name is the
// rest of the first token).
std::span<const std::string_view> LayerNames();

}  // namespace bench
