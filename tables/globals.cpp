#include "tables/globals.h"

std::string gConnect;

void FillTables() {
    fillTypeTables();       // summary, spectrum, source and descriptor tables
    fillBandTable();        // bands, labels, A and C weights
    fillInsulationCurves(); // STC contour, Ctr and C spectra
    fillCriterionCurves();  // NR, NC, PNC
    fillImpactCurves();     // impact reference curves, IIC contour
    fillAirAbsorption();
    fillVocabulary(); // operators, function names, constant names
}

void FillHelpTables() {
    fillHelpTopics();
    fillFunctionHelp(); // sized from gFuncCount, set by FillTables
}
