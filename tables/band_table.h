#pragma once
// The 48 third-octave bands, 1.6 Hz to 80 kHz: centre frequency, label and
// the A and C weightings. Indexed 1 to 48; row 0 reads as empty.
#include <string>
#include <vector>

constexpr int kBandTableSize = 48;

extern std::vector<double> gBandFreq;       // Hz, nominal values
extern std::vector<std::string> gBandLabel; // "1.6Hz" ... "1KHz" ... "80KHz"
extern std::vector<double> gAWeight;        // dB, -999 where none is defined
extern std::vector<double> gCWeight;        // dB, -999 where none is defined

// Band-table row of band j (1-based) of a sheet: First Band + j - 1 on a
// sheet of 30 or more bands, First Band + 3 (j - 1) otherwise. Returns 0 when
// that row lies outside the table, which a damaged file could ask for.
inline int bandTableIndex(int firstBand, int j, int bandCount) {
    const long long t = bandCount >= 30 ? static_cast<long long>(firstBand) + (j - 1)
                                        : static_cast<long long>(firstBand) + 3LL * (j - 1);
    return (t >= 1 && t <= kBandTableSize) ? static_cast<int>(t) : 0;
}

void fillBandTable();
