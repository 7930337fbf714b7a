#include "tables/criterion_curves.h"

void fillCriterionCurves() {}
