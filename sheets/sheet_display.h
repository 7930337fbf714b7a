#pragma once
// Redraws what the active sheet window shows of its current record besides
// the grid: the level boxes and the small chart.
#include "platform/db/recordset.h"

#include <vector>

// Level box j takes the colour and text of band j of the current record of
// the active window (all boxes empty at the end of the record set).
void FillLevBoxes(int nBands);

// Redraws the active window's small chart from its current record and
// refreshes its grid. A value the chart cannot take is reported by message.
void FillChart(int nBands, int firstBand);

// The current record of a record set in field order; empty, with `atEnd`
// set, when there is no current record.
std::vector<db::Value> currentFields(db::Recordset& rs, bool& atEnd);
