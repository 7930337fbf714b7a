#include "tables/impact_curves.h"

void fillImpactCurves() {}
