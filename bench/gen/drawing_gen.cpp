// Generator of realistic exchange files.
#include "gen/drawing_gen.h"

#include <cassert>
#include <initializer_list>
#include <span>
#include <string_view>

#include "gen/sjis_texts.h"

namespace bench {

namespace {

constexpr std::string_view kEol = "\r\n";

// Drawing area and jumps, in whole drawing units.
constexpr int64_t kAreaMinX = -500, kAreaMaxX = 12000;
constexpr int64_t kAreaMinY = -500, kAreaMaxY = 8500;
constexpr int64_t kNearJump = 1500;

// Direction vectors of texts: mostly horizontal, some turned (the values a
// host writes for 90, 30, 45, 60 and 15 degrees).
constexpr const char* kTextDirs[] = {
    "1 0", "1 0", "1 0", "1 0", "1 0", "1 0", "0 1", "-1 0",
    "0.866025403784439 0.5", "0.707106781186548 0.707106781186548",
    "0.5 0.866025403784439", "0.965925826289068 0.258819045102521",
};

// Text keywords with weights: mostly "ch".
struct TWeighted {
  const char* text;
  int weight;
};
constexpr TWeighted kTextKeywords[] = {
    {"ch", 60}, {"cs", 10}, {"cv", 6}, {"cr", 4}, {"co", 4},
    {"cp", 4},  {"ct", 3},  {"ck", 3}, {"cz", 3}, {"c2", 3},
};

template <class T>
const T& Pick(TRng& rng, std::span<const T> items) {
  assert(!items.empty());
  return items[static_cast<size_t>(rng.Below(static_cast<int64_t>(items.size())))];
}

const char* PickWeighted(TRng& rng, std::span<const TWeighted> items) {
  int total = 0;
  for (const TWeighted& w : items) total += w.weight;
  int64_t r = rng.Below(total);
  for (const TWeighted& w : items) {
    if (r < w.weight) return w.text;
    r -= w.weight;
  }
  return items.back().text;
}

void PutInt(std::string& out, int64_t v) { Append(out, MilliText(v * 1000)); }

char HexDigit(int64_t v) { return "0123456789ABCDEF"[v & 15]; }

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

TDrawingGen::TDrawingGen(uint64_t seed) : rng_(seed) {}

void TDrawingGen::PutCoord(std::string& out, int64_t m) {
  out += ' ';
  Append(out, CoordText(rng_, m));
}

void TDrawingGen::PutPos(std::string& out, TPos p) {
  PutCoord(out, p.x);
  PutCoord(out, p.y);
}

void TDrawingGen::PutChoice(std::string& out, std::initializer_list<const char*> texts) {
  out += ' ';
  out += texts.begin()[rng_.Below(static_cast<int64_t>(texts.size()))];
}

TDrawingGen::TPos TDrawingGen::NextPos() {
  if (rng_.Chance(20)) {
    last_ = {rng_.Between(kAreaMinX * 1000, kAreaMaxX * 1000), rng_.Between(kAreaMinY * 1000, kAreaMaxY * 1000)};
  } else {
    last_.x = Clamp(last_.x + rng_.Between(-kNearJump * 1000, kNearJump * 1000), kAreaMinX * 1000, kAreaMaxX * 1000);
    last_.y = Clamp(last_.y + rng_.Between(-kNearJump * 1000, kNearJump * 1000), kAreaMinY * 1000, kAreaMaxY * 1000);
  }
  return last_;
}

int64_t TDrawingGen::NextLength(int64_t minUnits) {
  const int64_t pick = rng_.Below(100);
  const int64_t maxUnits = pick < 60 ? 500 : pick < 90 ? 3000 : 12000;
  return rng_.Between(minUnits * 1000, maxUnits * 1000);
}

void TDrawingGen::WriteHeader(std::string& out) {
  out += "file=C:\\CAD Data\\\x90\x7d\x96\xca\\bench";  // file=C:\CAD Data\図面\bench
  PutInt(out, static_cast<int64_t>(rng_.Below(1000)));
  out += ".dat";
  out += kEol;
  out += "hk 1\r\n";
  out += "hs 100 100 50 50 100 100 100 100 20 20 100 100 100 100 100 100\r\n";
  out += "hzs 841 594\r\n";
  out += "hcw 2 2.5 3 4 5 6 7 8 10 12\r\n";
  out += "hch 2 2.5 3 4 5 6 7 8 10 12\r\n";
  out += "hcd 0 0 0.5 0.5 0.5 1 1 1 1.5 2\r\n";
  out += "hcc 1 1 2 2 3 3 4 4 5 5\r\n";
  out += "hn 0 0 0 0\r\n";
  // Indicated points 1 and 2, always at least 500 units apart in x.
  const TPos p1{rng_.Between(500, 2000) * 1000, rng_.Between(500, 2000) * 1000};
  const TPos p2{p1.x + rng_.Between(500 * 1000, 5000 * 1000), p1.y + rng_.Between(0, 3000 * 1000)};
  out += "hp1";
  PutPos(out, p1);
  out += kEol;
  out += "hp2";
  PutPos(out, p2);
  out += kEol;
  out += "bz\r\n";
  // Names of the groups and layers in use, then the starting attributes.
  const std::span<const std::string_view> names = LayerNames();
  for (int64_t g = 0; g < 2; ++g) {
    out += "lg";
    out += HexDigit(g);
    out += kEol;
    out += "lgn";
    out += Pick(rng_, names);
    out += kEol;
    for (int64_t l = 0; l < 3; ++l) {
      out += "ly";
      out += HexDigit(l);
      out += kEol;
      out += "lyn";
      out += Pick(rng_, names);
      out += kEol;
    }
  }
  out += "lg0\r\nly0\r\nlc1\r\nlt1\r\nlw0\r\ncn3\r\ncc0\r\npn1\r\n";
  last_ = p1;
}

void TDrawingGen::WriteAttribute(std::string& out) {
  switch (rng_.Below(14)) {
    case 0:  // layer group, usually followed by its layer
      out += "lg";
      out += HexDigit(rng_.Chance(80) ? rng_.Below(4) : rng_.Below(16));
      if (rng_.Chance(20)) {
        out += ' ';
        PutInt(out, rng_.Between(1, 16));
      }
      out += kEol;
      [[fallthrough]];
    case 1:
    case 2:
      out += "ly";
      out += HexDigit(rng_.Chance(80) ? rng_.Below(4) : rng_.Below(16));
      break;
    case 3:
    case 4:
    case 5:
      out += "lc";
      PutInt(out, rng_.Between(1, 9));
      break;
    case 6:
      out += "lt";
      PutInt(out, rng_.Between(1, 9));
      break;
    case 7:
      out += "lw";
      PutInt(out, rng_.Between(0, 5));
      break;
    case 8:
      if (rng_.Chance(60)) {
        out += "cn";
        PutInt(out, rng_.Between(1, 10));
      } else {
        out += "cn0";
        PutChoice(out, {"3.5 3.5 0.5 2", "2.5 2.5 0 1", "5 5 1 3", "1.75 2.25 0.25 4"});
      }
      break;
    case 9:
      out += "cc";
      PutInt(out, rng_.Between(0, 8));
      break;
    case 10:
      out += "cn\"$";
      out += Pick(rng_, FontNames());
      break;
    case 11:
      out += "pn";
      PutInt(out, rng_.Between(1, 9));
      break;
    case 12:
      out += "lc10 ";
      PutInt(out, rng_.Between(0, 16777215));
      break;
    default:
      out += 'z';
      PutInt(out, rng_.Between(1, 5));
      break;
  }
  out += kEol;
}

void TDrawingGen::WriteAttributes(std::string& out) {
  if (!rng_.Chance(25)) return;
  WriteAttribute(out);
  if (rng_.Chance(30)) WriteAttribute(out);
}

void TDrawingGen::WriteLine(std::string& out) {
  const size_t start = out.size();
  const TPos p = NextPos();
  const int64_t len = NextLength(2) * (rng_.Chance(50) ? 1 : -1);
  const int64_t shape = rng_.Below(100);
  if (shape < 35) {  // horizontal: both ends share the y text
    const TNum y = CoordText(rng_, p.y);
    PutCoord(out, p.x);
    out += ' ';
    Append(out, y);
    PutCoord(out, p.x + len);
    out += ' ';
    Append(out, y);
  } else if (shape < 65) {  // vertical: both ends share the x text
    const TNum x = CoordText(rng_, p.x);
    out += ' ';
    Append(out, x);
    PutCoord(out, p.y);
    out += ' ';
    Append(out, x);
    PutCoord(out, p.y + len);
  } else {
    PutPos(out, p);
    PutPos(out, {p.x + len, p.y + rng_.Between(-Abs(len), Abs(len))});
  }
  out.erase(start, 1);  // the blank before the first number
  out += kEol;
}

int64_t TDrawingGen::WritePolyline(std::string& out, int64_t room) {
  // Two to eight segments, fewer only when the file has room for fewer.
  const int64_t segments = room < 2 ? 1 : rng_.Between(2, room < 8 ? room : 8);
  out += "pl\r\n";
  TPos p = NextPos();
  TNum x = CoordText(rng_, p.x), y = CoordText(rng_, p.y);
  for (int64_t k = 0; k < segments; ++k) {
    // Alternate horizontal and vertical runs, as outlines of walls do.
    const int64_t len = NextLength(2) * (rng_.Chance(50) ? 1 : -1);
    TPos q = p;
    TNum qx = x, qy = y;
    if (k % 2 == 0) {
      q.x += len;
      qx = CoordText(rng_, q.x);
    } else {
      q.y += len;
      qy = CoordText(rng_, q.y);
    }
    Append(out, x);
    out += ' ';
    Append(out, y);
    out += ' ';
    Append(out, qx);
    out += ' ';
    Append(out, qy);
    out += kEol;
    p = q;
    x = qx;
    y = qy;
  }
  last_ = p;
  out += "#\r\n";
  return segments;
}

void TDrawingGen::WriteCircle(std::string& out) {
  out += "ci";
  PutPos(out, NextPos());
  PutCoord(out, NextLength(1));
  out += kEol;
}

void TDrawingGen::WriteArc(std::string& out) {
  out += "ci";
  PutPos(out, NextPos());
  PutCoord(out, NextLength(1));
  PutChoice(out, {"0 90", "90 180", "180 270", "270 360", "0 180", "45 135", "30 330"});
  PutChoice(out, {"1", "1", "1", "0.5", "0.75"});
  PutChoice(out, {"0", "0", "0", "30", "45", "90", "135.5"});
  out += kEol;
}

void TDrawingGen::WriteText(std::string& out) {
  if (rng_.Chance(10)) {
    WriteParamText(out);
    return;
  }
  out += PickWeighted(rng_, kTextKeywords);
  PutPos(out, NextPos());
  out += ' ';
  out += Pick(rng_, std::span<const char* const>(kTextDirs));
  out += " \"";
  out += Pick(rng_, TextContents());
  out += kEol;
}

void TDrawingGen::WriteParamText(std::string& out) {
  out += "ch";
  PutPos(out, NextPos());
  out += " 1 0 \"^@BM";
  out += Pick(rng_, ParamNames());
  // Mostly the full list of six numbers; some files carry fewer.
  const int64_t fields = rng_.Chance(70) ? 6 : rng_.Between(1, 5);
  const char* const values[6] = {"900", "2000", "0", "0", "1", "90"};
  for (int64_t k = 0; k < fields; ++k) {
    out += ',';
    if (k < 2) {
      PutInt(out, rng_.Between(3, 36) * 50);
    } else if (k == 5) {
      PutInt(out, rng_.Below(4) * 90);
    } else {
      out += values[k];
    }
  }
  out += kEol;
}

void TDrawingGen::WritePoint(std::string& out) {
  out += "pt";
  PutPos(out, NextPos());
  out += kEol;
}

void TDrawingGen::WriteMark(std::string& out) {
  out += "pt";
  PutPos(out, NextPos());
  PutChoice(out, {"1", "1.5", "2", "3"});
  PutChoice(out, {"0", "0", "45", "90"});
  out += ' ';
  PutInt(out, rng_.Between(1, 9));
  out += kEol;
}

void TDrawingGen::WriteDim(std::string& out) {
  const TPos p = NextPos();
  const int64_t len = NextLength(2);
  const bool across = rng_.Chance(60);
  out += "msg\r\n";
  const size_t start = out.size();
  const TNum a = CoordText(rng_, across ? p.y : p.x);
  if (across) {
    PutCoord(out, p.x);
    out += ' ';
    Append(out, a);
    PutCoord(out, p.x + len);
    out += ' ';
    Append(out, a);
  } else {
    out += ' ';
    Append(out, a);
    PutCoord(out, p.y);
    out += ' ';
    Append(out, a);
    PutCoord(out, p.y + len);
  }
  out.erase(start, 1);  // the blank before the first number
  out += kEol;
  out += "cs";
  const int64_t offset = rng_.Between(1, 5) * 100;
  PutPos(out, across ? TPos{p.x + len / 2, p.y + offset} : TPos{p.x - offset, p.y + len / 2});
  out += across ? " 1 0 \"" : " 0 1 \"";
  Append(out, MilliText(rng_.Chance(70) ? (len + 500) / 1000 * 1000 : len));
  out += "\r\n#\r\n";
}

void TDrawingGen::WriteSolid(std::string& out, int corners) {
  const TPos p = NextPos();
  const int64_t w = NextLength(2), h = NextLength(2);
  const TNum xa = CoordText(rng_, p.x), xb = CoordText(rng_, p.x + w);
  const TNum ya = CoordText(rng_, p.y), yb = CoordText(rng_, p.y + h);
  // Corners in order: (xa, ya), (xb, ya), (xb, yb), (xa, yb); two corners
  // give a diagonal, three a right triangle, four a rectangle.
  const TNum* const xs[4] = {&xa, &xb, &xb, &xa};
  const TNum* const ys[4] = {&ya, &ya, &yb, &yb};
  out += "sl";
  for (int k = 0; k < corners; ++k) {
    const int c = corners == 2 && k == 1 ? 2 : k;
    out += ' ';
    Append(out, *xs[c]);
    out += ' ';
    Append(out, *ys[c]);
  }
  out += kEol;
}

void TDrawingGen::WriteSolidArc(std::string& out, const char* keyword) {
  out += keyword;
  PutPos(out, NextPos());
  PutCoord(out, NextLength(1));
  PutChoice(out, {"1", "1", "0.5"});
  PutChoice(out, {"0", "0", "0.785398163397448", "1.5707963267949"});
  PutChoice(out, {"0 1.5707963267949", "0 3.14159265358979", "1.5707963267949 4.71238898038469"});
  out += ' ';
  // Codes the writer keeps: "sc" 100, 5, 0, -1; "se" 100, 0.
  static constexpr const char* kScCodes[] = {"100", "5", "0", "-1"};
  out += keyword[1] == 'c' ? kScCodes[rng_.Below(4)] : rng_.Chance(50) ? "100" : "0";
  out += kEol;
}

void TDrawingGen::WriteSolidRing(std::string& out, const char* keyword) {
  out += keyword;
  PutPos(out, NextPos());
  // The inner radius stays at least 2 units inside the outer one, so the
  // rounded texts still keep it strictly inside.
  const int64_t r = NextLength(4);
  const int64_t r2 = rng_.Between(1000, r - 2000);
  PutCoord(out, r);
  PutChoice(out, {"1", "1", "0.5"});
  PutChoice(out, {"0", "0", "0.785398163397448"});
  PutChoice(out, {"0 6.28318530717959", "0 3.14159265358979"});
  PutCoord(out, r2);
  out += kEol;
}

void TDrawingGen::WriteBlock(std::string& out) {
  out += "BL";
  PutPos(out, NextPos());
  out += " \"";
  out += Pick(rng_, BlockNames());
  out += kEol;
}

int64_t TDrawingGen::WriteNext(std::string& out, int64_t room) {
  assert(room >= 1);
  WriteAttributes(out);
  const int64_t pick = rng_.Below(1000);
  if (pick < 380) {
    WriteLine(out);
  } else if (pick < 440) {
    return WritePolyline(out, room);
  } else if (pick < 500) {
    WriteCircle(out);
  } else if (pick < 550) {
    WriteArc(out);
  } else if (pick < 700) {
    WriteText(out);
  } else if (pick < 730) {
    WritePoint(out);
  } else if (pick < 755) {
    WriteMark(out);
  } else if (pick < 815) {
    WriteDim(out);
  } else if (pick < 835) {
    WriteSolid(out, 2);
  } else if (pick < 860) {
    WriteSolid(out, 3);
  } else if (pick < 900) {
    WriteSolid(out, 4);
  } else if (pick < 920) {
    WriteSolidArc(out, "sc");
  } else if (pick < 940) {
    WriteSolidArc(out, "se");
  } else if (pick < 960) {
    WriteSolidRing(out, "so");
  } else if (pick < 980) {
    WriteSolidRing(out, "sg");
  } else {
    WriteBlock(out);
  }
  return 1;
}

std::string GenerateDrawing(int64_t n, uint64_t seed) {
  TDrawingGen gen(seed);
  std::string out;
  gen.WriteHeader(out);
  for (int64_t done = 0; done < n;) done += gen.WriteNext(out, n - done);
  return out;
}

}  // namespace bench
