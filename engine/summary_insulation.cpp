// Airborne insulation ratings: STC by the contour method, Rw by shifting the
// reference curve, and the spectrum adaptation terms added to Rw.
#include "engine/arith.h"
#include "engine/number_format.h"
#include "engine/summary_frame.h"
#include "tables/band_table.h"
#include "tables/insulation_curves.h"

#include <algorithm>
#include <cmath>

namespace summary {
namespace {

// Sums that are 32 (or 10) in decimal can miss it in binary.
constexpr double kSumTolerance = 1e-9;

bool tooLarge(double v) {
    return !(std::fabs(v) <= kShiftValueLimit);
}

std::string soundTransmissionClass(const Sheet& s) {
    const long long k = 21 - s.firstBand; // third-octave position of 125 Hz
    if (k < 1) return std::string();
    // An octave sheet whose bands are not octave centres holds no octave.
    if (!s.third && s.positionOf(20) == kNoPosition) return std::string();
    long long pos[17];
    for (int i = 1; i <= 16; ++i) {
        pos[i] = s.third ? k + i - 1 : (k + i - 1) / 3 + 1;
        // A sheet ending below 4 kHz lacks the contour's top bands.
        if (!s.usable(pos[i])) return std::string();
    }
    // Only a sheet that holds every band has a rating that can overflow.
    double t[17];
    for (int i = 1; i <= 16; ++i) {
        if (tooLarge(s.at(pos[i]))) return kMsgOverflow;
        t[i] = std::floor(s.at(pos[i]) + 0.5);
    }
    double d = -INFINITY;
    for (int i = 1; i <= 16; ++i)
        d = std::max(d, gSTCContour[i] - t[i]);
    // The 8 dB rule sets the start; the contour then only moves down. At
    // shift min(T - contour) the sum is 0, at most 9 steps below the start.
    double shift = std::floor(8 - d);
    for (;;) {
        double sum = 0;
        for (int i = 1; i <= 16; ++i)
            sum += std::max(0.0, gSTCContour[i] + shift - t[i]);
        if (sum <= 32) break;
        shift -= 1;
    }
    return "STC " + wholeNumber(40 + shift);
}

// The bands of the weighted index on this sheet: the transmission losses and
// the reference curve, at rating 40.
struct RwBands {
    long long k = 0; // position of 100 Hz (third-octave) or 125 Hz (octave)
    int n = 0;
    double tl[16] = {};
    double curve[16] = {};
    double limit = 0;
};

// True when the sheet holds the bands, none missing or marked; their values
// may still be too large to rate.
bool gatherRw(const Sheet& s, RwBands& b) {
    if (s.third) {
        b.k = s.positionOf(19);
        if (b.k < 1) return false;
        b.n = 16;
        b.limit = 32;
    } else {
        b.k = s.positionOf(20);
        if (b.k < 1 || b.k > 6) return false;
        b.n = 5;
        b.limit = 10;
    }
    for (int i = 1; i <= b.n; ++i) {
        const long long p = b.k + i - 1;
        // Missing, marked, or past the sheet's last band: no rating.
        if (!s.usable(p)) return false;
        b.tl[i - 1] = s.at(p);
        b.curve[i - 1] = s.third ? gSTCContour[static_cast<size_t>(i - 1)]
                                 : gSTCContour[static_cast<size_t>(3 * i - 2)];
    }
    return true;
}

// The highest whole shift whose deficiency sum stays within the limit: the
// outcome of stepping one decibel at a time from 0, found by bisection.
// The sum never falls as the shift rises; it is 0 at the lowest
// transmission loss above the curve and beyond the limit limit + 2 higher.
double rwShift(const RwBands& b) {
    auto fits = [&](double shift) {
        double sum = 0;
        for (int i = 0; i < b.n; ++i)
            sum += std::max(0.0, b.curve[i] + shift - b.tl[i]);
        return sum <= b.limit + kSumTolerance;
    };
    double lo = INFINITY;
    for (int i = 0; i < b.n; ++i)
        lo = std::min(lo, b.tl[i] - b.curve[i]);
    lo = std::floor(lo);          // fits
    double hi = lo + b.limit + 2; // does not fit
    while (hi - lo > 1) {
        const double mid = std::floor((lo + hi) / 2);
        (fits(mid) ? lo : hi) = mid;
    }
    return lo;
}

// -10 lg of the energy sum of (spectrum - TL) over positions from..from+n-1.
bool adaptedLevel(const Sheet& s, long long from, int n, const double* spectrum, double& x) {
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += std::pow(10.0, (spectrum[i] - s.at(from + i)) / 10);
    x = -10 * std::log10(sum);
    return std::isfinite(x);
}

} // namespace

std::string rateInsulation(int type, const Sheet& s) {
    if (type == kSTC) return soundTransmissionClass(s);

    RwBands b;
    if (!gatherRw(s, b)) return std::string();
    long long from = b.k;
    int n = b.n;
    const bool wide = type == kCtr50 || type == kC50;
    if (wide) {
        if (s.third) {
            if (b.k <= 3) return std::string(); // 50 Hz not on the sheet
            from = b.k - 3;
            n = 21;
        } else {
            if (b.k <= 1 || b.k > 5) return std::string();
            from = b.k - 1;
            n = 7;
        }
        for (long long p = from; p < from + n; ++p)
            if (!s.usable(p)) return std::string();
    }
    // The bands read (the wide range holds those of Rw) all exist and hold
    // values: only now can one be too large to rate.
    for (long long p = from; p < from + n; ++p)
        if (tooLarge(s.at(p))) return kMsgOverflow;

    const double rw = 40 + rwShift(b);
    if (type == kRw) return "Rw " + wholeNumber(rw);

    double spectrum[21];
    const bool traffic = type == kCtr || type == kCtr50;
    for (int i = 1; i <= n; ++i) {
        double& v = spectrum[i - 1];
        if (s.third) {
            // Third-octave C spectra are the A weights rounded to whole dB.
            const size_t t = static_cast<size_t>(i + (wide ? 0 : 3));
            v = traffic ? gCtrThird[t] : std::floor(gAWeight[t + 15] + 0.5) - (wide ? 11 : 10);
        } else {
            const size_t t = static_cast<size_t>(i + (wide ? 0 : 1));
            v = traffic ? gCtrOct[t] : gCOct[t];
        }
    }
    double x;
    if (!adaptedLevel(s, from, n, spectrum, x)) return kMsgOverflow;
    static const char* const kPrefix[] = {"Ctr ", "C ", "Ctr50-5K ", "C50-5K "};
    const double term = x - rw;
    if (!(std::fabs(term) < 1e15)) return kMsgOverflow;
    return kPrefix[type - kCtr] + formatWhole(term);
}

} // namespace summary
