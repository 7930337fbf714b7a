#pragma once
// Airborne insulation contour and adaptation spectra.
#include <string>
#include <vector>

void fillInsulationCurves();
