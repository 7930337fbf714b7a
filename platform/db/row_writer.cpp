#include "platform/db/row_writer.h"

#include <sqlite3.h>

namespace db::detail {

void RowWriter::update(Row& r, const std::vector<int>& cols) {
    if (cols.empty()) return;
    auto it = updates_.find(cols);
    if (it == updates_.end()) {
        std::string sql = "UPDATE " + quoteIdent(s_.baseTable) + " SET ";
        for (size_t i = 0; i < cols.size(); ++i)
            sql += (i ? ", " : "") + quoteIdent(s_.fields[static_cast<size_t>(cols[i])].column) +
                   " = ?";
        sql += " WHERE rowid = ?";
        it = updates_.emplace(cols, Statement(*s_.db, sql)).first;
    }
    Statement& st = it->second;
    st.reset();
    int k = 1;
    for (int c : cols)
        st.bind(k++, r.values[static_cast<size_t>(c)]);
    st.bind(k, Value(static_cast<long long>(r.rowid)));
    st.step();
    if (sqlite3_changes(s_.db->handle()) != 1)
        throw Error("The record to be changed is no longer in the table \"" + s_.baseTable + "\"");
}

std::int64_t RowWriter::insert(const Row& r) {
    if (!insert_) {
        std::string cols, marks;
        for (size_t i = 0; i < s_.fields.size(); ++i) {
            if (!s_.fields[i].hasDef) continue;
            cols += (cols.empty() ? "" : ", ") + quoteIdent(s_.fields[i].column);
            marks += marks.empty() ? "?" : ", ?";
            insertCols_.push_back(static_cast<int>(i));
        }
        insert_ = std::make_unique<Statement>(*s_.db, "INSERT INTO " + quoteIdent(s_.baseTable) +
                                                          " (" + cols + ") VALUES (" + marks + ")");
    }
    insert_->reset();
    int k = 1;
    for (int c : insertCols_)
        insert_->bind(k++, r.values[static_cast<size_t>(c)]);
    insert_->step();
    return sqlite3_last_insert_rowid(s_.db->handle());
}

void RowWriter::remove(const Row& r) {
    if (!delete_)
        delete_ = std::make_unique<Statement>(*s_.db, "DELETE FROM " + quoteIdent(s_.baseTable) +
                                                          " WHERE rowid = ?");
    delete_->reset();
    delete_->bind(1, Value(static_cast<long long>(r.rowid)));
    delete_->step();
}

std::vector<int> changedColumns(const Row& r) {
    std::vector<int> cols;
    for (size_t i = 0; i < r.values.size(); ++i) {
        const Value& a = r.values[i];
        const Value& b = r.original[i];
        if (a.kind() != b.kind() || a != b) cols.push_back(static_cast<int>(i));
    }
    return cols;
}

} // namespace db::detail
