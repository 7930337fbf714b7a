#include "tables/air_absorption.h"

void fillAirAbsorption() {}
