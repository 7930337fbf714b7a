#pragma once
// The function library of the formula language: one entry point that checks
// the argument count and hands the call to the function's body.
#include "engine/bands.h"

#include <string>

// Computes function `funcNo` (its row of gFuncNames) band by band from the
// argument matrix into `result`. Returns "" on success, else the message that
// ends the formula ("Wrong number of parameters - " and the name, or an
// arithmetic failure text). No NaN or infinity is ever left in a band.
std::string EvalFunction(int funcNo, const ArgMatrix& args, int argCount, BandArray& result,
                         int bandCount, int firstBand);

// Whether function `funcNo` accepts `argCount` arguments. Checked before the
// body runs, so a body never sees a count it does not take.
bool functionAcceptsArgCount(int funcNo, int argCount);

// Whether band j of function `funcNo`'s result comes from band j of its
// arguments alone, whatever the band's place in the band table: then
// arguments that hold one value in every band give one value in every band.
bool functionIgnoresBandPlace(int funcNo);

// One function's body. EvalFunction calls it only with an accepted argument
// count, with argCount <= args.count() and bandCount within 0..kMaxBands.
// Reads band j of the arguments for band j of the result; returns "" or a
// message.
using FunctionBody = std::string (*)(const ArgMatrix& args, int argCount, BandArray& result,
                                     int bandCount, int firstBand);
