// Holding a head table still while a transform pass runs: the pass may
// share the records between two threads, which both read the table, so no
// rule may add a head meanwhile (THeadTable::Intern throws then).
#pragma once

#include "cadxform/head_table.h"

namespace cadxform {

class THeadTableFrozen {
 public:
  explicit THeadTableFrozen(THeadTable& table) : table_(table), was_(table.frozen_) { table_.frozen_ = true; }
  ~THeadTableFrozen() { table_.frozen_ = was_; }
  THeadTableFrozen(const THeadTableFrozen&) = delete;
  THeadTableFrozen& operator=(const THeadTableFrozen&) = delete;

 private:
  THeadTable& table_;
  const bool was_;
};

}  // namespace cadxform
