#pragma once
// The formula functions that draw reference curves and give propagation, room
// and insulation corrections. Each is one case of EvalFunction: same arguments
// minus the function number, same message text ("" on success). EvalFunction
// has checked the argument count before it calls one.
#include "engine/arith.h"
#include "engine/bands.h"

#include <algorithm>
#include <cmath>
#include <string>

// Criterion and reference curves of a rating.
std::string fnNR(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                 int firstBand);
std::string fnNC(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                 int firstBand);
std::string fnRC(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                 int firstBand);
std::string fnSTC(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);
std::string fnRw(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                 int firstBand);
std::string fnPNC(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);
std::string fnLnw(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);
std::string fnIIC(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);

// Outdoor propagation corrections.
std::string fnBarCor(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand);
std::string fnAirAbs(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand);
std::string fnDistPo(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand);
std::string fnDistLi(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand);
std::string fnDistPl(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand);

// Room and insulation.
std::string fnCompTL(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand);
std::string fnDnT(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);
std::string fnPlen(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                   int firstBand);
std::string fnRmC(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);

// Shared by the function files above.
namespace fnlib {

// Bands actually written: never past the band array, whatever the caller passes.
inline int bandsOf(int bandCount) {
    return std::clamp(bandCount, 0, kMaxBands);
}

// The greatest marker among arguments 1..n in band j (-997 before -998 before
// -999), or 0 when every argument holds an ordinary value.
inline double greatestMarker(const ArgMatrix& args, int n, int j) {
    double g = -1000;
    for (int a = 1; a <= n; ++a) {
        const double v = args(j, a);
        if (isMarker(v) && v > g) g = v;
    }
    return g > -1000 ? g : 0;
}

// Writes v into band j, or returns the arithmetic failure text when v is not
// a finite number (nothing is written then).
inline const char* store(BandArray& result, int j, double v) {
    if (const char* failure = arithFailure(v)) return failure;
    result(j) = v;
    return nullptr;
}

} // namespace fnlib
