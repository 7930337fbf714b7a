#include "platform/db/row_writer.h"

#include <sqlite3.h>

namespace db::detail {

namespace {

// Binds a value the statement only reads while it runs, so that a text need
// not be copied: the value outlives the run.
void bindDuringRun(Database& db, sqlite3_stmt* st, int index, const Value& v) {
    int rc = SQLITE_OK;
    switch (v.kind()) {
    case Value::Kind::Empty:
    case Value::Kind::Null:
        rc = sqlite3_bind_null(st, index);
        break;
    case Value::Kind::Long:
        rc = sqlite3_bind_int64(st, index, v.toLong());
        break;
    case Value::Kind::Double:
        rc = sqlite3_bind_double(st, index, v.toDouble());
        break;
    case Value::Kind::Text:
        rc = sqlite3_bind_text(st, index, v.text().data(), static_cast<int>(v.text().size()),
                               SQLITE_STATIC);
        break;
    }
    if (rc != SQLITE_OK) db.fail("Cannot bind parameter " + std::to_string(index));
}

} // namespace

Statement& RowWriter::updateStatement(const std::vector<int>& cols) {
    auto it = updates_.find(cols);
    if (it == updates_.end()) {
        std::string sql = "UPDATE " + quoteIdent(s_.baseTable) + " SET ";
        for (size_t i = 0; i < cols.size(); ++i)
            sql += (i ? ", " : "") + quoteIdent(s_.fields[static_cast<size_t>(cols[i])].column) +
                   " = ?";
        sql += " WHERE rowid = ?";
        it = updates_.emplace(cols, Statement(*s_.db, sql)).first;
    }
    return it->second;
}

void RowWriter::update(Row& r, const std::vector<int>& cols) {
    if (!cols.empty()) update(r, cols, updateStatement(cols));
}

void RowWriter::update(Row& r, const std::vector<int>& cols, Statement& st) {
    // Every parameter is bound again below: none needs clearing.
    sqlite3_stmt* h = st.handle();
    sqlite3_reset(h);
    int k = 1;
    for (int c : cols) {
        // Most of a row's fields are numbers: bound here, without the call.
        const Value& v = r.values[static_cast<size_t>(c)];
        if (v.kind() != Value::Kind::Double)
            bindDuringRun(*s_.db, h, k, v);
        else if (sqlite3_bind_double(h, k, v.toDouble()) != SQLITE_OK)
            s_.db->fail("Cannot bind parameter " + std::to_string(k));
        ++k;
    }
    if (sqlite3_bind_int64(h, k, r.rowid) != SQLITE_OK)
        s_.db->fail("Cannot bind parameter " + std::to_string(k));
    st.step();
    if (sqlite3_changes(s_.db->handle()) != 1)
        throw Error("The record to be changed is no longer in the table \"" + s_.baseTable + "\"");
}

void RowWriter::updateAsRead(const Row& read, std::vector<Value>& values,
                             const std::vector<int>& cols) {
    if (cols.empty()) return;
    // The record as read: its values with the changes still pending taken back.
    std::vector<const Value*> file;
    for (const Value& v : read.values)
        file.push_back(&v);
    for (const auto& [field, v] : read.original)
        file[static_cast<size_t>(field)] = &v;
    std::string sql = "UPDATE " + quoteIdent(s_.baseTable) + " SET ";
    for (size_t i = 0; i < cols.size(); ++i)
        sql +=
            (i ? ", " : "") + quoteIdent(s_.fields[static_cast<size_t>(cols[i])].column) + " = ?";
    sql += " WHERE rowid = ?";
    std::vector<int> held;
    for (size_t i = 0; i < s_.fields.size() && i < file.size(); ++i) {
        if (!s_.fields[i].hasDef) continue;
        // A text is compared as the text it was read as (a blob reads as its
        // bytes), letter for letter whatever the column's collation.
        const std::string column = quoteIdent(s_.fields[i].column);
        sql += " AND " + (file[i]->isText() ? "CAST(" + column + " AS TEXT)" : column) +
               " IS ? COLLATE BINARY";
        held.push_back(static_cast<int>(i));
    }
    Statement st(*s_.db, sql);
    int k = 1;
    for (int c : cols)
        bindDuringRun(*s_.db, st.handle(), k++, values[static_cast<size_t>(c)]);
    if (sqlite3_bind_int64(st.handle(), k++, read.rowid) != SQLITE_OK)
        s_.db->fail("Cannot bind parameter " + std::to_string(k - 1));
    for (int f : held)
        bindDuringRun(*s_.db, st.handle(), k++, *file[static_cast<size_t>(f)]);
    st.step();
    if (sqlite3_changes(s_.db->handle()) != 1)
        throw Error("The record to be changed is no longer in the table \"" + s_.baseTable +
                    "\" as it was read: it was changed or deleted meanwhile, and nothing was "
                    "written");
    // What the file made of the values (a column of numeric affinity keeps
    // "007" as 7): the record holds that, read as a reading of it would.
    std::string back = "SELECT ";
    for (size_t i = 0; i < cols.size(); ++i)
        back += (i ? ", " : "") + quoteIdent(s_.fields[static_cast<size_t>(cols[i])].column);
    Statement stored(*s_.db, back + " FROM " + quoteIdent(s_.baseTable) + " WHERE rowid = ?");
    stored.bind(1, Value(static_cast<long long>(read.rowid)));
    if (!stored.step()) return;
    for (size_t i = 0; i < cols.size(); ++i)
        values[static_cast<size_t>(cols[i])] = stored.column(static_cast<int>(i));
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
    for (const auto& [field, b] : r.original) {
        const Value& a = r.values[static_cast<size_t>(field)];
        if (a.kind() != b.kind() || a != b) cols.push_back(field);
    }
    return cols;
}

} // namespace db::detail
