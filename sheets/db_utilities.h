#pragma once
// Schema work shared by the sheet windows and the commands: the undo backup
// of the active sheet, the copy of a table's structure, and the compaction
// of the open worksheet file.
#include <QString>

#include <string>

namespace db {
class Database;
}
class SheetWindow;

// Copies the active sheet's records into "~Backup" (rebuilt with the sheet's
// structure when `recreate` is set or when it is missing), in one
// transaction. Does nothing unless a worksheet or datasheet window is active
// and its sheet table exists. On success the backup belongs to the active
// window's caption and file, and Undo is enabled. A failure shows its text, leaves the
// old backup table as it was but disowns it (no caption, Undo disabled) so
// that Undo can never bring back a state older than the last edit, and
// returns true. With `failure` given, its text goes there instead of into a
// message: an edit that goes on without its backup says so itself.
bool BackupSheet(bool recreate, QString* failure = nullptr);

// What an edit that went on without its backup tells the user.
QString keptWithoutUndo(const QString& failure);

// Creates the empty table `newName` with the structure of `source` (fields in
// order with types, sizes, defaults and zero-length rules, and its indexes).
// Returns true when made; a failure throws db::Error.
bool CopyTableDef(const std::string& source, db::Database& database, const std::string& newName);

// Compacts the open worksheet file in place. A failure shows "Error
// compacting database. " with its text and leaves the file as it was.
void CompactFile();

// Whether the window's sheet is in its file as the window shows it: Changed
// when another program changed it since the window read it, Gone when
// another program deleted or renamed it (or made another sheet of its name
// with other bands, or of another kind of datasheet). A worksheet file this
// program writes is not looked at: no other program writes it.
enum class SheetView { Current, Changed, Gone };
SheetView sheetView(SheetWindow& window);
// Whether the file still holds the window's sheet: its table under the
// window's name and its "Sheets List" row with the window's bands (band
// system and first band) and, for a datasheet, its kind.
bool sheetInFile(SheetWindow& window);
// sheetView() != Current.
bool changedElsewhere(SheetWindow& window);
// What the user is told when a window was reread for that reason.
QString changedElsewhereText(const QString& sheet);
// What the user is told when the window's sheet is no longer in its file.
QString goneElsewhereText(const SheetWindow& window);

// Notes the backup table as this program left it (after a backup or an Undo).
void noteBackup(db::Database& database);
// True when another program replaced the backup table since this one last
// took its backup (in a file other programs write too).
bool backupReplacedElsewhere(db::Database& database);
// The backup belongs to no window any more: Undo is not available.
void disownBackup();
