// One part of a transform pass as the library keeps it: the records of
// each array it visits, whether every value it noted was finite, and the
// texts and heads it set, which wait until the pass is over. A transform
// sees it only through its TRecordOps (cadxform/record_ops.h).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cadxform/drawing.h"
#include "cadxform/record_ops.h"

namespace cadxform {

// The records of each array that one part of a pass visits: indices
// [n * From / Den, n * To / Den) of an array of n records, 0 <= From <= To
// <= Den. The default is every record.
struct TRecordShare {
  int32_t From = 0, To = 1, Den = 1;

  int32_t Begin(int32_t n) const { return static_cast<int32_t>(int64_t{n} * From / Den); }
  int32_t End(int32_t n) const { return static_cast<int32_t>(int64_t{n} * To / Den); }
};

// Text contents and heads set by a part: only the thread that owns the
// drawing adds to its text pool and head table.
using TPendingTexts = std::vector<std::pair<TTextRef*, std::string>>;
using TPendingHeads = std::vector<std::pair<THeadRef*, TEntHead>>;

namespace detail {

class TPassWork {
 public:
  // onOtherThread: the part runs beside the drawing's own thread, so its
  // texts wait until the pass is over too; else they go into the pool at
  // once. Heads always wait (the head table is held still during a pass).
  TPassWork(TDrawing& d, TRecordShare share, bool onOtherThread)
      : Share(share), pool_(&d.TextPool), heads_(&d.Heads), textsWait_(onOtherThread) {}

  const TRecordShare Share;

  void NoteNotFinite() { bad_ = true; }
  bool AllFinite() const { return !bad_; }
  void SetText(TTextRef& ref, std::string text);
  void SetHead(THeadRef& ref, const TEntHead& head) { pendingHeads_.emplace_back(&ref, head); }
  const THeadTable& Heads() const { return *heads_; }

 private:
  friend void StorePending(TDrawing& d, TPassWork* const* parts, int count);

  TTextPool* pool_;
  const THeadTable* heads_;
  const bool textsWait_;
  TPendingTexts texts_;
  TPendingHeads pendingHeads_;
  bool bad_ = false;
};

// What Refuse throws: the message the run writes instead of the drawing.
// No std::exception, so that a rule's own catch of those lets it pass.
class TRefusal {
 public:
  explicit TRefusal(std::string_view message) : message_(message) {}
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

// Once the pass is over: stores the texts and heads that the parts (in this
// order) set, each part's in the order it set them.
void StorePending(TDrawing& d, TPassWork* const* parts, int count);

}  // namespace detail

}  // namespace cadxform
