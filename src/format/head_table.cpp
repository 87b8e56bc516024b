#include "cadxform/head_table.h"

#include <cassert>
#include <cstring>

#include "format/pass_freeze.h"

namespace cadxform {

void THeadTable::Clear() {
  if (frozen_) throw TPassRuleBroken("the transform cleared the head table while the pass ran");
  heads_.Clear();
  heads_.Append();  // id 0: the all-zero head of a zero-filled record
  for (int i = 0; i < kRecent; ++i) recentHeads_[i] = TEntHead{}, recentIds_[i] = 0;
}

namespace {
// The head has no padding: one block comparison.
bool SameHead(const TEntHead& a, const TEntHead& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
}  // namespace

// Kept out of line: InternInSlot settles most calls by the slot alone, and
// pays for this body's registers and the append only when it misses.
[[gnu::noinline]] uint32_t THeadTable::InternAt(const TEntHead& head, int slot) {
  assert(slot >= 0 && slot < kRecent);
  if (frozen_) throw TPassRuleBroken("the transform added a head to the drawing while the pass ran (use its ops.SetHead)");
  // Equal heads in two slots have the same id (a head enters a slot only
  // when it is in none), so the slots can be searched in any order.
  for (int i = 0; i < kRecent; ++i) {
    if (SameHead(recentHeads_[i], head)) return recentIds_[i];
  }
  heads_.Append() = head;
  const auto id = static_cast<uint32_t>(heads_.Count() - 1);
  recentHeads_[slot] = head;
  recentIds_[slot] = id;
  return id;
}

namespace detail {

uint32_t InternInSlot(THeadTable& table, const TEntHead& head, int slot) {
  assert(slot >= 0 && slot < THeadTable::kRecent);
  // The head of the entity before, in the same slot: no further test.
  if (!table.frozen_ && SameHead(table.recentHeads_[slot], head)) return table.recentIds_[slot];
  return table.InternAt(head, slot);
}
const TBlockArray<TEntHead>& EntriesOf(const THeadTable& table) { return table.heads_; }

}  // namespace detail

}  // namespace cadxform
