#include "format/drawing_check.h"

#include <array>
#include <cstdint>
#include <vector>

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

// A layer group and a layer number the "lg" and "ly" lines can say (one
// hex digit each): both inside 0..15 exactly when, taken as unsigned, their
// bits together are.
bool AreGroupAndLayer(int32_t group, int32_t layer) {
  return (static_cast<uint32_t>(group) | static_cast<uint32_t>(layer)) <= 15;
}

// A short text the writer can write: at most 255 bytes, bytes to read
// behind any length, none that ends a line.
bool IsWritableText(TTextRef t) {
  if (t.Len == 0) return true;
  if (t.Len > kShortTextMax || t.Ptr == nullptr) return false;
  return !AnyLineBreaker(t.View());
}

// What is wrong with the records: a head id outside the table or naming a
// head of a group or layer outside 0..15, a text that cannot be written.
struct TRecordFaults {
  bool BadHead = false;
  bool BadText = false;
};

// Looks at every record for TRecordFaults. With kAnyBadHead false no head
// of the table is bad, and a head id need only be inside the table.
template <bool kAnyBadHead>
struct TRecordScan {
  // One flag per head of the table: 1 for one the writer cannot write.
  const uint8_t* BadHeads;
  uint32_t HeadCount;
  TRecordFaults Faults{};
  TTextRef LastFont{nullptr, 0};

  void Head(THeadRef ref) {
    const uint32_t id = ref.Id;
    if constexpr (kAnyBadHead) {
      Faults.BadHead |= id >= HeadCount || BadHeads[id] != 0;
    } else {
      Faults.BadHead |= id >= HeadCount;
    }
  }
  template <class E>
  void operator()(const E& e) {
    Head(e.Head);
  }
  void operator()(const TTextEnt& e) {
    Head(e.Head);
    Faults.BadText |= !IsWritableText(e.Text);
    // Runs of texts share one font name: each is looked at once.
    if (e.FontName.Ptr != LastFont.Ptr || e.FontName.Len != LastFont.Len) {
      LastFont = e.FontName;
      Faults.BadText |= !IsWritableText(e.FontName);
    }
  }
  void operator()(const TDimEnt& e) {
    Head(e.Head);
    Head(e.Line.Head);
    (*this)(e.Text);
  }
};

// Whether the input order names every record exactly once: an entry of a
// kind of no record, or an index beyond its kind's array, or a record named
// twice or never.
struct TOrderScan {
  // Records of each kind, and where each kind's records start among all
  // records; entry 0 (no kind) holds none, so that any entry of a code
  // outside 1..kKindCount is beyond its array.
  std::array<uint32_t, kKindCount + 1> Counts{};
  std::array<uint32_t, kKindCount + 1> Starts{};
  uint8_t* Named = nullptr;
  uint32_t Beyond = 0;  // the flag entries beyond their arrays mark
  bool BadKind = false;
  bool BadIndex = false;
  bool Twice = false;

  void operator()(const TOrderEntry& e) {
    const auto kind = static_cast<uint32_t>(e.Kind);
    const bool known = kind - 1 < static_cast<uint32_t>(kKindCount);
    const uint32_t k = known ? kind : 0;
    const bool inside = static_cast<uint32_t>(e.Index) < Counts[k];
    BadKind |= !known;
    BadIndex |= !inside;
    uint8_t& seen = Named[inside ? Starts[k] + static_cast<uint32_t>(e.Index) : Beyond];
    Twice |= inside & (seen != 0);
    seen = 1;
  }
};

// Whether the input order lists the records of each kind in turn, 0, 1,
// 2 ... up to the kind's count (`counts`, entry 0 for no kind holding
// none), as the reader lists them: such an order names every record
// exactly once, without a flag per record. Any other order is left to
// TOrderScan.
bool ListsEachKindInTurn(const TBlockArray<TOrderEntry>& order, const std::array<uint32_t, kKindCount + 1>& counts) {
  // Entries of no kind are counted in entry 0, which the counts leave at 0.
  std::array<uint32_t, kKindCount + 1> next{};
  uint32_t offTurn = 0;  // bits where an index differs from its kind's next
  order.ForEach([&](const TOrderEntry& e) {
    const auto kind = static_cast<uint32_t>(e.Kind);
    const uint32_t k = kind <= static_cast<uint32_t>(kKindCount) ? kind : 0;
    offTurn |= static_cast<uint32_t>(e.Index) ^ next[k];
    ++next[k];
  });
  return offTurn == 0 && next == counts;
}

// Whether a head of the table names a group or layer outside 0..15: the
// bits of every group and layer number together, taken as unsigned, are
// above 15 exactly when one is.
bool AnyBadHead(const THeadTable& heads) {
  uint32_t bits = 0;
  detail::EntriesOf(heads).ForEach(
      [&](const TEntHead& h) { bits |= static_cast<uint32_t>(h.Group) | static_cast<uint32_t>(h.Layer); });
  return bits > 15;
}

// One flag per head of the table: 1 for a head of a group or layer outside
// 0..15.
std::vector<uint8_t> BadHeadsOf(const THeadTable& heads) {
  std::vector<uint8_t> bad;
  bad.reserve(static_cast<size_t>(heads.Count()));
  detail::EntriesOf(heads).ForEach([&](const TEntHead& h) { bad.push_back(!AreGroupAndLayer(h.Group, h.Layer)); });
  return bad;
}

// Scans every record for faults, noting in `order` each kind's count and
// where its records start among all; `total` becomes the number of records.
// `badHeads` holds a flag per head when kAnyBadHead is true.
template <bool kAnyBadHead>
TRecordFaults ScanRecords(const TDrawing& d, const uint8_t* badHeads, TOrderScan& order, uint32_t& total) {
  TRecordScan<kAnyBadHead> records{badHeads, static_cast<uint32_t>(d.Heads.Count())};
  total = 0;
  ForEachKind(d, [&](TEntKind kind, const auto& array) {
    array.ForEach(records);
    order.Counts[kind] = static_cast<uint32_t>(array.Count());
    order.Starts[kind] = total;
    total += static_cast<uint32_t>(array.Count());
  });
  return records.Faults;
}

}  // namespace

bool BreaksLine(std::string_view s) { return AnyLineBreaker(s); }

const char* FindUnwritable(const TDrawing& d) {
  // Nearly always no head is bad, and no flag per head is needed.
  const bool anyBadHead = AnyBadHead(d.Heads);
  const std::vector<uint8_t> badHeads = anyBadHead ? BadHeadsOf(d.Heads) : std::vector<uint8_t>();
  TOrderScan order;
  uint32_t total = 0;
  const TRecordFaults records = anyBadHead ? ScanRecords<true>(d, badHeads.data(), order, total)
                                           : ScanRecords<false>(d, badHeads.data(), order, total);
  // One flag per record, and one more that entries beyond their arrays
  // mark, unless each kind is listed in turn.
  std::vector<uint8_t> named;
  if (!ListsEachKindInTurn(d.Order, order.Counts)) {
    named.assign(size_t{total} + 1, 0);
    order.Named = named.data();
    order.Beyond = total;
    d.Order.ForEach(order);
  }
  if (records.BadHead) return "a record whose head id is not in the head table, or whose group or layer is not 0 to 15";
  if (!AreGroupAndLayer(d.First.Group, d.First.Layer)) {
    return "a first layer group or layer that is not 0 to 15";
  }
  if (records.BadText || BreaksLine(d.First.FontName)) return "a text longer than 255 bytes or holding CR, LF or NUL";
  if (order.BadKind) return "an input-order entry of no record kind";
  if (order.BadIndex) return "an input-order entry whose index is not a record of its kind";
  if (order.Twice || static_cast<uint32_t>(d.Order.Count()) != total) {
    return "an input order that does not name every record once";
  }
  return nullptr;
}

}  // namespace cadxform
