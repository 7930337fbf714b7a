#include "sheets/db_utilities.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/sheet_window.h"

#include <QAction>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace {

const char* const kBackupTable = "~Backup";

void enableUndo(bool on) {
    if (QAction* undo = menuItem("mnuEditUndo")) undo->setEnabled(on);
}

// In a file other programs write too, the backup table is theirs as well: a
// fingerprint of it as this program left it shows whether it still is that
// (0 where no other program writes the file).
std::uint64_t gBackupPrint = 0;

std::uint64_t backupPrint(db::Database& database) {
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    const auto mix = [&h](std::string_view bytes) {
        for (unsigned char c : bytes) {
            h ^= c;
            h *= 1099511628211ull;
        }
    };
    db::Statement st(database, "SELECT * FROM " + db::quoteIdent(kBackupTable));
    while (st.step())
        for (int i = 0; i < st.columnCount(); ++i) {
            const db::Value v = st.column(i);
            const char kind = static_cast<char>(v.kind());
            mix(std::string_view(&kind, 1));
            mix(v.toText());
        }
    return h == 0 ? 1 : h;
}

} // namespace

namespace {

// The rows of the backed-up sheet written through the window's connection
// since its backup was taken, so that the next backup copies only those
// rows. Rows added and deleted are noted by triggers in the connection's
// own temporary schema (nothing of them is in the file): being in the
// connection's transactions, those notes are rolled back with the writes
// they note, and with a backup that is rolled back. Rows changed in place,
// thousands in a recalculation, are noted by the connection's update hook,
// far cheaper per row than a trigger; those notes outlive a rollback, so
// they may name rows that did not change (copied for nothing) but never
// leave one out: each backup records how many of them it covered, under a
// token written to the mark row in its own transaction, and only the
// backup whose token the connection holds lets go of them.
const char* const kChangedRows = "~BackupChanged";
const char* const kMark = "~BackupMark";
const char* const kTriggers[] = {"~BackupChangedI", "~BackupChangedD"};
// More changed rows than this are copied as a whole sheet, which is faster.
constexpr std::size_t kRowsCopiedOneByOne = 2000;

// What this program knows of the backup it last took through a window's
// connection: the backup holds the sheet as it was then, in the sheet's
// rowids, and the sheet differs from it only in the rows noted since.
struct KnownBackup {
    std::weak_ptr<db::Database> connection;
    std::string sheet;
    bool known = false;
    std::int64_t dataVersion = 0, schemaVersion = 0;
    std::string copyRows; // the INSERT of the copy, with its column lists
};
KnownBackup gKnown;
long long gLastToken = 0;

// Rows of the sheet changed in place, as the update hook saw them, and for
// each backup taken since the last whole copy how many of them it covered.
struct UpdatedRows {
    std::string sheet;
    std::vector<sqlite3_int64> rows;
    std::vector<std::pair<long long, std::size_t>> covered; // token, rows covered
} gUpdated;

void noteUpdate(void*, int op, const char*, const char* table, sqlite3_int64 rowid) {
    if (op == SQLITE_UPDATE && gUpdated.sheet == table) gUpdated.rows.push_back(rowid);
}

std::string temp(const char* name) {
    return "temp." + db::quoteIdent(name);
}

std::string columnList(db::Database& database, const std::string& table) {
    std::string list;
    db::Statement st(database, "PRAGMA table_info(" + db::quoteIdent(table) + ")");
    while (st.step())
        list += (list.empty() ? "" : ", ") + db::quoteIdent(st.column(1).toText());
    return list;
}

std::int64_t schemaVersion(db::Database& database) {
    return database.scalar("PRAGMA schema_version").toLong();
}

// The INSERT that copies rows of the sheet into the backup under their own
// rowids, field by field in order as the structure copy made them.
std::string copyRowsSql(db::Database& database, const std::string& sheet) {
    const std::string from = columnList(database, sheet);
    const std::string to = columnList(database, kBackupTable);
    if (std::count(from.begin(), from.end(), ',') != std::count(to.begin(), to.end(), ','))
        // Not the sheet's structure: the engine says what does not fit.
        return "INSERT INTO " + db::quoteIdent(kBackupTable) + " SELECT * FROM " +
               db::quoteIdent(sheet);
    return "INSERT INTO " + db::quoteIdent(kBackupTable) + " (rowid, " + to + ") SELECT rowid, " +
           from + " FROM " + db::quoteIdent(sheet);
}

// Copies the whole sheet into the emptied backup, as the engine copies a
// table into one of the same structure, record by record without reading
// their fields. True when every row kept its rowid (the engine keeps them
// for a table with an index, but says nothing of it): the lowest and the
// highest are those of the sheet, of as many rows numbered upwards in the
// same order.
bool copyWholeSheet(db::Database& database, const std::string& sheet) {
    database.Execute("INSERT INTO " + db::quoteIdent(kBackupTable) + " SELECT * FROM " +
                     db::quoteIdent(sheet));
    const auto ends = [&database](const std::string& table) {
        return database
            .scalar("SELECT (SELECT min(rowid) FROM " + table +
                    ") || ' ' || (SELECT max(rowid) FROM " + table + ")")
            .toText();
    };
    return ends(db::quoteIdent(kBackupTable)) == ends(db::quoteIdent(sheet));
}

// How many of the rows changed in place the backup in the file covers, when
// it holds `sheet` as this program left it, through this connection, and no
// other connection wrote the file since.
std::optional<std::size_t> backupKnown(db::Database& database, const std::string& sheet) {
    if (!gKnown.known || gKnown.sheet != sheet || gKnown.connection.lock().get() != &database)
        return std::nullopt;
    try {
        if (database.dataVersion() != gKnown.dataVersion ||
            schemaVersion(database) != gKnown.schemaVersion)
            return std::nullopt;
        const long long token = database.scalar("SELECT token FROM " + temp(kMark)).toLong();
        for (const auto& [t, n] : gUpdated.covered)
            if (t == token) return n;
    } catch (const db::Error&) {
    }
    return std::nullopt;
}

// Marks the backup just copied with a new token; it covers the rows changed
// in place noted so far.
void markBackup(db::Database& database) {
    const long long token = ++gLastToken;
    database.Execute("UPDATE " + temp(kMark) + " SET token = ?", {db::Value(token)});
    gUpdated.covered.emplace_back(token, gUpdated.rows.size());
}

// Notes from now on the rows of `sheet` written through this connection.
void noteChangedRows(db::Database& database, const std::string& sheet) {
    database.Execute("CREATE TEMP TABLE IF NOT EXISTS " + db::quoteIdent(kChangedRows) +
                     " (r INTEGER PRIMARY KEY)");
    database.Execute("CREATE TEMP TABLE IF NOT EXISTS " + db::quoteIdent(kMark) + " (token)");
    database.Execute("DELETE FROM " + temp(kChangedRows));
    database.Execute("DELETE FROM " + temp(kMark));
    database.Execute("INSERT INTO " + temp(kMark) + " VALUES (0)");
    for (const char* t : kTriggers)
        database.Execute("DROP TRIGGER IF EXISTS " + temp(t));
    // (Inside a trigger names stand unqualified: the temporary schema's come first.)
    const std::string into = "INSERT OR IGNORE INTO " + db::quoteIdent(kChangedRows) + " VALUES (";
    const std::string on = " ON main." + db::quoteIdent(sheet) + " BEGIN " + into;
    database.Execute("CREATE TEMP TRIGGER " + db::quoteIdent(kTriggers[0]) + " AFTER INSERT" + on +
                     "new.rowid); END");
    database.Execute("CREATE TEMP TRIGGER " + db::quoteIdent(kTriggers[1]) + " AFTER DELETE" + on +
                     "old.rowid); END");
    // The hook leaves the connection it was on, which may still be open.
    if (auto before = gKnown.connection.lock(); before && before.get() != &database)
        sqlite3_update_hook(before->handle(), nullptr, nullptr);
    sqlite3_update_hook(database.handle(), noteUpdate, nullptr);
    gUpdated = UpdatedRows{};
    gUpdated.sheet = sheet;
    markBackup(database);
}

// While it lives, the connection's writes do not check the fields' rules.
class IgnoringFieldRules {
public:
    explicit IgnoringFieldRules(db::Database& database) : database_(database) {
        database_.Execute("PRAGMA ignore_check_constraints = ON");
    }
    ~IgnoringFieldRules() {
        try {
            database_.Execute("PRAGMA ignore_check_constraints = OFF");
        } catch (const std::exception&) {
        }
    }
    IgnoringFieldRules(const IgnoringFieldRules&) = delete;
    IgnoringFieldRules& operator=(const IgnoringFieldRules&) = delete;

private:
    db::Database& database_;
};

// Whether two tables have the same fields, in order, with the same types,
// sizes, defaults and rules.
bool sameFields(db::Database& database, const std::string& a, const std::string& b) {
    const auto fa = database.tableDef(a).fields, fb = database.tableDef(b).fields;
    return std::equal(fa.begin(), fa.end(), fb.begin(), fb.end(), [](const auto& x, const auto& y) {
        return x.name == y.name && x.type == y.type && x.size == y.size &&
               x.defaultValue.kind() == y.defaultValue.kind() && x.defaultValue == y.defaultValue &&
               x.allowZeroLength == y.allowZeroLength && x.required == y.required;
    });
}

// The backup made the sheet as it is by copying the rows written since it
// was taken, the first `covered` rows changed in place being in it already.
void copyChangedRows(db::Database& database, std::size_t covered) {
    // Notes the file's backup no longer needs are let go.
    std::erase_if(gUpdated.covered, [covered](const auto& c) { return c.second < covered; });
    gUpdated.rows.erase(gUpdated.rows.begin(),
                        gUpdated.rows.begin() + static_cast<std::ptrdiff_t>(covered));
    for (auto& c : gUpdated.covered)
        c.second -= covered;
    const std::size_t updated = gUpdated.rows.size();
    const auto added = static_cast<std::size_t>(
        database.scalar("SELECT count(*) FROM " + temp(kChangedRows)).toLong());
    // The span of the sheet's rowids stands for its size: half of it changed
    // is copied whole too. Each end is its own query, which the engine reads
    // off the end of the table; min and max in one query read every row.
    const std::string sheet = db::quoteIdent(gKnown.sheet);
    const std::size_t span =
        static_cast<std::size_t>(database
                                     .scalar("SELECT ifnull((SELECT max(rowid) FROM " + sheet +
                                             ") - (SELECT min(rowid) FROM " + sheet + ") + 1, 0)")
                                     .toLong());
    if (updated + added > std::min(kRowsCopiedOneByOne, span / 2)) {
        // So many changed that the whole sheet is copied, faster.
        database.Execute("DELETE FROM " + db::quoteIdent(kBackupTable));
        if (!copyWholeSheet(database, gKnown.sheet)) gKnown.known = false;
    } else if (updated + added > 0) {
        db::Statement note(database, "INSERT OR IGNORE INTO " + temp(kChangedRows) + " VALUES (?)");
        for (const sqlite3_int64 rowid : gUpdated.rows) {
            note.bind(1, db::Value(static_cast<long long>(rowid)));
            note.step();
            note.reset();
        }
        const std::string rows = " WHERE rowid IN (SELECT r FROM " + temp(kChangedRows) + ")";
        database.Execute("DELETE FROM " + db::quoteIdent(kBackupTable) + rows);
        // Rows are copied as they are, as the whole copy copies them: a value
        // the field's rules refuse (written by another program) is the
        // user's data, which the backup keeps, not a fault of the backup.
        IgnoringFieldRules asTheyAre(database);
        database.Execute(gKnown.copyRows + rows);
    }
    database.Execute("DELETE FROM " + temp(kChangedRows));
    markBackup(database);
}

// The connection the window reads the file through, when it is that file:
// the copy then joins a transaction the edit holds open on it.
std::shared_ptr<db::Database> connectionOf(SheetWindow& window, const std::string& path,
                                           bool& own) {
    db::Recordset& rs = window.Data1.recordset();
    if (rs.isOpen())
        if (auto database = rs.database()) {
            std::error_code ec;
            if (std::filesystem::equivalent(database->path(), path, ec)) {
                own = true;
                return database;
            }
        }
    own = false;
    return db::Database::open(path);
}

} // namespace

bool BackupSheet(bool recreate, QString* failure) {
    if (gActiveKind != 1 && gActiveKind != 2) return false;
    auto* window = dynamic_cast<SheetWindow*>(gActiveSheet);
    if (!window) return false;
    const std::string path = window->txtDBName->text().toStdString();
    if (path.empty()) return false;
    const QString caption = window->caption();
    const std::string sheet = caption.mid(11).toStdString();
    // A file gone from under the window takes no more edits: the edit
    // itself says so.
    if (const auto own =
            window->Data1.recordset().isOpen() ? window->Data1.recordset().database() : nullptr;
        own && own->gone()) {
        gBackupCaption.clear();
        enableUndo(false);
        return false;
    }
    try {
        bool windowsConnection = false;
        auto database = connectionOf(*window, path, windowsConnection);
        if (database->readOnly()) {
            // No edit can change the file, so there is nothing to undo.
            gBackupCaption.clear();
            enableUndo(false);
            return false;
        }
        if (const auto stored = database->findTable(sheet); !stored || *stored != sheet)
            return false;

        // Inside the edit's transaction a savepoint: a backup that fails
        // leaves the edit to go on without it.
        db::Database::Transaction tx(*database);
        const std::optional<std::size_t> covered = !recreate && windowsConnection &&
                                                           gBackupCaption == caption &&
                                                           gBackupFile == window->txtDBName->text()
                                                       ? backupKnown(*database, sheet)
                                                       : std::nullopt;
        if (covered) {
            copyChangedRows(*database, *covered);
        } else {
            bool present = database->findTable(kBackupTable).has_value();
            // A backup of another sheet, of other bands, is made anew in this
            // sheet's structure: as after the window's activation, which a
            // program viewing the file only takes no backup at (it then took
            // the file over from the program that wrote the backup).
            if (present && !recreate && !sameFields(*database, sheet, kBackupTable))
                recreate = true;
            if (recreate && present) {
                database->deleteTable(kBackupTable);
                present = false;
            }
            if (!present)
                CopyTableDef(sheet, *database, kBackupTable);
            else
                database->Execute("DELETE FROM " + db::quoteIdent(kBackupTable));
            const bool sameRowids = copyWholeSheet(*database, sheet);
            gKnown.known = false;
            if (windowsConnection && sameRowids) {
                noteChangedRows(*database, sheet);
                gKnown.connection = database;
                gKnown.sheet = sheet;
                gKnown.copyRows = copyRowsSql(*database, sheet);
                gKnown.dataVersion = database->dataVersion();
                gKnown.schemaVersion = schemaVersion(*database);
                gKnown.known = true;
            }
        }
        tx.commit();
        const KnownBackup known2 = gKnown;
        noteBackup(*database);
        gKnown = known2;
    } catch (const std::exception& e) {
        gKnown.known = false;
        gBackupCaption.clear();
        gBackupFile.clear();
        enableUndo(false);
        if (failure)
            *failure = QString::fromStdString(e.what());
        else
            // The command stops for its backup, not for what it was to do.
            platform::MsgBox("Error in backup: the undo copy of the sheet could not be "
                             "written.\n\n" +
                             QString::fromStdString(e.what()));
        return true;
    }
    gBackupCaption = caption;
    gBackupFile = window->txtDBName->text();
    enableUndo(true);
    return false;
}

EditCommit::EditCommit(SheetWindow& window)
    : window_(window), backupCaption_(gBackupCaption), backupFile_(gBackupFile) {
    if (QAction* undo = menuItem("mnuEditUndo")) undoEnabled_ = undo->isEnabled();
    db::Recordset& rs = window.Data1.recordset();
    if (!rs.isOpen()) return;
    database_ = rs.database();
    if (!database_ || database_->readOnly()) return; // the write itself says why
    try {
        tx_.emplace(*database_);
    } catch (const std::exception&) {
        // the writes go on one by one, and the first of them fails as this did
    }
}

EditCommit::~EditCommit() {
    if (tx_) rollBack();
}

void EditCommit::resume() {
    if (!tx_ || database_->inTransaction()) return;
    tx_.reset(); // given up by the engine: nothing is left to roll back
    try {
        tx_.emplace(*database_);
    } catch (const std::exception&) {
    }
}

std::optional<QString> EditCommit::commit() {
    if (!tx_) return std::nullopt;
    try {
        tx_->commit();
        tx_.reset();
        return std::nullopt;
    } catch (const std::exception& e) {
        rollBack();
        return QString::fromStdString(e.what());
    }
}

void EditCommit::rollBack() {
    tx_.reset();
    // The backup is the one before this edit again.
    gBackupCaption = backupCaption_;
    gBackupFile = backupFile_;
    enableUndo(undoEnabled_);
    // The window's rows took the edit as written: they are read again.
    db::Recordset& rs = window_.Data1.recordset();
    try {
        const int at = rs.AbsolutePosition();
        if (rs.editing()) rs.CancelUpdate();
        rs.Requery();
        if (at >= 1 && rs.RecordCount() > 0) rs.setAbsolutePosition(std::min(at, rs.RecordCount()));
    } catch (const std::exception&) {
    }
}

QString keptWithoutUndo(const QString& failure) {
    return "The change is kept, but Undo is not available for it: the undo copy of the sheet "
           "could not be written.\n\n" +
           failure;
}

bool CopyTableDef(const std::string& source, db::Database& database, const std::string& newName) {
    database.copyTableStructure(source, newName);
    return true;
}

namespace {

// The worksheet and spectrum of the first value the file's fields do not
// allow (written by another program), which no compaction can carry over.
std::optional<std::string> badSpectrum(const std::string& path) {
    try {
        auto database = db::Database::open(path);
        db::Statement names(*database, "SELECT " + db::quoteIdent("Sheet Name") + " FROM " +
                                           db::quoteIdent(db::kSheetsList));
        while (names.step()) {
            const std::string sheet = names.column(0).toText();
            if (!database->findTable(sheet)) continue;
            const auto bad = db::findBadValue(*database, sheet);
            if (!bad) continue;
            const db::Value code =
                database->scalar("SELECT " + db::quoteIdent("Code") + " FROM " +
                                     db::quoteIdent(sheet) + " WHERE rowid = ?",
                                 {db::Value(static_cast<long long>(bad->rowid))});
            const std::string spectrum =
                code.isNumber() ? "spectrum " + code.toText() : "a spectrum without a number";
            const std::string where =
                "worksheet \"" + sheet + "\", " + spectrum + ": its " + bad->field + " holds ";
            if (bad->length > 0)
                return where + "a text of " + std::to_string(bad->length) +
                       " characters, too long for the field (at most " + std::to_string(bad->size) +
                       ")";
            return where + "a value of a kind the field cannot hold (" + bad->kind + ")";
        }
    } catch (const std::exception&) {
        // the compaction's own failure is reported
    }
    return std::nullopt;
}

} // namespace

void CompactFile() {
    const std::string path = gFilePath.toStdString();
    try {
        db::compactFile(path);
    } catch (const std::exception& e) {
        QString text = QString::fromStdString(e.what());
        if (const auto bad = badSpectrum(path))
            text = "In " + QString::fromStdString(*bad) + ".\n\n" + text;
        platform::MsgBox("Error compacting database. " + text);
    }
}

bool sheetInFile(SheetWindow& window) {
    const auto database = window.Data1.recordset().database();
    const std::string name = window.sheetName().toStdString();
    if (!database || database->findTable(name) != name) return false;
    const db::Value system = database->scalar("SELECT " + db::quoteIdent("Octave/Third Octave") +
                                                  " FROM " + db::quoteIdent(db::kSheetsList) +
                                                  " WHERE " + db::quoteIdent("Sheet Name") + " = ?",
                                              {db::Value(name)});
    if (system.isEmpty()) return false; // no row
    if ((system.isNumber() && system.toLong() == 2 ? 30 : 10) != window.bandCount()) return false;
    // A sheet made anew under the name, its bands beginning elsewhere or of
    // another kind of datasheet, is another sheet: the window's band labels
    // and fields are not its own.
    db::Recordset& row = window.Data2.recordset();
    if (!row.isOpen() || !atRecord(row)) return true;
    for (int i = 0; i < row.Fields().Count(); ++i) {
        const std::string field = row.Fields(i).Name();
        if (!db::equalNoCase(field, "First Band") && !db::equalNoCase(field, "Datasheet Type"))
            continue;
        const db::Value shown = row.Fields(i).value();
        const db::Value now = database->scalar("SELECT " + db::quoteIdent(field) + " FROM " +
                                                   db::quoteIdent(db::kSheetsList) + " WHERE " +
                                                   db::quoteIdent("Sheet Name") + " = ?",
                                               {db::Value(name)});
        if (now.kind() != shown.kind() || now != shown) return false;
    }
    return true;
}

SheetView sheetView(SheetWindow& window) {
    db::Recordset& rs = window.Data1.recordset();
    if (!rs.isOpen() || db::heldAs(window.txtDBName->text().toStdString()) == db::FileHold::Writing)
        return SheetView::Current;
    try {
        if (rs.matchesFile()) return SheetView::Current;
    } catch (const std::exception&) {
        // The rows cannot be read as the window reads them: the sheet may be gone.
        if (sheetInFile(window)) throw;
        return SheetView::Gone;
    }
    return sheetInFile(window) ? SheetView::Changed : SheetView::Gone;
}

bool changedElsewhere(SheetWindow& window) {
    return sheetView(window) != SheetView::Current;
}

QString changedElsewhereText(const QString& sheet) {
    return "\"" + sheet +
           "\" was changed in its file by another Bandwright since this window showed it. The "
           "window now shows the file as it is, and nothing was done: check the spectra and give "
           "the command again.";
}

namespace {

const char* const kClosedUnchanged =
    " since this window showed it: the window was closed without changing the file.";

} // namespace

QString changedElsewhereText(const SheetWindow& window) {
    if (!window.closing()) return changedElsewhereText(window.sheetName());
    return "\"" + window.sheetName() + "\" was changed in its file by another Bandwright" +
           kClosedUnchanged;
}

QString goneElsewhereText(const SheetWindow& window) {
    const bool worksheet = window.sheetKind() == db::SheetKind::Worksheet;
    if (window.closing())
        return QString(worksheet ? "The worksheet" : "The datasheet") + " \"" + window.sheetName() +
               "\" was deleted or renamed in its file by another Bandwright" + kClosedUnchanged;
    return QString(worksheet ? "The worksheet" : "The datasheet") + " \"" + window.sheetName() +
           "\" was deleted or renamed in its file by another Bandwright since this window showed "
           "it, and nothing was done: this window can no longer change it. Close the window and "
           "open the " +
           (worksheet ? "worksheet" : "datasheet") +
           " again (under its new name if it was renamed).";
}

void noteBackup(db::Database& database) {
    gKnown.known = false; // the backup was changed: what was known of it is not
    gBackupPrint = db::heldAs(database.path()) == db::FileHold::Writing ? 0 : backupPrint(database);
}

bool backupReplacedElsewhere(db::Database& database) {
    return gBackupPrint != 0 && backupPrint(database) != gBackupPrint;
}

void disownBackup() {
    gBackupCaption.clear();
    gBackupFile.clear();
    enableUndo(false);
}
