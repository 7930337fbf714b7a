#pragma once
// The SQL that writes rows of a record set into their table. Private to the
// record sets.
#include "platform/db/row_store.h"

#include <map>
#include <memory>
#include <vector>

namespace db::detail {

// Writes one row's changed columns, its insertion or its deletion.
class RowWriter {
public:
    explicit RowWriter(RowStore& s) : s_(s) {}

    // The statement that writes the fields `cols` of a row.
    Statement& updateStatement(const std::vector<int>& cols);
    // The changed fields of a row, by position; throws when the row is gone.
    void update(Row& r, const std::vector<int>& cols);
    void update(Row& r, const std::vector<int>& cols, Statement& st);
    // The fields `cols` of `values` into the record read as `read`, only
    // while the file still holds every field of it as read: a rowid alone
    // may name another record after another program deleted this one and
    // added one. Throws when the record is gone or holds other values.
    // `values` then holds the fields `cols` as the file stored them.
    void updateAsRead(const Row& read, std::vector<Value>& values, const std::vector<int>& cols);

    // A new row; returns its rowid.
    std::int64_t insert(const Row& r);

    void remove(const Row& r);

private:
    RowStore& s_;
    std::map<std::vector<int>, Statement> updates_;
    std::unique_ptr<Statement> insert_;
    std::unique_ptr<Statement> delete_;
    std::vector<int> insertCols_;
};

// The fields whose values differ from the file's.
std::vector<int> changedColumns(const Row& r);

} // namespace db::detail
