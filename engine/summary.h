#pragma once
// Single-number summary ratings of one spectrum, as display texts.
#include "engine/bands.h"

#include <string>

// The rating of type number `type` (the row of gSummaryTypes; 0 or an unknown
// number gives "") of the band values, as the text a sheet stores in its
// Summary Val field.
std::string CalcSummary(int type, const BandArray& bands, int firstBand, int bandCount);
