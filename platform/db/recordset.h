#pragma once
// Client-side record sets: every row of a query is read at once and kept in
// memory with a current record, as the sheet windows and commands use them.
//
// A Recordset is a handle: copies refer to the same record set (as a
// reference to one does). Clone() makes a second record set over the same
// rows: a change committed through one is seen by the other. Requery()
// reads the rows afresh and leaves the clones on the old ones.
//
// Field values are written to the current record's edit buffer; Update()
// ends the edit. With LockType::Optimistic it writes the record to the file
// at once; with LockType::BatchOptimistic it keeps the change pending until
// UpdateBatch(), which writes every pending change of the rows in one
// transaction, or none of them. Moving away from a record with an edit in
// progress updates it first.
//
// Observers hear of moves (of one record set, never of its clones) and of
// changes to the rows (made through any record set sharing them).
#include "platform/db/database.h"
#include "platform/db/observers.h"
#include "platform/db/value.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace db {

// Identifies a record for the life of the rows it was taken from; stays the
// same when fields of the record (Code included) change.
using RecordKey = std::int64_t;

// AbsolutePosition() away from a record.
constexpr int kPosUnknown = -1;
constexpr int kPosBOF = -2;
constexpr int kPosEOF = -3;

struct RecordsetImpl;
namespace detail {
struct Row;
}

// A change of the rows, as a record set's row observers hear it. Positions
// are 1-based, as AbsolutePosition() counts.
struct RowEvent {
    enum class Kind {
        // Rows took new values: an Update of this record set or of any other
        // sharing its rows (a clone's, in batch mode too).
        Changed,
        // The edit buffer of this record set changed; peek() shows it for the
        // current record. Only this record set's observers hear it.
        Edited,
        Added,   // `first` is the new row's position
        Removed, // `first` is the place the row had
        // Read afresh (Requery), pending changes dropped (CancelBatch) or
        // closed: any row may differ, and the count too.
        Reset,
    };
    Kind kind = Kind::Reset;
    int first = 0;
    int count = 0;
};

class Field {
public:
    const std::string& Name() const;
    Value value() const;
    void setValue(const Value& v);
    Field& operator=(const Value& v) {
        setValue(v);
        return *this;
    }
    // The field's definition in its table; nullptr for a computed column.
    const FieldDef* def() const;

private:
    friend class Recordset;
    friend class FieldList;
    Field(std::shared_ptr<RecordsetImpl> rs, int index) : rs_(std::move(rs)), index_(index) {}
    std::shared_ptr<RecordsetImpl> rs_; // keeps its record set alive
    int index_;
};

class FieldList {
public:
    int Count() const;
    Field operator()(int index) const;             // 0-based position
    Field operator()(std::string_view name) const; // any letter case
    // The position of a field by name, or -1.
    int indexOf(std::string_view name) const;

private:
    friend class Recordset;
    explicit FieldList(std::shared_ptr<RecordsetImpl> rs) : rs_(std::move(rs)) {}
    std::shared_ptr<RecordsetImpl> rs_;
};

// Rows read by GetRows(): value(field, row), both 0-based.
class RowArray {
public:
    int fieldCount() const { return fields_; }
    int rowCount() const { return rows_; }
    const Value& value(int field, int row) const {
        return data_[static_cast<size_t>(row) * static_cast<size_t>(fields_) +
                     static_cast<size_t>(field)];
    }

private:
    friend class Recordset;
    int fields_ = 0;
    int rows_ = 0;
    std::vector<Value> data_;
};

// The record an edit of UpdateBatch(fields, edit) is given.
class BatchRecord {
public:
    int position() const; // 1-based, as AbsolutePosition()
    // A field of the record as the rows hold it now.
    const Value& value(int field) const {
        if (field < 0 || static_cast<std::size_t>(field) >= count_) noField(field);
        return values_[field];
    }
    // Sets a field as a pending change of the rows, as setting it through
    // Fields() and calling Update() would; throws db::Error likewise, and
    // for a field the batch did not name.
    void setValue(int field, const Value& v);
    void setValue(int field, Value&& v);
    void setValue(int field, double v) {
        // A finite number for a named Double field needs no conversion.
        if (field >= 0 && static_cast<std::size_t>(field) < batch_.numbers.size() &&
            batch_.numbers[static_cast<std::size_t>(field)] && std::isfinite(v))
            store(field, Value(v));
        else
            setValue(field, Value(v));
    }

private:
    friend class Recordset;
    // What a batch shares with each of its records.
    struct Batch {
        std::vector<char> named;   // by field position
        std::vector<char> numbers; // the named Double fields
        // By field position: 1 + the index of the record that last set it.
        std::vector<std::size_t> setBy;
        // The file's values the edit replaced in records that held none
        // pending before: needed only should the batch fail, so kept here,
        // side by side, rather than in each record.
        struct Kept {
            std::uint32_t row; // in keptRows
            std::int32_t field;
            Value value;
        };
        // In chunks that never move once made: a few large allocations
        // cost less than many small ones, to make and to free.
        std::vector<std::vector<Kept>> kept;
        std::vector<std::shared_ptr<detail::Row>> keptRows;
        void keep(std::uint32_t row, int field, Value&& value);
        // After a failure: the kept values go to their records, pending.
        void restore();
    };
    BatchRecord(RecordsetImpl& d, std::size_t index, Batch& batch);
    void store(int field, Value v);
    [[noreturn]] void noField(int field) const;
    RecordsetImpl& d_;
    std::size_t index_;
    Batch& batch_;
    detail::Row& row_;
    const Value* values_; // the record's, read in place
    std::size_t count_;
    bool keptBefore_;     // the row kept file's values before the batch
    bool logged_ = false; // in batch_.keptRows
    const Value* next_;   // the next record's, or none
    bool changed_ = false;
};

class Recordset {
public:
    Recordset() = default; // refers to no record set (closed)

    // Runs a query (or, when `source` is a table name, reads that table).
    static Recordset open(std::shared_ptr<Database> db, std::string_view source,
                          const std::vector<Value>& params = {},
                          LockType lock = LockType::Optimistic);

    bool isOpen() const;
    bool sameAs(const Recordset& o) const { return d_ == o.d_; }
    std::shared_ptr<Database> database() const;
    // The table whose rows the record set changes ("" when it cannot change any).
    const std::string& baseTable() const;
    LockType lockType() const;
    void setLockType(LockType lock);

    bool bof() const;
    bool eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    // Moves n records from the current one; Move(0) stays and ends an edit.
    void Move(long n);
    int RecordCount() const;
    // The value of a field of the record at a position (1-based), as this
    // record set shows it: the row's values, or for the current record with
    // an edit in progress, the edit buffer. Neither moves, nor raises move
    // notices, nor ends an edit.
    Value peek(int position, int field) const;
    // Every field of the record at a position as the rows hold them (a
    // change pending in a batch included, an edit buffer not), read in place
    // without a copy: valid until the rows change.
    std::span<const Value> rowValues(int position) const;
    // A number that changes whenever any field of the record at a position
    // changes, by any record set on these rows; no other record, nor another
    // version of this one, has had it. Read anew, rows get new numbers.
    std::uint64_t rowStamp(int position) const;
    // The positions (ascending, each once) of the records whose stamps were
    // taken anew since the last call on these rows, by any record set on
    // them; nothing known (nullopt) at the first call, after records came,
    // went or moved, and after more changes than are noted. For the one user
    // of the rows that keeps something beside them.
    std::optional<std::vector<int>> takeChangedPositions();
    // State a user of the rows keeps beside them, shared by the clones and
    // dropped with the rows (a Requery reads new ones).
    std::shared_ptr<void> attached() const;
    void attach(std::shared_ptr<void> state);
    // The bookmark of the record at a position, without moving.
    RecordKey keyAt(int position) const;
    // The position of the record with this bookmark, or 0 when it is not in the rows.
    int positionOf(RecordKey key) const;
    int AbsolutePosition() const; // 1-based, or kPosBOF / kPosEOF / kPosUnknown
    void setAbsolutePosition(int position);
    RecordKey Bookmark() const;
    void setBookmark(RecordKey key);
    // Moves to the next record (from the current one, after skipRows) whose
    // field equals the value (texts in any letter case); at no match the
    // record set is left at EOF (forward) or BOF (backward) and false returned.
    bool Find(std::string_view field, const Value& value, int skipRows = 0, bool forward = true);

    FieldList Fields() const;
    Field Fields(int index) const;
    Field Fields(std::string_view name) const;

    // A new record holding the table's default values, made the current one.
    void AddNew();
    void Update();
    void CancelUpdate();
    bool editing() const;
    // Deletes the current record; the record set stays on its place until the
    // next move (MoveNext then reaches the record after it).
    void Delete();
    void Requery();
    // False when the file no longer holds the rows as they were read or last
    // written through these rows: another connection changed them. Rereads
    // the query only when some other connection has committed meanwhile.
    bool matchesFile() const;
    Recordset Clone() const;
    Recordset Clone(LockType lock) const;
    void UpdateBatch();
    // UpdateBatch() that lets `edit` set fields of each record, among the
    // `fields` named, just before the record is written: every record is
    // visited once, in order. `edit` changes records only through the
    // BatchRecord it is given (any other change fails the batch). On
    // failure what it set stays pending, as with UpdateBatch().
    void UpdateBatch(const std::vector<int>& fields, const std::function<void(BatchRecord&)>& edit);
    // The same, visiting only the records at `positions` (ascending); every
    // other pending change of the rows is written as well.
    void UpdateBatch(const std::vector<int>& fields, const std::vector<int>& positions,
                     const std::function<void(BatchRecord&)>& edit);
    // Drops every pending change of the rows.
    void CancelBatch();
    // Every row from the current one to the last; leaves the record set at EOF.
    RowArray GetRows();
    void Close();

    // Called after every move of this record set (not of its clones); the
    // data controls turn it into their move signal.
    [[nodiscard]] Subscription observeMoves(std::function<void()> observer);
    // Called after every change of the rows this record set shows (see
    // RowEvent). Observers read; they must not change the rows while notified.
    [[nodiscard]] Subscription observeRows(std::function<void(const RowEvent&)> observer);

private:
    void updateBatch(const std::vector<int>& fields, const std::vector<int>* positions,
                     const std::function<void(BatchRecord&)>& edit);
    explicit Recordset(std::shared_ptr<RecordsetImpl> d) : d_(std::move(d)) {}
    RecordsetImpl& impl() const;
    std::shared_ptr<RecordsetImpl> d_;
};

} // namespace db
