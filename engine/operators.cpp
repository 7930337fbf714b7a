#include "engine/operators.h"

#include "engine/arith.h"

#include <algorithm>
#include <cmath>

namespace {

// The operator on two ordinary values; a failure leaves its text in `msg`.
inline double operate(int op, double l, double r, const char*& msg) {
    switch (op) {
    case 1: // ^
        if (l == 0 && r < 0) {
            msg = kMsgDivisionByZero;
            return 0;
        }
        return std::pow(l, r);
    case 2: // /
        if (r == 0) {
            msg = kMsgDivisionByZero;
            return 0;
        }
        return l / r;
    case 3:
        return l * r;
    case 4:
        return l - r;
    case 5:
        return l + r;
    case 6: { // !-
        if (l == r) return kNoValue;
        if (l < r) return kErrorValue;
        const double pl = std::pow(10.0, l / 10);
        const double pr = std::pow(10.0, r / 10);
        if (std::isinf(pl) || std::isinf(pr)) {
            msg = kMsgOverflow;
            return 0;
        }
        // Levels so far apart in the negative that both powers vanish leave
        // nothing to take the logarithm of.
        if (!(pl - pr > 0)) {
            msg = kMsgInvalidCall;
            return 0;
        }
        return 10 * log10ByLn(pl - pr);
    }
    case 7: { // !+
        const double s = std::pow(10.0, l / 10) + std::pow(10.0, r / 10);
        if (std::isinf(s)) {
            msg = kMsgOverflow;
            return 0;
        }
        if (!(s > 0)) {
            msg = kMsgInvalidCall;
            return 0;
        }
        return 10 * log10ByLn(s);
    }
    case 8:
        return l == r ? -1 : 0;
    case 9:
        return l > r ? -1 : 0;
    case 10:
        return l < r ? -1 : 0;
    case 11:
        return l != r ? -1 : 0;
    case 12:
        return l >= r ? -1 : 0;
    case 13:
        return l <= r ? -1 : 0;
    default:
        msg = kMsgInvalidCall;
        return 0;
    }
}

// Combines band by band: the marker rules first, then `operate` on two
// ordinary values. One loop per operator keeps the choice out of the loop.
template <int Op>
std::string combine(const BandArray& l, const BandArray& r, BandArray& result, int nb) {
    for (int j = 1; j <= nb; ++j) {
        const double a = l[j];
        const double b = r[j];
        double v;
        // Markers lie in -999..-997; anything outside is an ordinary value.
        const bool maybeMarker =
            (a <= kErrorValue && a >= kNoValue) || (b <= kErrorValue && b >= kNoValue);
        if (maybeMarker && (a == kErrorValue || b == kErrorValue)) {
            v = kErrorValue;
        } else if (maybeMarker && (a == kMarked || b == kMarked)) {
            v = kMarked;
        } else if (maybeMarker && a == kNoValue && b == kNoValue) {
            v = kNoValue;
        } else if (maybeMarker && (a == kNoValue || b == kNoValue)) {
            // One rule for every operator, the energy ones included.
            v = kMarked;
        } else {
            const char* msg = nullptr;
            v = operate(Op, a, b, msg);
            if (!msg) msg = arithFailure(v);
            if (msg) return msg;
        }
        result[j] = v;
    }
    return std::string();
}

} // namespace

std::string ApplyOperator(int op, const BandArray& l, const BandArray& r, BandArray& result,
                          int bandCount, int) {
    const int nb = std::clamp(bandCount, 0, kMaxBands);
    switch (op) {
    case 1:
        return combine<1>(l, r, result, nb);
    case 2:
        return combine<2>(l, r, result, nb);
    case 3:
        return combine<3>(l, r, result, nb);
    case 4:
        return combine<4>(l, r, result, nb);
    case 5:
        return combine<5>(l, r, result, nb);
    case 6:
        return combine<6>(l, r, result, nb);
    case 7:
        return combine<7>(l, r, result, nb);
    case 8:
        return combine<8>(l, r, result, nb);
    case 9:
        return combine<9>(l, r, result, nb);
    case 10:
        return combine<10>(l, r, result, nb);
    case 11:
        return combine<11>(l, r, result, nb);
    case 12:
        return combine<12>(l, r, result, nb);
    case 13:
        return combine<13>(l, r, result, nb);
    default:
        return kMsgInvalidCall;
    }
}
