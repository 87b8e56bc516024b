// recolor: an external transformation that writes every entity of the
// exchange file in one colour.
//
// The host writes ZPH_TEMP.TXT beside this executable and starts it with
// the colour number as the first argument (and, for colour 10, the RGB
// value of solids as the second). recolor reads the file, writes every
// entity again with the emission's colour override and replaces the file
// safely. Everything else stays as it was: layers, line types and widths,
// texts with their own colours, the order of the entities.
//
// Usage: recolor COLOUR [RGB]   e.g. "recolor 5"
// A missing or malformed colour (it reads as 0) or a negative one leaves
// the colours as they are.
#include <cadxform/cadxform.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <string_view>

using namespace cadxform;

namespace {

// The message the host shows when recolor could not do its work:
// "変換できませんでした" in code page 932, the host's code page.
constexpr std::string_view kFailedMessage =
    "\x95\xCF\x8A\xB7\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";

// Replaces the exchange file by the single line "h#" + message, so the host
// never takes its own input, or part of it, back as the result.
void WriteFailure(const platform::TPath& path) {
  try {
    TWriteState w;
    AddMessageLine(w.Out, kFailedMessage);
    WriteExchangeFile(w, path);
  } catch (const std::bad_alloc&) {
  }
}

// Reads the drawing at path and writes it back with the overrides.
// Returns false when the file could not be read or written.
bool Rewrite(const platform::TPath& path, const TEmitOverrides& overrides) {
  TDrawing d;
  if (!ReadExchangeFile(path, d)) return false;
  TWriteState w;
  ResetAttrState(w, d);        // the first entity gets all its attribute lines
  BeginExchangeFile(w, path);  // the output goes to a temporary file first
  AddOutLine(w.Out, "hd");     // the first line of every result
  EmitAll(d, w, overrides, platform::EscapeKeyDown);
  return WriteExchangeFile(w, path);  // flush, then replace the file
}

}  // namespace

int main(int argc, char** argv) {
  EnsureExtendedPrecision();
  const platform::TPath exe = platform::ExecutablePath();
  if (exe.empty()) {
    std::fprintf(stderr, "recolor: cannot find the folder of the executable\n");
    return 1;
  }
  const platform::TPath path = platform::ExeDirOf(exe) / "ZPH_TEMP.TXT";

  TEmitOverrides overrides;  // every field "as the entity has it"
  const int32_t color = argc > 1 ? StrToIntOrZero(argv[1]) : 0;
  if (color > 0) overrides.ColorOverride = color;
  if (argc > 2) overrides.RgbOverride = StrToIntOrZero(argv[2]);

  try {
    if (Rewrite(path, overrides)) return 0;
  } catch (const std::bad_alloc&) {
    // Out of memory: the drawing is released now, the message may fit.
  }
  platform::PrintPathLine(stderr, "recolor: could not rewrite ", path);
  WriteFailure(path);
  return 1;
}
