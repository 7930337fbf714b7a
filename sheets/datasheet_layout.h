#pragma once
// The layout of a datasheet: the worksheet's leading fields with the free
// "Select Type" in place of the formula, the bands, then the descriptive
// text fields of its kind, and its row in the datasheets file's catalogue.
#include "platform/db/schema.h"

#include <functional>
#include <string>
#include <vector>

namespace db {
class Database;
}

// Kinds of datasheet ("Datasheet Type" in the catalogue).
constexpr int kSourceData = 1;
constexpr int kConstructionData = 2;
// Position of "Select Type" in a datasheet record.
constexpr int kFieldSelectType = 7;

// The kind a spectrum type gives: source data for sound levels and
// vibration, construction data for every other type.
int datasheetKind(const std::string& spectrumType);

// The descriptive fields of a kind, in table order.
const std::vector<std::string>& descriptiveFields(int kind);

// A datasheet table of `bandCount` bands whose records default to the
// spectrum type and its two summary types.
db::TableDef datasheetTableDef(const std::string& name, int bandCount,
                               const std::string& spectrumType);

// Writes a new datasheet's records in place of its one blank spectrum, in
// the transaction that creates it; throwing undoes the whole datasheet.
using DatasheetFiller =
    std::function<void(db::Database&, const std::string& table, int bandSystem, int firstBand)>;

// Creates the datasheet table, its catalogue row and its first record
// (Code 1), or what `fill` writes, in one transaction: all of it or none.
// Returns the datasheet's kind. Throws db::Error.
int createDatasheet(db::Database& database, const std::string& name, int bandSystem, int firstBand,
                    const std::string& spectrumType, const DatasheetFiller& fill = {});
