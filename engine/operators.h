#pragma once
// The thirteen two-operand band operators of the formula language and the way
// the band value markers travel through them.
#include "engine/bands.h"

#include <string>

// Combines `l` and `r` band by band with operator `op` (its row of
// gOperators) into bands 1..bandCount of `result`. Returns "" or the
// arithmetic failure text that ends the formula. firstBand is not used.
// `result` may be `l` or `r` itself: each band is read before it is written.
std::string ApplyOperator(int op, const BandArray& l, const BandArray& r, BandArray& result,
                          int bandCount, int firstBand);
