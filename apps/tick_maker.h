#pragma once
// The ticks of a data stream: each data row gives the value of every planned line from its
// column, or a gap where the row has no such column or the field is not a number. Gaps, rows
// of another width than the header and rows too wide are reported here, where they are seen.
//
// Call order: TickMaker(lines, headerWidth, messages) -> Take(row) for every data row.
#include <vector>

#include "apps/column_plan.h"
#include "apps/messages.h"
#include "apps/row_splitter.h"
#include "apps/tick.h"

namespace kavrin::app {

class TickMaker {
 public:
  // headerWidth: the fields a row has by the header, 0 without one.
  TickMaker(std::vector<PlannedLine> lines, size_t headerWidth, Messages& messages);
  TickMaker(const TickMaker&) = delete;
  TickMaker& operator=(const TickMaker&) = delete;

  // The tick of one data row (valid until the next Take; its `where` until the row's next Feed).
  const Tick& Take(const RowSplitter& row);

 private:
  std::vector<PlannedLine> lines_;
  size_t headerWidth_;
  Messages& messages_;
  const RowSplitter* row_ = nullptr;
  Tick tick_;
};

}  // namespace kavrin::app
