// Entity heads and the table that holds them for the records.
//
// Every entity carries the seven attribute values of its head. Runs of
// entities share their attributes, so a record keeps a 4-byte THeadRef into
// the drawing's head table instead of the 28-byte head itself: a head is
// added to the table only when it equals none of the few heads handed out
// last. A drawing whose attributes change every few entities still holds
// far fewer heads than records; should every entity have a head of its own,
// a record costs 4 bytes more than one holding its head.
//
// Example:
//   TEntHead h{0, 2, 3, 1, 1, 0, 0};
//   rec.Head = InternHead(d, h);        // (drawing.h) same id for a run
//   d.Heads[rec.Head].Group == 2;
// A zero-filled record refers to the all-zero head (id 0).
#pragma once

#include <cstdint>

#include "cadxform/block_array.h"

namespace cadxform {

// Head of every entity record, taken from the reader's running attributes
// when the record is created.
struct TEntHead {
  int32_t HhpNo;      // number of the last "hhp" line before the entity
  int32_t Group;      // layer group 0..15
  int32_t Layer;      // layer 0..15 within the group
  int32_t Color;      // points: point colour; texts: colour of their text kind
  int32_t LineType;
  int32_t LineWidth;
  int32_t ZFlags;     // bits of the "z1".."z5" lines read before the entity

  friend bool operator==(const TEntHead&, const TEntHead&) = default;
};
static_assert(sizeof(TEntHead) == 7 * sizeof(int32_t), "compared as a block of bytes");

// A head as a record holds it: its id in the drawing's head table. Read it
// with THeadTable::operator[]; the head it names never changes.
struct THeadRef {
  uint32_t Id;
};

class THeadTable;
namespace detail {
// Intern with the recent head checked first and replaced by a new one
// (0..3): the reader gives each kind of head its own slot, so that the first
// check mostly succeeds (the library's own).
uint32_t InternInSlot(THeadTable& table, const TEntHead& head, int slot);
// Every entry of the table in id order, block by block.
const TBlockArray<TEntHead>& EntriesOf(const THeadTable& table);
}  // namespace detail

// The heads of a drawing's records, each with a stable id.
class THeadTable {
 public:
  // Heads kept in blocks from the heap, or from the drawing's memory.
  // Throws std::bad_alloc when the all-zero head cannot be stored.
  explicit THeadTable(detail::TBlockMemory* source = nullptr) : heads_(source) { Clear(); }

  // Id of a head equal to `head`: one of the heads handed out last, or a
  // new entry. Throws std::bad_alloc when a new entry cannot be added, and
  // std::logic_error while a transform pass runs (a rule sets a record's
  // head through its ops instead); the table is then unchanged.
  uint32_t Intern(const TEntHead& head) { return InternAt(head, 0); }

  // The head with this id (an id returned by Intern, or 0).
  const TEntHead& operator[](uint32_t id) const { return heads_[static_cast<int32_t>(id)]; }
  // The head a record refers to.
  const TEntHead& operator[](THeadRef ref) const { return (*this)[ref.Id]; }

  // Number of entries, the all-zero head included.
  int32_t Count() const { return heads_.Count(); }

  // Releases every head but the all-zero one, which keeps id 0. Throws
  // std::logic_error while a transform pass runs.
  void Clear();

 private:
  // Heads handed out last: consecutive entities mostly share their head,
  // or alternate between a few kinds.
  static constexpr int kRecent = 4;
  friend uint32_t detail::InternInSlot(THeadTable& table, const TEntHead& head, int slot);
  friend const TBlockArray<TEntHead>& detail::EntriesOf(const THeadTable& table);
  uint32_t InternAt(const TEntHead& head, int slot);

  // A transform pass holds the table still.
  friend class TDrawingHeldStill;
  bool frozen_ = false;
  TBlockArray<TEntHead> heads_;
  TEntHead recentHeads_[kRecent] = {};
  uint32_t recentIds_[kRecent] = {};
};

}  // namespace cadxform
