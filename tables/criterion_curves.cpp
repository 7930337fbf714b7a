#include "tables/criterion_curves.h"

std::vector<double> gNRa;
std::vector<double> gNRb;
std::vector<std::array<double, 9>> gNCCurves;
std::vector<double> gNCLevels;
std::vector<std::array<double, 10>> gPNCCurves;
std::vector<double> gPNCLevels;

namespace {

constexpr double kNRa[9] = {55.4, 35.5, 22, 12, 4.8, 0, -3.5, -6.1, -8};
constexpr double kNRb[9] = {0.681, 0.79, 0.87, 0.93, 0.974, 1, 1.015, 1.025, 1.03};

// Level, then the octaves from the lowest band up.
constexpr double kNC[12][9] = {
    {15, 47, 36, 29, 22, 17, 14, 12, 11}, {20, 51, 41, 33, 26, 22, 19, 17, 16},
    {25, 54, 45, 38, 31, 27, 24, 22, 21}, {30, 57, 48, 41, 35, 31, 29, 28, 27},
    {35, 60, 53, 46, 40, 36, 34, 33, 32}, {40, 64, 57, 51, 45, 41, 39, 38, 37},
    {45, 67, 60, 54, 49, 46, 44, 43, 42}, {50, 71, 64, 59, 54, 51, 49, 48, 47},
    {55, 74, 67, 62, 58, 56, 54, 53, 52}, {60, 77, 71, 67, 63, 61, 59, 58, 57},
    {65, 80, 75, 71, 68, 66, 64, 63, 62}, {70, 83, 79, 75, 73, 71, 70, 69, 68},
};

constexpr double kPNC[11][10] = {
    {15, 58, 43, 35, 28, 21, 15, 10, 8, 8},   {20, 59, 46, 39, 32, 26, 20, 15, 13, 13},
    {25, 60, 49, 43, 37, 31, 25, 20, 18, 18}, {30, 61, 52, 46, 41, 35, 30, 25, 23, 23},
    {35, 62, 55, 50, 45, 40, 35, 30, 28, 28}, {40, 64, 59, 54, 50, 45, 40, 35, 33, 33},
    {45, 67, 63, 58, 54, 50, 45, 41, 38, 38}, {50, 70, 66, 62, 58, 54, 50, 46, 43, 43},
    {55, 73, 70, 66, 62, 59, 55, 51, 48, 48}, {60, 76, 73, 69, 66, 63, 59, 56, 53, 53},
    {65, 79, 76, 73, 70, 67, 64, 61, 58, 58},
};

} // namespace

void fillCriterionCurves() {
    gNRa.assign(10, 0.0);
    gNRb.assign(10, 0.0);
    for (int k = 1; k <= 9; ++k) {
        gNRa[k] = kNRa[k - 1];
        gNRb[k] = kNRb[k - 1];
    }

    gNCCurves.assign(13, {});
    gNCLevels.assign(13, 0.0);
    for (int r = 1; r <= 12; ++r) {
        gNCLevels[r] = kNC[r - 1][0];
        for (int k = 1; k <= 8; ++k)
            gNCCurves[r][k] = kNC[r - 1][k];
    }

    gPNCCurves.assign(12, {});
    gPNCLevels.assign(12, 0.0);
    for (int r = 1; r <= 11; ++r) {
        gPNCLevels[r] = kPNC[r - 1][0];
        for (int k = 1; k <= 9; ++k)
            gPNCCurves[r][k] = kPNC[r - 1][k];
    }
}
