#pragma once
// The rows a record set shares with its clones, and their reading from the
// file. Private to the record sets: recordset*.cpp and row_writer.cpp.
#include "platform/db/recordset.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

struct RecordsetImpl;

namespace detail {

// A number no row has had before: see Row::stamp.
std::uint64_t newRowStamp();

struct Row {
    enum class State { Unchanged, Modified, Added, Deleted };
    std::vector<Value> values; // as the record set shows them (pending changes included)
    // The file's value of each field changed since the row was read or last
    // written, by field position; every other field of `values` is as in
    // the file. Only rows with pending changes hold any.
    std::vector<std::pair<int, Value>> original;
    std::int64_t rowid = 0;
    RecordKey key = 0;
    State state = State::Unchanged;
    // Added by an AddNew whose Update has not come yet: no batch writes it.
    bool unfinished = false;
    // Taken anew whenever `values` change, however they change; no two rows
    // and no two versions of one row share it.
    std::uint64_t stamp = newRowStamp();
    void changed() { stamp = newRowStamp(); }
    bool hasOriginal(int field) const {
        for (const auto& o : original)
            if (o.first == field) return true;
        return false;
    }
    // Keeps the file's value of a field before it first changes.
    void keepOriginal(int field) {
        if (!hasOriginal(field)) original.emplace_back(field, values[static_cast<size_t>(field)]);
    }
    // Back to the file's values.
    void restore() {
        if (!original.empty()) changed();
        for (auto& [field, v] : original)
            values[static_cast<size_t>(field)] = std::move(v);
        std::vector<std::pair<int, Value>>().swap(original);
    }
    // The file now holds the values of these fields (by position), or of all.
    template <class Written> void written(Written isWritten) {
        std::erase_if(original, [&](const auto& o) { return isWritten(o.first); });
        if (original.empty()) std::vector<std::pair<int, Value>>().swap(original);
    }
    // Once taken out of the rows: the row that followed it then, so that a
    // record set standing on it finds its place after later removals too.
    std::shared_ptr<Row> next;
};

struct FieldInfo {
    std::string name;
    std::string column; // column of the base table, "" when computed
    bool hasDef = false;
    FieldDef def;
};

// The rows shared by a record set and its clones.
struct RowStore {
    std::shared_ptr<Database> db;
    std::string sql;
    std::vector<Value> params;
    std::string baseTable;
    bool hasRowid = false;
    std::vector<FieldInfo> fields;
    std::vector<std::shared_ptr<Row>> rows;
    // Deleted, pending a batch update, with the place each one had.
    std::vector<std::pair<std::shared_ptr<Row>, size_t>> removed;
    // Every field set by an edit since the last batch update or cancel: the
    // batch writes these (one set but not changed does no harm) without
    // first comparing every row with the file's values.
    std::vector<char> pendingFields;
    // The connection's data version before the rows were read (see matchesFile).
    std::int64_t dataVersion = 0;
    std::uint64_t generation = 0;
    std::uint64_t updates = 0; // edits ended by Update()
    RecordKey nextTempKey = -1;
    // The record sets on these rows, for row notices.
    std::vector<std::weak_ptr<RecordsetImpl>> sharers;
    // Rows that took a pending change (Modified or Added) since the last
    // batch update or cancel; some may have none any more.
    std::vector<std::shared_ptr<Row>> pendingRows;
    // What a user of the rows keeps beside them (Recordset::attached).
    std::shared_ptr<void> attached;
    // While `changesNoted`: the places of the rows whose stamps were taken
    // anew since Recordset::takeChangedPositions was last called, when the
    // generation was `changesGeneration`. Past a bound they are dropped and
    // `changesNoted` cleared.
    std::vector<std::uint32_t> changedPlaces;
    bool changesNoted = false;
    std::uint64_t changesGeneration = 0;

    // Row i takes a new stamp, its place noted.
    void changed(size_t i) {
        rows[i]->changed();
        if (!changesNoted) return;
        if (changedPlaces.size() < std::max<size_t>(64, rows.size() / 8)) {
            changedPlaces.push_back(static_cast<std::uint32_t>(i));
        } else {
            changesNoted = false;
            std::vector<std::uint32_t>().swap(changedPlaces);
        }
    }

    // Takes a row out of the rows, remembering its successor.
    void erase(size_t i) {
        rows[i]->next = i + 1 < rows.size() ? rows[i + 1] : nullptr;
        rows.erase(rows.begin() + static_cast<long>(i));
    }
};

// The query a record source stands for: the name of a table (even one that
// reads as SQL) or a SELECT, WITH or VALUES query. Throws db::Error.
std::string recordSourceSql(const Database& db, std::string_view source);

// The value a field of the rows stores for `v`; throws when it cannot be set.
Value storedValue(const RowStore& s, const FieldInfo& f, Value v);

// Reads every row of the query into a new store. Throws db::Error for a
// query that would change the file.
std::shared_ptr<RowStore> loadRows(std::shared_ptr<Database> db, std::string sql,
                                   std::vector<Value> params);

} // namespace detail
} // namespace db
