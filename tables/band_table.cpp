#include "tables/band_table.h"

std::vector<double> gBandFreq;
std::vector<std::string> gBandLabel;
std::vector<double> gAWeight;
std::vector<double> gCWeight;

namespace {

struct BandRow {
    double freq;
    const char* label;
    double a;
    double c;
};

constexpr BandRow kBands[kBandTableSize] = {
    {1.6, "1.6Hz", -999, -999},     {2, "2Hz", -999, -999},         {2.5, "2.5Hz", -999, -999},
    {3.15, "3.15Hz", -999, -999},   {4, "4Hz", -999, -999},         {5, "5Hz", -999, -999},
    {6.3, "6.3Hz", -999, -999},     {8, "8Hz", -999, -999},         {10, "10Hz", -70.4, -14.3},
    {12.5, "12.5Hz", -63.4, -11.2}, {16, "16Hz", -56.7, -8.5},      {20, "20Hz", -50.5, -6.2},
    {25, "25Hz", -44.7, -4.4},      {31.5, "31.5Hz", -39.4, -3.0},  {40, "40Hz", -34.6, -2.0},
    {50, "50Hz", -30.2, -1.3},      {63, "63Hz", -26.2, -0.8},      {80, "80Hz", -22.5, -0.5},
    {100, "100Hz", -19.1, -0.3},    {125, "125Hz", -16.1, -0.2},    {160, "160Hz", -13.4, -0.1},
    {200, "200Hz", -10.9, 0.0},     {250, "250Hz", -8.6, 0.0},      {315, "315Hz", -6.6, 0.0},
    {400, "400Hz", -4.8, 0.0},      {500, "500Hz", -3.2, 0.0},      {630, "630Hz", -1.9, 0.0},
    {800, "800Hz", -0.8, 0.0},      {1000, "1KHz", 0.0, 0.0},       {1250, "1.25KHz", 0.6, 0.0},
    {1600, "1.6KHz", 1.0, -0.1},    {2000, "2KHz", 1.2, -0.2},      {2500, "2.5KHz", 1.3, -0.3},
    {3150, "3.15KHz", 1.2, -0.5},   {4000, "4KHz", 1.0, -0.8},      {5000, "5KHz", 0.5, -1.3},
    {6300, "6.3KHz", -0.1, -2.0},   {8000, "8KHz", -1.1, -3.0},     {10000, "10KHz", -2.5, -4.4},
    {12500, "12.5KHz", -4.3, -6.2}, {16000, "16KHz", -6.6, -8.5},   {20000, "20KHz", -9.3, -11.2},
    {25000, "25KHz", -999, -999},   {31500, "31.5KHz", -999, -999}, {40000, "40KHz", -999, -999},
    {50000, "50KHz", -999, -999},   {63000, "63KHz", -999, -999},   {80000, "80KHz", -999, -999},
};

} // namespace

void fillBandTable() {
    gBandFreq.assign(kBandTableSize + 1, 0.0);
    gBandLabel.assign(kBandTableSize + 1, std::string());
    gAWeight.assign(kBandTableSize + 1, 0.0);
    gCWeight.assign(kBandTableSize + 1, 0.0);
    for (int i = 1; i <= kBandTableSize; ++i) {
        const BandRow& r = kBands[i - 1];
        gBandFreq[i] = r.freq;
        gBandLabel[i] = r.label;
        gAWeight[i] = r.a;
        gCWeight[i] = r.c;
    }
}
