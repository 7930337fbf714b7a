#include "tables/air_absorption.h"

std::vector<std::array<std::array<double, 9>, 5>> gAirAbs;
std::vector<double> gAirAbsRH;
std::vector<double> gAirAbsTemp;

namespace {

// Humidity row outermost, then temperature, then the octaves 63 Hz .. 8 kHz.
constexpr double kAirAbs[3][4][8] = {
    {
        {0.2, 0.6, 1.3, 2.4, 5.9, 19.3, 66.9, 198.0},
        {0.2, 0.6, 1.5, 2.6, 5.4, 15.5, 53.7, 180.5},
        {0.2, 0.6, 1.6, 3.1, 5.6, 13.5, 43.6, 153.4},
        {0.1, 0.5, 1.7, 3.7, 6.5, 13.0, 37.0, 128.2},
    },
    {
        {0.1, 0.4, 1.2, 2.4, 4.3, 10.3, 33.2, 118.4},
        {0.1, 0.4, 1.2, 2.8, 5.0, 10.0, 28.1, 97.4},
        {0.1, 0.3, 1.2, 3.2, 6.2, 10.8, 25.6, 82.2},
        {0.1, 0.3, 1.1, 3.4, 7.4, 12.8, 24.4, 72.4},
    },
    {
        {0.1, 0.3, 1.0, 2.4, 4.5, 8.7, 23.7, 81.6},
        {0.1, 0.3, 0.9, 2.7, 5.5, 9.6, 22.0, 69.1},
        {0.1, 0.2, 0.9, 2.8, 6.5, 11.5, 22.4, 61.5},
        {0.1, 0.2, 0.8, 2.7, 7.4, 14.2, 24.0, 58.4},
    },
};

} // namespace

void fillAirAbsorption() {
    gAirAbs.assign(4, {});
    gAirAbsRH.assign(4, 0.0);
    gAirAbsTemp.assign(5, 0.0);
    for (int h = 1; h <= 3; ++h)
        gAirAbsRH[h] = 25.0 * h;
    for (int t = 1; t <= 4; ++t)
        gAirAbsTemp[t] = 10.0 + 5.0 * t;
    for (int h = 1; h <= 3; ++h)
        for (int t = 1; t <= 4; ++t)
            for (int k = 1; k <= 8; ++k)
                gAirAbs[h][t][k] = kAirAbs[h - 1][t - 1][k - 1];
}
