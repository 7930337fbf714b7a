#pragma once
// Files that hold sheets: the check that a file is one (templates and
// datasheets files, the file chosen after "Different File"), and the making
// of a new one with its empty catalogue.
#include <QString>

// Usable: the path is not empty, the file opens as a database of this
// program, and one of its tables is named exactly "Sheets List" (letter case
// counts). Any failure only makes it unusable.
bool SheetsListFileOK(const QString& path);

// Whether a database holds a table named exactly "Sheets List".
namespace db {
class Database;
}
bool hasSheetsList(const db::Database& database);

enum class CatalogueKind { Worksheets, Datasheets };

// Creates a new database file at `path` holding an empty "Sheets List" of
// the kind's layout. Never replaces an existing file; a half-made file is
// removed. Throws db::Error.
void createSheetsFile(const QString& path, CatalogueKind kind);
