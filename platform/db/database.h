#pragma once
// One open database file over the SQLite C API.
//
// Texts compare, sort and group without regard to letter case (as the files
// of the original program did): every text field carries the NOCASE
// collation, which each connection replaces by a Unicode-aware one. Every
// identifier goes through quoteIdent() and every value is bound.
#include "platform/db/compaction.h"
#include "platform/db/error.h"
#include "platform/db/identifiers.h"
#include "platform/db/schema.h"
#include "platform/db/statement.h"
#include "platform/db/value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace db {

class Recordset;

// How a record set writes: Optimistic at each Update, BatchOptimistic only at
// UpdateBatch (see recordset.h).
enum class LockType { Optimistic, BatchOptimistic };

// Why the file at `path` cannot be written (no write permission on it or its
// folder, read from the mode bits too, so that root is stopped as well), as
// the message every change of it gets; nothing when it can be written or
// does not exist.
std::optional<std::string> readOnlyReason(const std::string& path);

class Database : public std::enable_shared_from_this<Database> {
public:
    // Opens an existing file made by this program. Never creates one: a
    // missing path, "", a file of another kind, a damaged file, a Jet file or
    // a file of a newer format gives db::Error with a text that says which.
    static std::shared_ptr<Database> open(const std::string& path);
    // Creates a new, empty database file; refuses an existing path.
    static std::shared_ptr<Database> create(const std::string& path);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& path() const { return path_; }
    // Opened from a file that cannot be written: reads work, every statement
    // that would write throws db::Error naming the file as read-only.
    // Also true once the file is gone (see gone()).
    bool readOnly() const { return !readOnlyReason_.empty() || gone(); }
    // The message a write gets then ("" when the file can be written).
    std::string readOnlyReason() const;
    // True when the path no longer names the file this connection opened:
    // deleted or moved while open. What it held is still read through the
    // connection, and can be saved elsewhere (VACUUM INTO).
    bool gone() const;
    sqlite3* handle() const { return db_; }

    // Runs one SQL statement with bound values; returns the rows it changed.
    std::int64_t Execute(std::string_view sql, const std::vector<Value>& params = {});
    // The first column of the first row, or Empty when there is none.
    Value scalar(std::string_view sql, const std::vector<Value>& params = {});

    // A client-side record set over a query (see recordset.h).
    Recordset OpenRecordset(std::string_view sql, const std::vector<Value>& params = {},
                            LockType lock = LockType::Optimistic);

    // Tables made by users of the file, in the order of creation.
    std::vector<std::string> tableNames() const;
    // The stored name of the table with this name in any letter case.
    std::optional<std::string> findTable(std::string_view name) const;
    TableDef tableDef(std::string_view table) const;
    // Creates a table; refuses a name that exists in any letter case.
    void createTable(const TableDef& def);
    void appendField(std::string_view table, const FieldDef& field);
    // Renames a table with its indexes; a change of letter case only works.
    void renameTable(std::string_view from, std::string_view to);
    void deleteTable(std::string_view table);
    // An empty table with the structure of `source` (fields in order, types,
    // sizes, defaults, zero-length rules, indexes), built from its definition.
    void copyTableStructure(std::string_view source, std::string_view newName);

    // A transaction; rolled back unless commit() is called. Nests: inside
    // one already open on the connection it is a savepoint, whose changes
    // last only as long as the enclosing transaction's.
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        void commit();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

    private:
        Database& db_;
        bool done_ = false;
    };

    // True while a transaction is open on this connection.
    bool inTransaction() const;

    // Changes when another connection (of this program or another) has
    // committed a change to the file since this one last looked.
    std::int64_t dataVersion();

    // The engine's last error text.
    std::string lastError() const;
    [[noreturn]] void fail(const std::string& what) const;

private:
    Database(sqlite3* db, std::string path);
    static std::shared_ptr<Database> openHandle(const std::string& path, int flags);
    std::string requireTable(std::string_view table) const;
    void createIndexes(const std::string& table, const std::vector<IndexDef>& indexes);
    // Renames an index of ours that holds `name`, so a table can take it.
    void clearIndexName(const std::string& name);

    friend class Statement;
    sqlite3* db_ = nullptr;
    std::string path_;
    std::string readOnlyReason_;                // the message for a write; "" when writable
    std::string fullPath_;                      // as opened, whatever the working folder
    unsigned long long device_ = 0, inode_ = 0; // of the file opened
};

// A value its field does not allow, as a file written by another program
// can hold: the record's rowid, the field, and the kind of value found.
struct BadValue {
    std::int64_t rowid = 0;
    std::string field;
    std::string kind; // "blob", "text", "real", "integer" or "null"
    // For a text longer than its field holds: its characters and the field's size.
    long long length = 0;
    int size = 0;
};
// The first such value of `table`, field by field. Throws db::Error.
std::optional<BadValue> findBadValue(Database& database, std::string_view table);

} // namespace db
