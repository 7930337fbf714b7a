#pragma once
// Spectrum types, summary types, information sources and noise descriptors.
#include <string>
#include <vector>

void fillTypeTables();
