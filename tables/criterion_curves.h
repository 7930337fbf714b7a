#pragma once
// NR, NC and PNC criterion curves.
#include <string>
#include <vector>

void fillCriterionCurves();
