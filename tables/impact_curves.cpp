#include "tables/impact_curves.h"

std::vector<double> gImpactRefThird;
std::vector<double> gImpactRefOct;
std::vector<double> gIICContour;

void fillImpactCurves() {
    gImpactRefThird = {0, 62, 62, 62, 62, 62, 62, 61, 60, 59, 58, 57, 54, 51, 48, 45, 42};
    gImpactRefOct = {0, 67, 67, 65, 62, 49};
    gIICContour = {0, 52, 52, 52, 52, 52, 52, 51, 50, 49, 48, 47, 44, 41, 38, 35, 32};
}
