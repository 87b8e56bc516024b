#include "transforms/pass_work.h"

#include "format/pass_freeze.h"

namespace cadxform {

namespace detail {

void TPassWork::SetText(TTextRef& ref, std::string text) {
  if (textsWait_) {
    texts_.emplace_back(&ref, std::move(text));
  } else {
    ref = TDrawingHeldStill::AddOwnText(*pool_, text);
  }
}

void StorePending(TDrawing& d, TPassWork* const* parts, int count) {
  for (int i = 0; i < count; ++i) {
    for (auto& [ref, text] : parts[i]->texts_) *ref = d.TextPool.AddShort(text);
    for (auto& [ref, head] : parts[i]->pendingHeads_) *ref = InternHead(d, head);
  }
}

int32_t PassFirst(const TPassWork& work, int32_t n) { return work.Share.Begin(n); }
int32_t PassEnd(const TPassWork& work, int32_t n) { return work.Share.End(n); }
void NoteNotFinite(TPassWork& work) { work.NoteNotFinite(); }
void SetText(TPassWork& work, TTextRef& ref, std::string text) { work.SetText(ref, std::move(text)); }
void SetHead(TPassWork& work, THeadRef& ref, const TEntHead& head) { work.SetHead(ref, head); }
const THeadTable& HeadsOf(const TPassWork& work) { return work.Heads(); }
void Refuse(std::string_view message) { throw TRefusal(message); }
void RefuseForeignField() {
  throw TPassRuleBroken("the transform set a text or head of another record than the one its rule was given");
}

}  // namespace detail

}  // namespace cadxform
