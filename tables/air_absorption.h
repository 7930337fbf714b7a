#pragma once
// Air absorption by humidity, temperature and octave, in dB per km.
#include <array>
#include <vector>

// gAirAbs[h][t][k]: humidity row h = 1..3 (25, 50, 75 %), temperature column
// t = 1..4 (15, 20, 25, 30 deg C), octave k = 1..8 (63 Hz .. 8 kHz, band-table
// index 14 + 3k). Sized 4 rows; every cell with an index 0 stays 0, never read.
extern std::vector<std::array<std::array<double, 9>, 5>> gAirAbs;

// The axes of the rows and columns: 25, 50, 75 % and 15, 20, 25, 30 deg C.
// Kept for reference; the lookup computes its positions from the uniform steps.
extern std::vector<double> gAirAbsRH;   // sized 4
extern std::vector<double> gAirAbsTemp; // sized 5

void fillAirAbsorption();
