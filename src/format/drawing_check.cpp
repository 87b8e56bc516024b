#include "format/drawing_check.h"

#include <array>
#include <cstdint>

#include "cadxform/record_kinds.h"

namespace cadxform {

namespace {

// The bytes that end or cut a line of the file.
constexpr std::array<bool, 256> kLineBreakers = [] {
  std::array<bool, 256> t{};
  t['\r'] = t['\n'] = t['\0'] = true;
  return t;
}();

// Every test below is made without a branch per value: the checks run
// once per entity before every write, and nearly always find nothing.
bool AnyLineBreaker(std::string_view s) {
  bool any = false;
  for (const char c : s) any |= kLineBreakers[static_cast<unsigned char>(c)];
  return any;
}

// The largest head id and whether any text breaks a line, over records.
struct TRecordScan {
  uint32_t MaxHead = 0;
  bool TextBreaks = false;
  TTextRef lastFont{nullptr, 0};

  void Head(THeadRef ref) { MaxHead = ref.Id > MaxHead ? ref.Id : MaxHead; }
  template <class E>
  void operator()(const E& e) {
    Head(e.Head);
  }
  void operator()(const TTextEnt& e) {
    Head(e.Head);
    TextBreaks |= AnyLineBreaker(e.Text.View());
    // Runs of texts share one font name: each is looked at once.
    if (e.FontName.Ptr != lastFont.Ptr || e.FontName.Len != lastFont.Len) {
      lastFont = e.FontName;
      TextBreaks |= AnyLineBreaker(e.FontName.View());
    }
  }
  void operator()(const TDimEnt& e) {
    Head(e.Head);
    Head(e.Line.Head);
    (*this)(e.Text);
  }
};

// Whether an input-order entry names a kind of no record, or an index
// beyond its kind's array.
struct TOrderScan {
  // Records of each kind; entry 0 (no kind) holds none, so that any entry
  // of a code outside 1..kKindCount is beyond its array.
  std::array<uint32_t, kKindCount + 1> Counts{};
  bool BadKind = false;
  bool BadIndex = false;

  void operator()(const TOrderEntry& e) {
    const auto kind = static_cast<uint32_t>(e.Kind);
    const bool known = kind - 1 < static_cast<uint32_t>(kKindCount);
    BadKind |= !known;
    BadIndex |= static_cast<uint32_t>(e.Index) >= Counts[known ? kind : 0];
  }
};

}  // namespace

bool BreaksLine(std::string_view s) { return AnyLineBreaker(s); }

const char* FindUnwritable(const TDrawing& d) {
  TRecordScan records;
  TOrderScan order;
  ForEachKind(d, [&](TEntKind kind, const auto& array) {
    array.ForEach(records);
    order.Counts[kind] = static_cast<uint32_t>(array.Count());
  });
  d.Order.ForEach(order);
  if (static_cast<int64_t>(records.MaxHead) >= d.Heads.Count()) return "a record whose head id is not in the head table";
  if (records.TextBreaks || BreaksLine(d.First.FontName)) return "a text holding CR, LF or NUL";
  if (order.BadKind) return "an input-order entry of no record kind";
  if (order.BadIndex) return "an input-order entry whose index is not a record of its kind";
  return nullptr;
}

}  // namespace cadxform
