#pragma once
// Creating a datasheet in the datasheets file through the new-datasheet
// dialog.
#include "sheets/datasheet_layout.h"

#include <QString>

#include <string>
#include <vector>

// Asks for a new datasheet's name, bands and spectrum type and creates it
// (table, catalogue row and one blank spectrum) in the datasheets file. With
// a preset type the type cannot be changed. Returns true when the user
// cancelled, the name exists or the file could not be written (shown); on
// false the arguments hold the new datasheet's name, band system (1 or 2),
// first band and kind (1 or 2). The records may come from `fill`, written in
// the same transaction (see createDatasheet).
bool NewDS(QString& name, int& bandSystem, int& firstBand, int& datasheetType,
           const QString& presetType, const DatasheetFiller& fill = {});

// The name proposed for a new datasheet: "Datasheet " and one more than the
// highest number after "Datasheet " (exact case) among the tables, a
// fraction kept.
QString proposedDatasheetName(const std::vector<std::string>& tables);
