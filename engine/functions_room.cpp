// Room acoustics and sound insulation: composite transmission loss,
// standardised level difference, plenum insertion loss, room correction.
#include "engine/function_library.h"
#include "tables/band_table.h"

#include <cmath>

using namespace fnlib;

namespace {

constexpr double kTwoPi = 6.2832;
constexpr double kDegreesPerRadian = 57.2958;

// Band markers of CompTL and DnT: how many arguments hold -999, and whether
// -998 or -997 is present. An error beside a missing value stays an error.
struct CountedMarkers {
    int noValue = 0;
    bool marked = false;
    bool error = false;
};

CountedMarkers countMarkers(const ArgMatrix& args, int n, int j) {
    CountedMarkers m;
    for (int a = 1; a <= n; ++a) {
        const double v = args(j, a);
        if (v == kNoValue)
            ++m.noValue;
        else if (v == kMarked)
            m.marked = true;
        else if (v == kErrorValue)
            m.error = true;
    }
    return m;
}

// Mean of 1 / sqrt(1 + A x^2 + B y^2) over a 100 by 100 grid of the source's
// face, times 10000: the whole grid, so that the sides may come in either order.
double sourceExtentSum(double A, double B) {
    double sum = 0;
    for (int i1 = 1; i1 <= 100; ++i1) {
        const double x = (i1 - 0.5) / 100;
        for (int i2 = 1; i2 <= 100; ++i2) {
            const double y = (i2 - 0.5) / 100;
            sum += 1 / std::sqrt(1 + A * x * x + B * y * y);
        }
    }
    return sum;
}

} // namespace

std::string fnCompTL(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int /*firstBand*/) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        const CountedMarkers m = countMarkers(args, argCount, j);
        if (m.error) {
            result(j) = kErrorValue;
            continue;
        }
        if (m.noValue >= argCount / 2) {
            result(j) = kNoValue;
            continue;
        }
        if (m.noValue > 0 || m.marked) {
            result(j) = kMarked;
            continue;
        }
        double total = 0, power = 0;
        bool negativeArea = false;
        for (int a = 1; a < argCount; a += 2) {
            const double area = args(j, a);
            if (area < 0) negativeArea = true;
            total += area;
            power += area * std::pow(10.0, -args(j, a + 1) / 10);
        }
        // A wall without area has no transmission loss.
        if (negativeArea || total <= 0) {
            result(j) = kErrorValue;
            continue;
        }
        if (!(power > 0)) {
            if (const char* failure = arithFailure(power)) return failure;
            result(j) = kNoValue;
            continue;
        }
        if (const char* failure = store(result, j, -10 * log10ByLn(power / total))) return failure;
    }
    return {};
}

std::string fnDnT(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int /*firstBand*/) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        const CountedMarkers m = countMarkers(args, argCount, j);
        if (m.error) {
            result(j) = kErrorValue;
        } else if (m.noValue == 3) {
            result(j) = kNoValue;
        } else if (m.noValue > 0 || m.marked) {
            result(j) = kMarked;
        } else if (args(j, 3) <= 0) {
            result(j) = kErrorValue; // no reverberation time
        } else {
            const double v = (args(j, 1) - args(j, 2)) + 10 * log10ByLn(args(j, 3) / 0.5);
            if (const char* failure = store(result, j, v)) return failure;
        }
    }
    return {};
}

std::string fnPlen(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                   int /*firstBand*/) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        if (const double g = greatestMarker(args, argCount, j)) {
            result(j) = g;
            continue;
        }
        const double so = args(j, 1), s = args(j, 2), alpha = args(j, 3);
        const double d = argCount >= 4 ? args(j, 4) : 0;
        const double theta = argCount >= 5 ? args(j, 5) : 0;
        if (so <= 0 || s <= 0 || alpha <= 0 || alpha >= 1 || (argCount >= 4 && d <= 0) ||
            (argCount == 5 && (theta > 90 || theta < -90))) {
            result(j) = kErrorValue;
            continue;
        }
        const double reverberant = so * (1 - alpha) / (alpha * s);
        double v;
        if (argCount == 3) {
            v = -10 * log10ByLn(reverberant);
        } else if (argCount == 4) {
            v = -10 * log10ByLn(so / (kTwoPi * d * d) + reverberant);
        } else {
            v = -10 * log10ByLn(so * std::cos(theta / kDegreesPerRadian) / (kTwoPi * d * d) +
                                reverberant);
        }
        if (const char* failure = store(result, j, v)) return failure;
    }
    return {};
}

std::string fnRmC(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand) {
    const int n = bandsOf(bandCount);
    // The grid sum depends only on the source's sides and distance, which are
    // mostly constants: keep the last one.
    double lastA = -1, lastB = -1, lastSum = 0;
    for (int j = 1; j <= n; ++j) {
        if (const double g = greatestMarker(args, argCount, j)) {
            result(j) = g;
            continue;
        }
        const double volume = args(j, 1), r = args(j, 2);
        const double a = argCount == 4 ? args(j, 3) : 1, b = argCount == 4 ? args(j, 4) : 1;
        if (volume <= 0 || r <= 0 || a <= 0 || b <= 0) {
            result(j) = kErrorValue;
            continue;
        }
        const int t = bandTableIndex(firstBand, j, bandCount);
        if (t == 0) { // no centre frequency
            result(j) = kNoValue;
            continue;
        }
        double v = 12 - 5 * log10ByLn(volume) - 3 * log10ByLn(gBandFreq[t]) - 10 * log10ByLn(r);
        if (argCount == 4) {
            const double A = (a / (2 * r)) * (a / (2 * r));
            const double B = (b / (2 * r)) * (b / (2 * r));
            if (A != lastA || B != lastB) {
                lastA = A;
                lastB = B;
                lastSum = sourceExtentSum(A, B);
            }
            v += 10 * log10ByLn(lastSum / 10000);
        }
        if (const char* failure = store(result, j, v)) return failure;
    }
    return {};
}
