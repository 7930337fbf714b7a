#include "platform/db/statement.h"

#include "platform/db/database.h"
#include "platform/db/file_state.h"

#include <sqlite3.h>

#include <cctype>

namespace db {

Statement::Statement(Database& db, std::string_view sql) : db_(&db) {
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &st_, &tail) !=
        SQLITE_OK)
        db.fail("Syntax error or unknown name in \"" + std::string(sql) + "\"");
    if (!st_) throw Error("No SQL statement given");
    if (tail) {
        std::string_view rest(tail, static_cast<size_t>(sql.data() + sql.size() - tail));
        for (char c : rest)
            if (!std::isspace(static_cast<unsigned char>(c)) && c != ';') {
                sqlite3_finalize(st_);
                st_ = nullptr;
                throw Error("Only one SQL statement may be given at a time");
            }
    }
}

Statement::~Statement() {
    if (st_) sqlite3_finalize(st_);
}

Statement::Statement(Statement&& o) noexcept : db_(o.db_), st_(o.st_) {
    o.st_ = nullptr;
}

void Statement::bind(int index, const Value& v) {
    int rc = SQLITE_OK;
    switch (v.kind()) {
    case Value::Kind::Empty:
    case Value::Kind::Null:
        rc = sqlite3_bind_null(st_, index);
        break;
    case Value::Kind::Long:
        rc = sqlite3_bind_int64(st_, index, v.toLong());
        break;
    case Value::Kind::Double:
        rc = sqlite3_bind_double(st_, index, v.toDouble());
        break;
    case Value::Kind::Text:
        rc = sqlite3_bind_text(st_, index, v.text().data(), static_cast<int>(v.text().size()),
                               SQLITE_TRANSIENT);
        break;
    }
    if (rc != SQLITE_OK) db_->fail("Cannot bind parameter " + std::to_string(index));
}

void Statement::bindAll(const std::vector<Value>& params) {
    if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(st_))
        throw Error("The statement takes " + std::to_string(sqlite3_bind_parameter_count(st_)) +
                    " values, " + std::to_string(params.size()) + " given");
    for (size_t i = 0; i < params.size(); ++i)
        bind(static_cast<int>(i + 1), params[i]);
}

bool Statement::step() {
    // A copy of the file (VACUUM INTO) writes only the copy.
    if (!db_->readOnlyReason_.empty() && !sqlite3_stmt_readonly(st_) &&
        !equalNoCase(std::string_view(sqlite3_sql(st_)).substr(0, 11), "VACUUM INTO"))
        throw Error(db_->readOnlyReason_);
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(st_);
    const int ext = sqlite3_extended_errcode(db_->handle());
    if (ext == SQLITE_READONLY_DBMOVED || (!sqlite3_stmt_readonly(st_) && db_->gone()))
        throw Error(goneMessage(db_->path()));
    if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
        db_->fail("The change would give two records the same value in a unique index");
    if (ext == SQLITE_CONSTRAINT_CHECK)
        db_->fail("A value does not fit the type, size or rules of its field");
    db_->fail("The database operation failed");
}

void Statement::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(st_);
}

Value Statement::column(int i) const {
    switch (sqlite3_column_type(st_, i)) {
    case SQLITE_INTEGER:
        return Value(static_cast<long long>(sqlite3_column_int64(st_, i)));
    case SQLITE_FLOAT:
        return Value(sqlite3_column_double(st_, i));
    case SQLITE_NULL:
        return Value::null();
    default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
        return Value(std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(st_, i))));
    }
    }
}

std::string Statement::columnName(int i) const {
    const char* n = sqlite3_column_name(st_, i);
    return n ? n : "";
}

std::string Statement::columnTable(int i) const {
    const char* n = sqlite3_column_table_name(st_, i);
    return n ? n : "";
}

std::string Statement::columnOrigin(int i) const {
    const char* n = sqlite3_column_origin_name(st_, i);
    return n ? n : "";
}

} // namespace db
