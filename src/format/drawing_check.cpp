#include "format/drawing_check.h"

#include <array>
#include <cstdint>

#include "cadxform/record_kinds.h"

namespace cadxform {

bool BreaksLine(std::string_view s) {
  for (const char c : s) {
    if (c == '\r' || c == '\n' || c == '\0') return true;
  }
  return false;
}

namespace {

constexpr const char* kBadHead = "a record whose head id is not in the head table";
constexpr const char* kBadText = "a text holding CR, LF or NUL";
constexpr const char* kBadKind = "an input-order entry of no record kind";
constexpr const char* kBadIndex = "an input-order entry whose index is not a record of its kind";

// What is wrong with one record of a kind, or nullptr.
struct TRecordCheck {
  const THeadTable& Heads;

  const char* Head(THeadRef ref) const {
    return static_cast<int64_t>(ref.Id) < Heads.Count() ? nullptr : kBadHead;
  }
  template <class E>
  const char* operator()(const E& e) const {
    return Head(e.Head);
  }
  const char* operator()(const TTextEnt& e) const {
    if (const char* bad = Head(e.Head)) return bad;
    return BreaksLine(e.Text.View()) || BreaksLine(e.FontName.View()) ? kBadText : nullptr;
  }
  const char* operator()(const TDimEnt& e) const {
    if (const char* bad = Head(e.Head)) return bad;
    if (const char* bad = Head(e.Line.Head)) return bad;
    return (*this)(e.Text);
  }
};

// The first fault of any record, in kind-code order.
const char* FindBadRecord(const TDrawing& d) {
  const TRecordCheck check{d.Heads};
  const char* bad = nullptr;
  ForEachKind(d, [&](TEntKind, const auto& records) {
    records.ForEach([&](const auto& e) {
      if (bad == nullptr) bad = check(e);
    });
  });
  return bad;
}

// The first fault of the input order: its kinds and indices.
const char* FindBadOrderEntry(const TDrawing& d) {
  std::array<int32_t, ekSg + 1> counts{};
  ForEachKind(d, [&](TEntKind kind, const auto& records) { counts[kind] = records.Count(); });
  const char* bad = nullptr;
  d.Order.ForEach([&](const TOrderEntry& e) {
    if (bad != nullptr) return;
    if (e.Kind < ekLine || e.Kind > ekSg) {
      bad = kBadKind;
    } else if (e.Index < 0 || e.Index >= counts[e.Kind]) {
      bad = kBadIndex;
    }
  });
  return bad;
}

}  // namespace

const char* FindUnwritable(const TDrawing& d) {
  if (BreaksLine(d.First.FontName)) return kBadText;
  if (const char* bad = FindBadRecord(d)) return bad;
  return FindBadOrderEntry(d);
}

}  // namespace cadxform
