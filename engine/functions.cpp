#include "engine/functions.h"

#include "engine/arith.h"
#include "engine/function_library.h"
#include "engine/level_functions.h"
#include "tables/vocabulary.h"

#include <algorithm>

namespace {

// One line per function number: the body that computes it.
std::string dispatch(int funcNo, const ArgMatrix& a, int n, BandArray& r, int nb, int fb) {
    switch (funcNo) {
    case 1:
        return fnLog(a, n, r, nb, fb);
    case 2:
        return fnLoge(a, n, r, nb, fb);
    case 3:
        return fnAwt(a, n, r, nb, fb);
    case 4:
        return fnCwt(a, n, r, nb, fb);
    case 5:
        return fnNR(a, n, r, nb, fb);
    case 6:
        return fnNC(a, n, r, nb, fb);
    case 7:
        return fnRC(a, n, r, nb, fb);
    case 8:
        return fnSTC(a, n, r, nb, fb);
    case 9:
        return fnLogsum(a, n, r, nb, fb);
    case 10:
        return fnLogav(a, n, r, nb, fb);
    case 11:
        return fnBarCor(a, n, r, nb, fb);
    case 12:
        return fnAirAbs(a, n, r, nb, fb);
    case 13:
        return fnDistPo(a, n, r, nb, fb);
    case 14:
        return fnDistLi(a, n, r, nb, fb);
    case 15:
        return fnDistPl(a, n, r, nb, fb);
    case 16:
        return fnIf(a, n, r, nb, fb);
    case 17:
        return fnRw(a, n, r, nb, fb);
    case 18:
        return fnCompTL(a, n, r, nb, fb);
    case 19:
        return fnDnT(a, n, r, nb, fb);
    case 20:
        return fnPNC(a, n, r, nb, fb);
    case 21:
        return fnLnw(a, n, r, nb, fb);
    case 22:
        return fnIIC(a, n, r, nb, fb);
    case 23:
        return fnPlen(a, n, r, nb, fb);
    case 24:
        return fnRmC(a, n, r, nb, fb);
    default:
        return kMsgInvalidCall;
    }
}

} // namespace

bool functionAcceptsArgCount(int funcNo, int n) {
    switch (funcNo) {
    case 9:  // logsum
    case 10: // logav
        return n >= 1;
    case 11:
        return n == 5 || n == 6; // BarCor
    case 12:
        return n >= 1 && n <= 3; // AirAbs
    case 14:
        return n >= 1 && n <= 4; // DistLi
    case 15:
        return n == 2; // DistPl
    case 16:
        return n == 3; // if
    case 18:
        return n >= 2 && n % 2 == 0; // CompTL: pairs of area and TL
    case 19:
        return n == 3; // DnT
    case 23:
        return n >= 3 && n <= 5; // Plen
    case 24:
        return n == 2 || n == 4; // RmC
    default:
        return n == 1; // every other function takes one argument
    }
}

bool functionIgnoresBandPlace(int funcNo) {
    switch (funcNo) {
    case 1:  // log
    case 2:  // loge
    case 9:  // logsum
    case 10: // logav
    case 13: // DistPo
    case 14: // DistLi
    case 15: // DistPl
    case 16: // if
    case 18: // CompTL
    case 19: // DnT
    case 23: // Plen
        return true;
    default: // weightings, curves and corrections read the band's frequency
        return false;
    }
}

std::string EvalFunction(int funcNo, const ArgMatrix& args, int argCount, BandArray& result,
                         int bandCount, int firstBand) {
    if (funcNo < 1 || funcNo > gFuncCount || funcNo >= static_cast<int>(gFuncNames.size()))
        return kMsgInvalidCall;
    if (!functionAcceptsArgCount(funcNo, argCount))
        return "Wrong number of parameters - " + gFuncNames[funcNo];
    // The evaluator always passes as many columns as it counted; anything else
    // would read past the matrix.
    if (argCount > args.count()) return kMsgInvalidCall;
    const int nb = std::clamp(bandCount, 0, kMaxBands);
    std::string msg = dispatch(funcNo, args, argCount, result, nb, firstBand);
    if (!msg.empty()) return msg;
    for (int j = 1; j <= nb; ++j)
        if (const char* failure = arithFailure(result[j])) return failure;
    return msg;
}
