#pragma once
// Schema work shared by the sheet windows and the commands: the undo backup
// of the active sheet, the copy of a table's structure, and the compaction
// of the open worksheet file.
#include "platform/db/database.h"

#include <QString>

#include <memory>
#include <optional>
#include <string>

class SheetWindow;

// Copies the active sheet's records into "~Backup" (rebuilt with the sheet's
// structure when `recreate` is set or when it is missing), through the
// window's own connection: inside a transaction the edit holds open on it,
// the copy is a savepoint of it and commits with the edit. When the backup
// holds the window's sheet as this program last left it and no other
// connection wrote the file since, only the rows written since are copied
// (after an edit of one level, a row or two); otherwise the whole sheet.
// Does nothing unless a worksheet or datasheet window is active
// and its sheet table exists. On success the backup belongs to the active
// window's caption and file, and Undo is enabled. A failure shows its text, leaves the
// old backup table as it was but disowns it (no caption, Undo disabled) so
// that Undo can never bring back a state older than the last edit, and
// returns true. With `failure` given, its text goes there instead of into a
// message: an edit that goes on without its backup says so itself.
bool BackupSheet(bool recreate, QString* failure = nullptr);

// The writes of one edit of a sheet window as one commit on the window's
// connection: its backup (a savepoint inside it, which can fail alone), the
// record and the recalculation that follows. A kill or a power cut at any
// moment leaves the file as it was before the edit or after it. Not
// committed, everything is rolled back and the backup is the one before.
class EditCommit {
public:
    explicit EditCommit(SheetWindow& window);
    ~EditCommit();
    EditCommit(const EditCommit&) = delete;
    EditCommit& operator=(const EditCommit&) = delete;

    // After a failed backup: the edit goes on in a transaction of its own
    // even where the engine gave up the whole transaction.
    void resume();
    // Commits. When that fails the file is as before the edit, the window
    // shows it so, and the error's text is returned.
    std::optional<QString> commit();

private:
    void rollBack();
    SheetWindow& window_;
    std::shared_ptr<db::Database> database_;
    std::optional<db::Database::Transaction> tx_;
    QString backupCaption_, backupFile_;
    bool undoEnabled_ = false;
};

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
// The same for a write from `window`: a window being closed is not reread
// but closed, without its write.
QString changedElsewhereText(const SheetWindow& window);
// What the user is told when the window's sheet is no longer in its file.
QString goneElsewhereText(const SheetWindow& window);

// Notes the backup table as this program left it (after a backup or an Undo).
void noteBackup(db::Database& database);
// True when another program replaced the backup table since this one last
// took its backup (in a file other programs write too).
bool backupReplacedElsewhere(db::Database& database);
// The backup belongs to no window any more: Undo is not available.
void disownBackup();
