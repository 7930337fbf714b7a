// The reference curve of a rating over the sheet's bands: NR, NC, RC, PNC,
// STC, Rw, Ln,w and IIC. A band the curve does not reach holds -999.
#include "engine/function_library.h"
#include "tables/band_table.h"
#include "tables/criterion_curves.h"
#include "tables/impact_curves.h"
#include "tables/insulation_curves.h"

#include <cmath>

using namespace fnlib;

namespace {

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Octave number of the band at band-table index t for a curve whose first
// octave is centred on index c. A third-octave band takes the octave that
// holds it (c - 1, c and c + 1 are octave 1); on an octave sheet, whose bands
// are octave centres, the same rule gives the octave itself.
int octaveOf(int t, int c) {
    return floorDiv(t - c + 1, 3) + 1;
}

bool thirdOctave(int bandCount) {
    return bandCount >= 30;
}

// The frame shared by every curve: markers in the rating pass through, then
// curveValue(N, t) gives the band's value or -999 where the curve has none.
template <typename Curve>
std::string drawCurve(const ArgMatrix& args, BandArray& result, int bandCount, int firstBand,
                      Curve curveValue) {
    const int n = bandsOf(bandCount);
    for (int j = 1; j <= n; ++j) {
        const double rating = args(j, 1);
        if (isMarker(rating)) {
            result(j) = rating;
            continue;
        }
        const int t = bandTableIndex(firstBand, j, bandCount);
        const double v = t == 0 ? kNoValue : curveValue(rating, t);
        if (const char* failure = store(result, j, v)) return failure;
    }
    return {};
}

// NC and PNC: straight line between the two tabulated curves 5 points apart
// that enclose N; the top curve itself at the top rating.
template <typename Rows>
double interpolateCurves(const Rows& curves, const std::vector<double>& levels, int top,
                         double rating, int k) {
    const int r = static_cast<int>(std::floor(rating / 5)) - 2;
    if (r >= top) return curves[top][k];
    const double lo = curves[r][k];
    return lo + (rating - levels[r]) * (curves[r + 1][k] - lo) / 5;
}

} // namespace

std::string fnNR(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    return drawCurve(args, result, bandCount, firstBand, [](double rating, int t) {
        const int k = octaveOf(t, 14);
        if (k < 1 || k > 9) return kNoValue;
        return gNRa[k] + gNRb[k] * rating;
    });
}

std::string fnNC(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    return drawCurve(args, result, bandCount, firstBand, [](double rating, int t) {
        const int k = octaveOf(t, 17);
        if (k < 1 || k > 8 || rating < 15 || rating > 70) return kNoValue;
        return interpolateCurves(gNCCurves, gNCLevels, 12, rating, k);
    });
}

std::string fnPNC(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    return drawCurve(args, result, bandCount, firstBand, [](double rating, int t) {
        const int k = octaveOf(t, 14);
        if (k < 1 || k > 9 || rating < 15 || rating > 65) return kNoValue;
        return interpolateCurves(gPNCCurves, gPNCLevels, 11, rating, k);
    });
}

std::string fnRC(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    return drawCurve(args, result, bandCount, firstBand, [](double rating, int t) {
        const int k = octaveOf(t, 11);
        if (k < 1 || k > 9 || rating < 25 || rating > 50) return kNoValue;
        // The lowest octaves are defined only for a few ratings.
        if (k == 1 && rating != 35) return kNoValue;
        if (k <= 2 && (rating < 30 || rating > 40)) return kNoValue;
        return rating + 5 * (7 - k);
    });
}

std::string fnSTC(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    return drawCurve(args, result, bandCount, firstBand, [](double rating, int t) {
        if (t < 20 || t > 35) return kNoValue;
        return rating + gSTCContour[t - 19] - 40;
    });
}

std::string fnRw(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    const bool third = thirdOctave(bandCount);
    return drawCurve(args, result, bandCount, firstBand, [third](double rating, int t) {
        if (t < (third ? 19 : 20) || t > (third ? 34 : 32)) return kNoValue;
        return rating + gSTCContour[t - 19] - 40;
    });
}

std::string fnLnw(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    const bool third = thirdOctave(bandCount);
    return drawCurve(args, result, bandCount, firstBand, [third](double rating, int t) {
        if (third) {
            if (t < 19 || t > 34) return kNoValue;
            return rating + gImpactRefThird[t - 18] - 60;
        }
        const int k = octaveOf(t, 20);
        if (k < 1 || k > 5) return kNoValue;
        return rating + gImpactRefOct[k] - 60;
    });
}

std::string fnIIC(const ArgMatrix& args, int, BandArray& result, int bandCount, int firstBand) {
    const bool third = thirdOctave(bandCount);
    return drawCurve(args, result, bandCount, firstBand, [third](double rating, int t) {
        if (t < (third ? 19 : 20) || t > (third ? 34 : 32)) return kNoValue;
        return gIICContour[t - 18] + 60 - rating;
    });
}
