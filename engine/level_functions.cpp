// log, loge, Awt, Cwt, logsum, logav and if.
#include "engine/level_functions.h"

#include "engine/arith.h"
#include "tables/band_table.h"

#include <cmath>

namespace {

// log and loge: markers pass, a value that is not positive is an error.
std::string logarithm(const ArgMatrix& args, BandArray& result, int bandCount, bool base10) {
    for (int j = 1; j <= bandCount; ++j) {
        const double a = args(j, 1);
        if (isMarker(a))
            result[j] = a;
        else if (a <= 0)
            result[j] = kErrorValue;
        else
            result[j] = base10 ? log10ByLn(a) : std::log(a);
    }
    return std::string();
}

// A weighting that a band outside the band table, or outside the weighted
// range, does not have reads as -999.
double weightAt(const std::vector<double>& table, int row) {
    if (row < 1 || row >= static_cast<int>(table.size())) return kNoValue;
    return table[static_cast<size_t>(row)];
}

std::string weighted(const ArgMatrix& args, BandArray& result, int bandCount, int firstBand,
                     const std::vector<double>& weights) {
    for (int j = 1; j <= bandCount; ++j) {
        const double a = args(j, 1);
        const double w = weightAt(weights, bandTableIndex(firstBand, j, bandCount));
        if (isMarker(a))
            result[j] = a;
        else if (w == kNoValue)
            result[j] = kNoValue;
        else
            result[j] = a + w;
    }
    return std::string();
}

std::string energySum(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                      bool average) {
    for (int j = 1; j <= bandCount; ++j) {
        int noValues = 0;
        double flagged = 0; // largest of -998 / -997 seen
        for (int a = 1; a <= argCount; ++a) {
            const double v = args(j, a);
            if (v == kNoValue)
                ++noValues;
            else if ((v == kMarked || v == kErrorValue) && (flagged == 0 || v > flagged))
                flagged = v;
        }
        if (noValues == argCount) {
            result[j] = kNoValue;
        } else if (flagged == kErrorValue) {
            // An error is never hidden behind a band that merely has no value.
            result[j] = kErrorValue;
        } else if (noValues > 0 || flagged != 0) {
            result[j] = kMarked;
        } else {
            double s = 0;
            for (int a = 1; a <= argCount; ++a) {
                const double p = std::pow(10.0, args(j, a) / 10);
                if (std::isinf(p)) return kMsgOverflow;
                s += p;
            }
            if (std::isinf(s)) return kMsgOverflow;
            if (!(s > 0))
                result[j] = kNoValue;
            else
                result[j] = 10 * log10ByLn(average ? s / argCount : s);
        }
    }
    return std::string();
}

} // namespace

std::string fnLog(const ArgMatrix& args, int, BandArray& result, int bandCount, int) {
    return logarithm(args, result, bandCount, true);
}

std::string fnLoge(const ArgMatrix& args, int, BandArray& result, int bandCount, int) {
    return logarithm(args, result, bandCount, false);
}

std::string fnAwt(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    return weighted(args, result, bandCount, firstBand, gAWeight);
}

std::string fnCwt(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    return weighted(args, result, bandCount, firstBand, gCWeight);
}

std::string fnLogsum(const ArgMatrix& args, int argCount, BandArray& result, int bandCount, int) {
    return energySum(args, argCount, result, bandCount, false);
}

std::string fnLogav(const ArgMatrix& args, int argCount, BandArray& result, int bandCount, int) {
    return energySum(args, argCount, result, bandCount, true);
}

std::string fnIf(const ArgMatrix& args, int, BandArray& result, int bandCount, int) {
    for (int j = 1; j <= bandCount; ++j) {
        const double a = args(j, 1);
        if (isMarker(a))
            result[j] = a;
        else if (a != 0)
            result[j] = args(j, 2);
        else
            result[j] = args(j, 3);
    }
    return std::string();
}
