#include "tables/insulation_curves.h"

std::vector<double> gSTCContour;
std::vector<double> gCtrThird;
std::vector<double> gCtrOct;
std::vector<double> gCOct;

void fillInsulationCurves() {
    gSTCContour = {21, 24, 27, 30, 33, 36, 39, 40, 41, 42, 43, 44, 44, 44, 44, 44, 44};
    gCtrThird = {0,   -25, -23, -21, -20, -20, -18, -16, -15, -14, -13,
                 -12, -11, -9,  -8,  -9,  -10, -11, -13, -15, -16, -18};
    gCtrOct = {0, -18, -14, -10, -7, -4, -6, -11};
    gCOct = {0, -32, -22, -15, -9, -6, -5, -5};
}
