#include "tables/insulation_curves.h"

void fillInsulationCurves() {}
