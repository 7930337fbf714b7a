#pragma once
// The layout of a worksheet file: the catalogue table "Sheets List" and the
// worksheet tables (Code, Description, Type, Summary 1 Type, Summary 1 Val,
// Summary 2 Type, Summary 2 Val, Formula, then the bands L1 ...), and the
// binding of a sheet form's data controls to one worksheet.
#include "platform/db/schema.h"

#include <string>

namespace db {

class Database;
class SheetForm;

inline constexpr const char* kSheetsList = "Sheets List";
// Field positions of a sheet record.
constexpr int kFieldCode = 0;
constexpr int kFieldFormula = 7;
constexpr int kFirstBandField = 8; // L1

TableDef sheetsListTableDef();
// The datasheets file's catalogue: "Sheets List" with "Datasheet Type" last.
TableDef datasheetsListTableDef();
// A worksheet table of `bandCount` bands (10 octave, 30 third-octave).
TableDef worksheetTableDef(const std::string& name, int bandCount);

// Creates a sheet table and its "Sheets List" row together: both or neither.
// Throws db::Error.
void createSheet(Database& db, const TableDef& table, int bandSystem, int firstBand,
                 const std::string& notes = {});

// Binds Data1 to the sheet's records in Code order and Data2 to its
// "Sheets List" row, both through `connectionString`, and refreshes them.
// Throws db::Error.
void bindWorksheet(SheetForm& form, const std::string& connectionString, const std::string& sheet);

} // namespace db
