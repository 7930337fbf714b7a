#pragma once
// Global state of the reference tables and start-up: every reference table
// (filled once at start, read-only afterwards) and the connection prefix.
#include "tables/air_absorption.h"
#include "tables/band_table.h"
#include "tables/criterion_curves.h"
#include "tables/help_tables.h"
#include "tables/impact_curves.h"
#include "tables/insulation_curves.h"
#include "tables/type_tables.h"
#include "tables/vocabulary.h"

#include <string>

// Connection-string prefix of the sheet windows' data bindings.
extern std::string gConnect;

// The two fill routines of the start procedure, run in this order.
void FillTables();     // types, bands, curves, air absorption, formula vocabulary
void FillHelpTables(); // help topics and texts, function help
