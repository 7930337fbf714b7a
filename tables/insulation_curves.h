#pragma once
// Airborne insulation contour and adaptation spectra, laid on the band table.
#include <vector>

// Contour of rating 40 in third-octaves: element k (0..16) is band-table
// index 19 + k, 100 Hz .. 4 kHz. Element 0 (100 Hz) is real data: the
// weighted sound reduction index reads elements 0..15, the transmission class
// elements 1..16. Sized 17.
extern std::vector<double> gSTCContour;

// Traffic-noise adaptation spectrum in third-octaves: element k (1..21) is
// band-table index 15 + k, 50 Hz .. 5 kHz. Sized 22, element 0 unused.
extern std::vector<double> gCtrThird;

// Traffic-noise and pink-noise adaptation spectra in octaves: element k
// (1..7) is band-table index 14 + 3k, 63 Hz .. 4 kHz. Sized 8, element 0 unused.
extern std::vector<double> gCtrOct;
extern std::vector<double> gCOct;

void fillInsulationCurves();
