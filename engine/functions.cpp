#include "engine/functions.h"

#include "engine/arith.h"
#include "engine/level_functions.h"
#include "tables/vocabulary.h"

#include <algorithm>

namespace {

std::string funcName(int funcNo) {
    if (funcNo >= 1 && funcNo < static_cast<int>(gFuncNames.size())) return gFuncNames[funcNo];
    return std::string();
}

// Placeholder for a function whose body is not built yet.
std::string notAvailable(int funcNo) {
    return "Function not available - " + funcName(funcNo);
}

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
        return notAvailable(funcNo); // NR
    case 6:
        return notAvailable(funcNo); // NC
    case 7:
        return notAvailable(funcNo); // RC
    case 8:
        return notAvailable(funcNo); // STC
    case 9:
        return fnLogsum(a, n, r, nb, fb);
    case 10:
        return fnLogav(a, n, r, nb, fb);
    case 11:
        return notAvailable(funcNo); // BarCor
    case 12:
        return notAvailable(funcNo); // AirAbs
    case 13:
        return notAvailable(funcNo); // DistPo
    case 14:
        return notAvailable(funcNo); // DistLi
    case 15:
        return notAvailable(funcNo); // DistPl
    case 16:
        return fnIf(a, n, r, nb, fb);
    case 17:
        return notAvailable(funcNo); // Rw
    case 18:
        return notAvailable(funcNo); // CompTL
    case 19:
        return notAvailable(funcNo); // DnT
    case 20:
        return notAvailable(funcNo); // PNC
    case 21:
        return notAvailable(funcNo); // Ln,w
    case 22:
        return notAvailable(funcNo); // IIC
    case 23:
        return notAvailable(funcNo); // Plen
    case 24:
        return notAvailable(funcNo); // RmC
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
