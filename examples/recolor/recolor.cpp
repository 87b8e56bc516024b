// recolor: an external transformation that writes every entity of the
// exchange file in one colour.
//
// The host writes ZPH_TEMP.TXT beside this executable and starts it with
// the colour number as the first argument (and, for colour 10, the RGB
// value of solids as the second). recolor changes no record: it writes
// every entity again with the emission's colour override. Everything else
// stays as it was: layers, line types and widths, texts with their own
// colours, the order of the entities. The library's run sequence reads and
// replaces the file and reports every failure.
//
// Usage: recolor COLOUR [RGB]   e.g. "recolor 5"
// A missing or malformed colour (it reads as 0) or a negative one leaves
// the colours as they are.
#include <cadxform/cadxform.h>

using namespace cadxform;

int main(int argc, char** argv) {
  return RunExternalTransform(argc, argv, [](TRunContext& run) {
    const int32_t color = run.IntArgument(1);
    if (color > 0) run.Overrides.ColorOverride = color;
    run.Overrides.RgbOverride = run.IntArgument(2);
    return trDone;
  });
}
