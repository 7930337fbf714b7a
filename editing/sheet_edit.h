#pragma once
// One Edit command's changes to the sheet of a window: its records in Code
// order as the file holds them, and the writes, made through the connection
// the window reads with, all in one transaction (begin ... commit; a failure
// or a missing commit rolls every change back).
#include "platform/db/database.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SheetWindow;

class SheetEdit {
public:
    struct Record {
        std::int64_t rowid = 0;
        long code = 0;
        std::string formula; // worksheets only
    };

    // Reads the window's band system and the records of its sheet. Throws db::Error.
    explicit SheetEdit(SheetWindow& window);
    ~SheetEdit();
    SheetEdit(const SheetEdit&) = delete;
    SheetEdit& operator=(const SheetEdit&) = delete;

    SheetWindow& window() const { return window_; }
    bool worksheet() const { return worksheet_; }
    int bandKind() const { return bandKind_; }
    int firstBand() const { return firstBand_; }
    int bandCount() const { return bandKind_ == 2 ? 30 : 10; }
    const std::string& table() const { return table_; }
    const db::TableDef& def() const { return def_; }

    // The records in Code order: position n (from 1) is records()[n - 1].
    const std::vector<Record>& records() const { return records_; }
    int count() const { return static_cast<int>(records_.size()); }
    // The position of the record with this Code, or 0.
    int positionOfCode(long code) const;
    long maxCode() const;

    // Starts the command's transaction. Throws db::Error, with the window
    // read again, when another program changed the sheet since the window
    // showed it: from here on nothing another program commits can come
    // between the window's view and the writes.
    void begin();
    void commit();

    void deleteRecord(std::int64_t rowid);
    // Gives records new Codes (rowid, code); the unique index never sees
    // two records with one Code on the way.
    void renumber(const std::vector<std::pair<std::int64_t, long>>& codes);
    void setFormula(std::int64_t rowid, const std::string& formula);
    // Writes fields 1 ... fields.size() - 1 (Empty elements are skipped).
    void updateFields(std::int64_t rowid, const std::vector<db::Value>& fields);
    // Adds a record with this Code; fields given (Empty elements and those
    // beyond take the table's defaults).
    void insertRecord(long code, const std::vector<db::Value>& fields = {});

private:
    db::Value coerced(size_t field, const db::Value& v) const;
    db::Statement& statement(std::unique_ptr<db::Statement>& slot, const std::string& sql);

    SheetWindow& window_;
    std::shared_ptr<db::Database> db_;
    std::string table_;
    db::TableDef def_;
    bool worksheet_ = true;
    int bandKind_ = 1;
    int firstBand_ = 0;
    std::vector<Record> records_;
    std::unique_ptr<db::Database::Transaction> tx_;
    std::unique_ptr<db::Statement> deleteSt_, codeSt_, formulaSt_, updateSt_, insertSt_;
    std::vector<size_t> updateCols_;
};

// The renumbering of the formula references after spectra moved: every
// reference m of the sheet's records becomes newNumber(m). Records whose
// formula changes are written.
void UpdateSpecs(SheetEdit& edit, const std::function<long(long)>& newNumber);
void UpdateSpecs(SheetEdit& edit, long threshold, long delta);

// What becomes of a datasheet window's type selector when its records change.
enum class TypeList {
    Reread, // read again from the datasheet's types
    Keep,   // as it is: commands that add spectra, whose new type (if the user
            // named one) the type picker has put last
};

// Shows what a command changed: clears the grid's selection, requeries the
// window's records, puts the cursor on `position` (the last record when there are fewer),
// recalculates a worksheet when asked, and redraws the chart and the level boxes. With a `code`,
// the cursor goes to the record of that Code instead.
void showSheetChanges(SheetWindow& window, int position, bool recalc, long code = 0,
                      TypeList types = TypeList::Reread);

// What a datasheet window adds to the Edit commands. Its window class
// installs these; until it does, a new datasheet spectrum has no type and
// nothing more is refreshed.
struct DatasheetEditHooks {
    // The Select Type of spectra a command adds: the window's filter type,
    // or the user's choice; nullopt when the user cancelled or chose none.
    std::function<std::optional<QString>(SheetWindow&)> newSpectrumType;
    // After a command changed the window's records: rebind its other data
    // controls and, as asked, rebuild its type filter.
    std::function<void(SheetWindow&, TypeList)> recordsChanged;
};
void setDatasheetEditHooks(DatasheetEditHooks hooks);
const DatasheetEditHooks& datasheetEditHooks();

// The sheet window the Edit commands act on (gActiveSheet while a worksheet
// or datasheet window is active), or nullptr.
SheetWindow* activeSheetWindow();
// Ends a cell edit in the window's grid and writes a record edit in progress.
// False when it was not written because another program changed the sheet
// meanwhile (the window was reread and the user told): the command stops.
bool endSheetEdits(SheetWindow& window);
// True when another program changed the window's sheet in a file shared by
// design or viewed only here since the window read it: the window is reread,
// the user told, and the command must not act on what the window showed.
// A file viewed only here that no other program writes any more is first
// taken for writing (takeViewedFile), so that the command can go on.
bool viewMadeStale(SheetWindow& window);
