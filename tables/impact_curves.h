#pragma once
// Impact sound reference curves. Element 0 of each table stays 0, never read.
#include <vector>

// Reference curve of weighted level 60 in third-octaves: element k (1..16) is
// band-table index 18 + k, 100 Hz .. 3150 Hz. Sized 17.
extern std::vector<double> gImpactRefThird;

// The same curve in octaves: element k (1..5) is band-table index 17 + 3k,
// 125 Hz .. 2 kHz (500 Hz reads 65). Sized 6.
extern std::vector<double> gImpactRefOct;

// Impact insulation class contour of class 60, laid out like gImpactRefThird
// (each element 10 dB below it). Sized 17.
extern std::vector<double> gIICContour;

void fillImpactCurves();
