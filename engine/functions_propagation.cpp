// Outdoor propagation corrections: barrier, air absorption, and the spreading
// of point, line and plane sources over hard ground.
#include "engine/function_library.h"
#include "tables/air_absorption.h"
#include "tables/band_table.h"

#include <cmath>

using namespace fnlib;

namespace {

constexpr double kSpeedOfSound = 343;
constexpr double kPi = 3.14159;   // the engine's pi for line and plane sources
constexpr double kTwoPi = 6.2832; // the engine's 2 pi for the point source

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Absorption coefficient (dB/km) of octave k = 1..8 at the fractional table
// position (h, tau), interpolated in humidity and then in temperature.
double airAlpha(double h, double tau, int k) {
    const int hl = h == 3 ? 2 : static_cast<int>(std::floor(h));
    const int tl = tau == 4 ? 3 : static_cast<int>(std::floor(tau));
    auto inHumidity = [&](int t) {
        const double lo = gAirAbs[hl][t][k];
        return lo + (h - hl) * (gAirAbs[hl + 1][t][k] - lo);
    };
    const double a1 = inHumidity(tl);
    const double a2 = inHumidity(tl + 1);
    return a1 + (tau - tl) * (a2 - a1);
}

} // namespace

std::string fnBarCor(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        if (const double g = greatestMarker(args, argCount, j)) {
            result(j) = g;
            continue;
        }
        const double ds = args(j, 1), dr = args(j, 2);
        const double hs = args(j, 3), hb = args(j, 4), hr = args(j, 5);
        const double e = argCount == 6 ? args(j, 6) : 0;
        // A source or receiver at or behind the barrier has no path over it.
        if (e < 0 || ds <= 0 || dr <= 0) {
            result(j) = kErrorValue;
            continue;
        }
        const int t = bandTableIndex(firstBand, j, bandCount);
        if (t == 0) { // no frequency, no wavelength
            result(j) = kNoValue;
            continue;
        }
        const double lambda = kSpeedOfSound / gBandFreq[t];
        const double dss = std::sqrt(ds * ds + (hb - hs) * (hb - hs));
        const double dsr = std::sqrt(dr * dr + (hb - hr) * (hb - hr));
        const double d = std::sqrt((ds + dr) * (ds + dr) + (hs - hr) * (hs - hr));
        double z = std::sqrt((dss + dsr) * (dss + dsr) + e * e) - d;
        if (hr - hs > (ds + dr + e) * (hb - hs) / ds) z = -z; // receiver sees over the top
        double c3 = 1;
        if (e != 0) {
            const double q = (5 * lambda / e) * (5 * lambda / e);
            c3 = (1 + q) / (1.0 / 3 + q);
        }
        const double kmet =
            z > 0 ? std::exp(-(1.0 / 2000) * std::sqrt(dss * dsr * d / (2 * z))) : 1;
        const double x = (20 / lambda) * c3 * z * kmet;
        double v = 0;
        if (!(x < -2)) {
            v = 10 * log10ByLn(3 + x);
            const double limit = e != 0 ? 25 : 20;
            if (v > limit) v = limit;
        }
        if (const char* failure = store(result, j, v)) return failure;
    }
    return {};
}

std::string fnAirAbs(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        if (const double g = greatestMarker(args, argCount, j)) {
            result(j) = g;
            continue;
        }
        const double d = args(j, 1);
        const double temp = argCount >= 2 ? args(j, 2) : 20;
        const double rh = argCount >= 3 ? args(j, 3) : 50;
        if (d <= 0 || temp < 15 || temp > 30 || rh < 25 || rh > 75) {
            result(j) = kErrorValue;
            continue;
        }
        const int t = bandTableIndex(firstBand, j, bandCount);
        if (t == 0) {
            result(j) = kNoValue;
            continue;
        }
        // The octave that holds the band (on an octave sheet the band itself):
        // 50, 63 and 80 Hz belong to octave 1.
        const int k = floorDiv(t - 16, 3) + 1;
        if (k < 1) {
            result(j) = 0;
            continue;
        }
        const double h = (rh - 25) / 25 + 1;
        const double tau = (temp - 15) / 5 + 1;
        double alpha;
        if (k <= 8) {
            alpha = airAlpha(h, tau, k);
        } else {
            // Above 8 kHz the coefficient goes on by the step of the top two octaves.
            const double a8 = airAlpha(h, tau, 8), a7 = airAlpha(h, tau, 7);
            alpha = a8 + (k - 8) * (a8 - a7);
        }
        if (const char* failure = store(result, j, alpha * d / 1000)) return failure;
    }
    return {};
}

std::string fnDistPo(const ArgMatrix& args, int, BandArray& result, int bandCount,
                     int /*firstBand*/) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        const double d = args(j, 1);
        if (isMarker(d)) {
            result(j) = d;
        } else if (d <= 0) {
            result(j) = kErrorValue;
        } else if (const char* failure = store(result, j, 10 * log10ByLn(kTwoPi * d * d))) {
            return failure;
        }
    }
    return {};
}

std::string fnDistLi(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int /*firstBand*/) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        if (const double g = greatestMarker(args, argCount, j)) {
            result(j) = g;
            continue;
        }
        const double d = args(j, 1);
        const double len = argCount >= 2 ? args(j, 2) : 0;
        const double theta = argCount >= 3 ? args(j, 3) : 90;
        if (d <= 0 || (argCount >= 2 && len <= 0) ||
            (argCount >= 3 && (theta < -90 || theta > 90))) {
            result(j) = kErrorValue;
            continue;
        }
        double v;
        if (argCount == 1) {
            v = 10 * log10ByLn(2 * d); // infinite line
        } else {
            const double factor = argCount == 4 && args(j, 4) == -1 ? kPi : 2; // True: coherent
            const double r = d * std::sin(kPi * theta / 180);
            const double x = d * std::cos(kPi * theta / 180) + len / 2;
            // The angle the line subtends, atan(x/r) - atan((x-L)/r), in a form
            // that stays exact when r is tiny against x.
            const double dphi = r == 0 ? 0 : std::atan2(r * len, r * r + x * (x - len));
            if (dphi == 0) {
                // On the line's axis: the limit of the general formula as r -> 0.
                if (x >= 0 && x <= len) {
                    result(j) = kErrorValue; // the receiver lies on the source
                    continue;
                }
                v = 10 * log10ByLn(factor * kPi * x * (x - len) / len);
            } else {
                v = 10 * log10ByLn(factor * r / (dphi / kPi));
            }
        }
        if (const char* failure = store(result, j, v)) return failure;
    }
    return {};
}

std::string fnDistPl(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int /*firstBand*/) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        if (const double g = greatestMarker(args, argCount, j)) {
            result(j) = g;
            continue;
        }
        const double d = args(j, 1), s = args(j, 2);
        if (d <= 0 || s <= 0) {
            result(j) = kErrorValue;
            continue;
        }
        const double v = -10 * log10ByLn(std::log1p(s / (kPi * d * d)) / s);
        if (const char* failure = store(result, j, v)) return failure;
    }
    return {};
}
