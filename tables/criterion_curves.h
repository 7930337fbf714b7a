#pragma once
// NR, NC and PNC criterion curves. Element / row 0 and column 0 of every table
// stay 0 and are never read.
#include <array>
#include <vector>

// Noise rating: level of octave k (1..9 = 31.5 Hz .. 8 kHz, band-table index
// 11 + 3k) on curve N is gNRa[k] + gNRb[k] * N. Sized 10.
extern std::vector<double> gNRa;
extern std::vector<double> gNRb;

// Noise criterion curves NC15..NC70: gNCCurves[r][k], row r = 1..12 is
// NC(10 + 5r), column k = 1..8 the octave 63 Hz .. 8 kHz (band-table index
// 14 + 3k), whole dB. gNCLevels[r] is the rating of row r (15, 20 .. 70).
// Sized 13 rows.
extern std::vector<std::array<double, 9>> gNCCurves;
extern std::vector<double> gNCLevels;

// Preferred noise criterion curves PNC15..PNC65: gPNCCurves[r][k], row
// r = 1..11 is PNC(10 + 5r), column k = 1..9 the octave 31.5 Hz .. 8 kHz
// (band-table index 11 + 3k). gPNCLevels[r] = 15, 20 .. 65. Sized 12 rows.
extern std::vector<std::array<double, 10>> gPNCCurves;
extern std::vector<double> gPNCLevels;

void fillCriterionCurves();
