#pragma once
// A prepared statement over one connection: values bound by position, rows
// read column by column. A statement that would write a read-only file is
// stopped before it runs.
#include "platform/db/value.h"

#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace db {

class Database;

// A prepared statement; finalized when it goes out of scope.
class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(Statement&& o) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    void bind(int index, const Value& v); // 1-based
    void bindAll(const std::vector<Value>& params);
    // Runs to the next row: true when a row is there, false when done.
    bool step();
    void reset();

    int columnCount() const;
    Value column(int i) const; // 0-based
    std::string columnName(int i) const;
    // The table and column a result column comes from ("" for expressions).
    std::string columnTable(int i) const;
    std::string columnOrigin(int i) const;
    sqlite3_stmt* handle() const { return st_; }

private:
    Database* db_;
    sqlite3_stmt* st_ = nullptr;
};

} // namespace db
