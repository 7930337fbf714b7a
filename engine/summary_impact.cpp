// Impact ratings: Ln,w by shifting the spectrum against the reference curve,
// its adaptation term C1, and IIC by the contour method.
#include "engine/arith.h"
#include "engine/summary_frame.h"
#include "tables/impact_curves.h"

#include <algorithm>
#include <cmath>

namespace summary {
namespace {

bool tooLarge(double v) {
    return !(std::fabs(v) <= kShiftValueLimit);
}

// The weighted level: the spectrum in whole tenths of a decibel, so that a
// deficiency sum of exactly 32 dB is met exactly. The highest shift whose sum
// stays within the limit, as stepping from 0 finds it, by bisection: the sum
// never falls as the shift rises, is 0 where the band furthest above the
// curve meets it and exceeds the limit limit + 2 dB higher.
double weightedLevel(const double* tenths, const double* curve, int n, double limit) {
    auto fits = [&](double shift) {
        double sum = 0;
        for (int i = 0; i < n; ++i)
            sum += std::max(0.0, tenths[i] + 10 * shift - 10 * curve[i]);
        return sum <= 10 * limit;
    };
    double lo = INFINITY;
    for (int i = 0; i < n; ++i)
        lo = std::min(lo, 10 * curve[i] - tenths[i]);
    lo = std::floor(lo / 10);   // fits
    double hi = lo + limit + 2; // does not fit
    while (hi - lo > 1) {
        const double mid = std::floor((lo + hi) / 2);
        (fits(mid) ? lo : hi) = mid;
    }
    return 60 - lo;
}

std::string impactInsulationClass(const Sheet& s, long long k) {
    auto position = [&](int i) { return s.third ? k + i - 1 : k + (i - 1) / 3; };
    for (int i = 1; i <= 16; ++i)
        if (!s.usable(position(i))) return std::string();
    // Only a sheet that holds every band has a rating that can overflow.
    double t[17];
    for (int i = 1; i <= 16; ++i) {
        const double v = s.at(position(i));
        if (tooLarge(v)) return kMsgOverflow;
        const double whole = std::floor(v + 0.5);
        // An octave level spread over its three third-octaves.
        t[i] = s.third ? whole : whole - 10 * std::log10(3.0);
    }
    double d = -INFINITY;
    for (int i = 1; i <= 16; ++i)
        d = std::max(d, t[i] - gIICContour[i]);
    // At shift -D the sum is 0: at most 9 steps below the 8 dB start.
    double shift = std::floor(8 - d);
    for (;;) {
        double sum = 0;
        for (int i = 1; i <= 16; ++i)
            sum += std::max(0.0, t[i] + shift - gIICContour[i]);
        if (sum <= 32) break;
        shift -= 1;
    }
    return "IIC " + wholeNumber(60 + shift);
}

} // namespace

std::string rateImpact(int type, const Sheet& s) {
    const long long k = s.positionOf(s.third ? 19 : 20); // 100 Hz or 125 Hz
    if (k < 1) return std::string();
    const int n = s.third ? 16 : (type == kIIC ? 6 : 5);
    if (k + n - 1 > s.count) return std::string();
    if (type == kIIC) return impactInsulationClass(s, k);

    for (long long p = k; p < k + n; ++p)
        if (!s.usable(p)) return std::string();
    // Only a sheet that holds every band has a rating that can overflow.
    double tenths[16], curve[16];
    for (int i = 1; i <= n; ++i) {
        const long long p = k + i - 1;
        if (tooLarge(s.at(p))) return kMsgOverflow;
        tenths[i - 1] = std::floor(10 * s.at(p) + 0.5);
        curve[i - 1] = s.third ? gImpactRefThird[static_cast<size_t>(i)]
                               : gImpactRefOct[static_cast<size_t>(i)];
    }
    const double lnw = weightedLevel(tenths, curve, n, s.third ? 32 : 10);
    if (type == kLnw) return "Ln,w " + wholeNumber(lnw);

    double energy = 0;
    for (int i = 0; i < n; ++i)
        energy += std::pow(10.0, s.at(k + i) / 10);
    const double sumLevel = std::floor(100 * std::log10(energy) + 0.5) / 10;
    // A sum too large to hold, or no energy at all, has no term.
    if (!std::isfinite(sumLevel)) return kMsgOverflow;
    return "C1 " + wholeNumber(std::floor(sumLevel - 14.5 - lnw));
}

} // namespace summary
