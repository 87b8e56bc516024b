// mirror SCOPE: reflects the entities of the exchange file about the line
// through indicated points 1 and 2, keeping texts readable (TMirror).
// SCOPE exactly 1 = every entity, else the file's first layer group. The
// library's run sequence does everything else.
#include <cadxform/cadxform.h>

using namespace cadxform;

// "反転の軸にする2点を指示してください" in code page 932.
constexpr std::string_view kPickTheAxis =
    "\x94\xBD\x93\x5D\x82\xCC\x8E\xB2\x82\xC9\x82\xB7\x82\xE9\x32\x93\x5F\x82\xF0\x8E\x77\x8E\xA6\x82\xB5\x82\xC4"
    "\x82\xAD\x82\xBE\x82\xB3\x82\xA2";

int main(int argc, char** argv) {
  return RunExternalTransform(argc, argv, [](TRunContext& run) {
    const THpPoint& a = run.Drawing().HpPoints[1];
    const THpPoint& b = run.Drawing().HpPoints[2];
    if (!a.Defined || !b.Defined) return run.Message(kPickTheAxis);
    if (Distance(a.X, a.Y, b.X, b.Y) < 1e-8) return trSamePoint;
    return run.Transform(TMirror(a.X, a.Y, b.X, b.Y));
  });
}
