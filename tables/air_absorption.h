#pragma once
// Air absorption by humidity, temperature and octave.
#include <string>
#include <vector>

void fillAirAbsorption();
