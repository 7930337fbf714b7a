#pragma once
// Impact sound reference curves.
#include <string>
#include <vector>

void fillImpactCurves();
