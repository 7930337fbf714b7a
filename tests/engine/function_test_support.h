#pragma once
// Shared pieces of the formula function tests: calling one function body
// directly, and evaluating a formula on a small sheet.
#include "engine/formula.h"
#include "engine/function_library.h"
#include "engine/functions.h"
#include "tables/vocabulary.h"

#include <cmath>
#include <initializer_list>
#include <string>

namespace function_tests {

using Body = std::string (*)(const ArgMatrix&, int, BandArray&, int, int);

constexpr double kPi = 3.14159265358979;

struct Sheet {
    int bandCount;
    int firstBand;
};

struct Out {
    std::string msg;
    BandArray band;
};

// Arguments that hold one value in every band.
inline ArgMatrix constants(std::initializer_list<double> values) {
    ArgMatrix m;
    for (double v : values)
        m.addColumn().v.fill(v);
    return m;
}

// A refused call writes nothing, so every band starts as 12345.
inline Out call(Body fn, const ArgMatrix& args, Sheet sheet) {
    Out o;
    o.band.v.fill(12345);
    o.msg = fn(args, args.count(), o.band, sheet.bandCount, sheet.firstBand);
    return o;
}

// Through the function frame, by the function's name as the table spells it.
inline Out callByName(const std::string& name, const ArgMatrix& args, Sheet sheet) {
    int funcNo = 0;
    for (int k = 1; k <= gFuncCount; ++k)
        if (gFuncNames[static_cast<size_t>(k)] == name) funcNo = k;
    Out o;
    o.band.v.fill(12345);
    o.msg = EvalFunction(funcNo, args, args.count(), o.band, sheet.bandCount, sheet.firstBand);
    return o;
}

inline double lg(double x) {
    return std::log10(x);
}

// Through the evaluator: a sheet whose spectrum 1 holds `s1`.
inline Out formula(std::string text, Sheet sheet, double s1 = 50) {
    SheetMatrix m(2, sheet.bandCount);
    for (int j = 1; j <= sheet.bandCount; ++j)
        m(1, j) = s1;
    Out o;
    o.band.v.fill(12345);
    o.msg = EvalFormula(m, 2, text, o.band, 2, sheet.bandCount, sheet.firstBand);
    return o;
}

} // namespace function_tests
