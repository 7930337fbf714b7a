#pragma once
// Adding a worksheet to the open worksheet file.
#include <QString>

#include <functional>
#include <string>

namespace db {
class Database;
}

// "Worksheet " followed by one more than the greatest number that follows
// "Worksheet " (letter case counts) in a table name of the file; names
// without a number there (or with one too large to read) count as 0.
QString proposedWorksheetName(const db::Database& database);

// Asks for the name and range of a new worksheet (or, when useTemplates is
// set, a template worksheet of the templates file) and adds it to the open
// worksheet file: its table, its "Sheets List" row with `notes`, and its
// records (the template's, or one blank spectrum), all in one transaction.
// On false, name, bandSystem (1 octave, 2 third-octave) and firstBand hold
// the new worksheet's. Returns true when cancelled, refused or failed (a
// refusal or failure has been shown; nothing was written).
// A blank worksheet's records may come from `fill` instead of the one blank
// spectrum: it runs in the same transaction, with the band system and first
// band chosen, and may throw to undo the whole worksheet.
using NewWorksheetFiller =
    std::function<void(db::Database&, const std::string& table, int bandSystem, int firstBand)>;
bool NewWS(QString& name, int& bandSystem, int& firstBand, bool useTemplates, const QString& notes,
           const NewWorksheetFiller& fill = {});

// Creates a worksheet table of the layout its band system gives, with its
// "Sheets List" row, in one transaction with whatever `fill` then writes
// into it. Throws db::Error; nothing is left of a failed creation.
// Without `fill` the worksheet holds one blank spectrum, Code 1.
using WorksheetFiller = std::function<void(db::Database&, const std::string& table)>;
void createWorksheet(db::Database& database, const std::string& name, int bandSystem, int firstBand,
                     const std::string& notes, const WorksheetFiller& fill = {});
