// rotate_scale SCOPE ANGLE FACTOR: turns the entities of the exchange file by
// ANGLE degrees counter-clockwise about indicated point 1 and scales them by
// FACTOR about it, through the library's transform pass and TSimilarity.
// SCOPE exactly 1 = every entity, else the file's first layer group.
#include <cadxform/cadxform.h>

#include <cstdio>
#include <new>
#include <string_view>

using namespace cadxform;

namespace {

// "変換できませんでした" ("could not transform") in code page 932.
constexpr std::string_view kFailedMessage =
    "\x95\xCF\x8A\xB7\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";

// Replaces the exchange file by the single line "h#" + message.
bool WriteMessage(const platform::TPath& path, std::string_view message) {
  TWriteState w;
  AddMessageLine(w.Out, message);
  return WriteExchangeFile(w, path);
}

// Reads, turns and scales, and rewrites the file; false when that failed.
bool Rewrite(const platform::TPath& path, bool all, double angle, double factor) {
  TDrawing d;
  if (!ReadExchangeFile(path, d)) return false;
  const TSelection sel = TSelection::Of(d, all);
  const THpPoint& base = d.HpPoints[1];
  // No turn and no scale: a translation by nothing, which touches positions
  // only, as the tool's translation does (a similarity would still
  // normalise degree angles and rewrite parameter texts).
  const bool finite = angle == 0 && factor == 1
      ? TransformDrawing(d, TTranslation{}, sel, DefaultPassCut(d))
      : TransformDrawing(d, TSimilarity(base.X, base.Y, base.X, base.Y, angle, factor), sel,
                         DefaultPassCut(d));
  // A value beyond the range of doubles: the host shows the message instead.
  if (!finite) return WriteMessage(path, kOutOfRangeMessage);
  TWriteState w;
  ResetAttrState(w, d);
  BeginExchangeFile(w, path);
  AddOutLine(w.Out, "hd");
  EmitAll(d, w, TEmitOverrides(), platform::EscapeKeyDown);
  return WriteExchangeFile(w, path);
}

}  // namespace

int main(int argc, char** argv) {
  EnsureExtendedPrecision();
  const platform::TPath exe = platform::ExecutablePath();
  if (exe.empty()) return 1;
  const platform::TPath path = platform::ExeDirOf(exe) / "ZPH_TEMP.TXT";
  const bool all = argc > 1 && StrToIntOrZero(argv[1]) == 1;
  const double angle = argc > 2 ? StrToFloatOrZero(argv[2]) : 0.0;
  const double factor = argc > 3 ? StrToFloatOrZero(argv[3]) : 1.0;
  try {
    if (Rewrite(path, all, angle, factor)) return 0;
  } catch (const std::bad_alloc&) {  // out of memory: the drawing is released now
  }
  platform::PrintPathLine(stderr, "rotate_scale: could not rewrite ", path);
  try {  // the host must never take its own input back as the result
    WriteMessage(path, kFailedMessage);
  } catch (const std::bad_alloc&) {
  }
  return 1;
}
