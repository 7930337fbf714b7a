#include "platform/db/database.h"

#include "platform/db/file_lock.h"
#include "platform/db/file_state.h"
#include "platform/db/recordset.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

namespace db {

namespace {

// Marks files made by this program ("BWDB").
constexpr int kApplicationId = 0x42574442;
// The file format, in PRAGMA user_version: a newer file is refused, never
// written, since this version cannot know what its changes would break.
constexpr int kFormatVersion = 1;

int collateNoCase(void*, int n1, const void* p1, int n2, const void* p2) {
    return compareNoCase(std::string_view(static_cast<const char*>(p1), static_cast<size_t>(n1)),
                         std::string_view(static_cast<const char*>(p2), static_cast<size_t>(n2)));
}

// Whether the last failure was a journal left by a writer that did not
// finish, which this read-only connection cannot play back.
bool unfinishedChange(sqlite3* handle) {
    return sqlite3_extended_errcode(handle) == SQLITE_READONLY_ROLLBACK;
}

} // namespace

Database::Database(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}

Database::~Database() {
    if (db_) sqlite3_close_v2(db_);
}

std::string Database::lastError() const {
    return db_ ? sqlite3_errmsg(db_) : "no database";
}

void Database::fail(const std::string& what) const {
    throw Error(what + " (" + lastError() + ")");
}

std::shared_ptr<Database> Database::openHandle(const std::string& path, int flags) {
    // The engine is built to read names beginning with "file:" as URIs (and
    // ":memory:" as no file): an absolute path is only ever a file's name.
    std::error_code ec;
    const std::string full = std::filesystem::absolute(path, ec).string();
    if (ec) throw Error("Cannot open the file \"" + path + "\" (" + ec.message() + ")");
    sqlite3* h = nullptr;
    const int rc = sqlite3_open_v2(full.c_str(), &h, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = h ? sqlite3_errmsg(h) : "out of memory";
        sqlite3_close_v2(h);
        throw Error("Cannot open the file \"" + path + "\" (" + msg + ")");
    }
    sqlite3_extended_result_codes(h, 1);
    sqlite3_busy_timeout(h, 2000);
    sqlite3_create_collation_v2(h, "NOCASE", SQLITE_UTF8, nullptr, collateNoCase, nullptr);
    std::shared_ptr<Database> db(new Database(h, path));
    struct stat st {};
    db->fullPath_ = full;
    if (::stat(full.c_str(), &st) == 0) {
        db->device_ = st.st_dev;
        db->inode_ = st.st_ino;
    }
    return db;
}

std::string Database::readOnlyReason() const {
    if (readOnlyReason_.empty() && gone()) return goneShort(path_);
    return readOnlyReason_;
}

bool Database::gone() const {
    if (inode_ == 0) return false; // made by create() before the file was there
    struct stat st {};
    return ::stat(fullPath_.c_str(), &st) != 0 || st.st_dev != device_ || st.st_ino != inode_;
}

std::shared_ptr<Database> Database::open(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) throw Error("No database file was named");
    std::error_code ec;
    if (!fs::exists(path, ec)) throw Error("The file \"" + path + "\" does not exist");
    if (!fs::is_regular_file(path, ec)) throw Error("\"" + path + "\" is not a file");
    char head[32] = {};
    size_t got = 0;
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) throw Error("The file \"" + path + "\" cannot be read");
        in.read(head, sizeof head);
        got = static_cast<size_t>(in.gcount());
    }
    if (startsWithJetHeader(head, got))
        throw Error("\"" + path +
                    "\" is a Jet database made by another program; convert it to a "
                    "worksheet file before opening it here");
    const std::string notOurs = "\"" + path + "\" is not a database file of this program";
    if (got < 16 || std::memcmp(head, "SQLite format 3", 16) != 0) {
        if (got == 0) throw Error(notOurs + " (the file is empty)");
        throw Error(notOurs + ", or it is damaged");
    }
    // A read-only file opens for reading; the engine is told so too, and
    // every statement that would write is stopped before it runs.
    std::optional<std::string> readOnly = db::readOnlyReason(path);
    if (!readOnly) readOnly = viewingReason(path);
    auto db = openHandle(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    if (readOnly) db->readOnlyReason_ = *readOnly;
    Value appId, format;
    const auto probe = [&] {
        appId = db->scalar("PRAGMA application_id");
        format = db->scalar("PRAGMA user_version");
        db->scalar("SELECT count(*) FROM sqlite_schema");
    };
    try {
        probe();
    } catch (const Error&) {
        if (!readOnly || !unfinishedChange(db->db_))
            throw Error("The database file \"" + path + "\" is damaged and cannot be opened");
        // A program killed in the middle of a change left its journal, which
        // a connection that may not write cannot play back. A file only
        // viewed here gets it played back by the engine, as the next
        // program to write it would do; the contents are what was committed.
        const std::string unfinished =
            "Another program's last change to \"" + path +
            "\" did not finish. The file is whole: the unfinished change is undone when the "
            "file is next opened where it can be written. Try again then.";
        if (db::readOnlyReason(path)) throw Error(unfinished);
        try {
            openHandle(path, SQLITE_OPEN_READWRITE)->scalar("SELECT count(*) FROM sqlite_schema");
            db = openHandle(path, SQLITE_OPEN_READONLY);
            db->readOnlyReason_ = *readOnly;
            probe();
        } catch (const Error&) {
            throw Error(unfinished);
        }
    }
    if (appId.isNull() || appId.toLong() != kApplicationId) throw Error(notOurs);
    // 0: made before files carried a number, read as the first format and
    // left so (numbering it would change a file the user only read).
    const long long version = format.toLong();
    if (version < 0) throw Error(notOurs + " (unknown file format " + format.toText() + ")");
    if (version > kFormatVersion)
        throw Error("The file \"" + path +
                    "\" was written by a newer version of this program (file format " +
                    format.toText() + "; this version reads formats up to " +
                    std::to_string(kFormatVersion) + ") and cannot be opened");
    return db;
}

std::shared_ptr<Database> Database::create(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) throw Error("No database file was named");
    std::error_code ec;
    if (fs::exists(path, ec)) throw Error("The file \"" + path + "\" already exists");
    const fs::path folder = fs::absolute(path, ec).parent_path();
    if (!ec && fs::is_directory(folder, ec) && locked(folder))
        throw Error("The folder of \"" + path + "\" is read-only; the file cannot be made there");
    auto db = openHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    try {
        db->Execute("PRAGMA application_id = " + std::to_string(kApplicationId));
        db->Execute("PRAGMA user_version = " + std::to_string(kFormatVersion));
    } catch (...) {
        db.reset();
        fs::remove(path, ec);
        throw;
    }
    return db;
}

std::int64_t Database::Execute(std::string_view sql, const std::vector<Value>& params) {
    Statement st(*this, sql);
    st.bindAll(params);
    while (st.step()) {
    }
    return sqlite3_changes64(db_);
}

Value Database::scalar(std::string_view sql, const std::vector<Value>& params) {
    Statement st(*this, sql);
    st.bindAll(params);
    if (!st.step() || st.columnCount() == 0) return Value();
    return st.column(0);
}

std::int64_t Database::dataVersion() {
    return scalar("PRAGMA data_version").toLong();
}

bool Database::inTransaction() const {
    return db_ && sqlite3_get_autocommit(db_) == 0;
}

Database::Transaction::Transaction(Database& db) : db_(db) {
    db_.Execute("SAVEPOINT bw_tx");
}

Database::Transaction::~Transaction() {
    if (done_) return;
    // Rolling back cannot be reported from here; the caller is already failing.
    sqlite3_exec(db_.handle(), "ROLLBACK TO bw_tx; RELEASE bw_tx", nullptr, nullptr, nullptr);
}

void Database::Transaction::commit() {
    db_.Execute("RELEASE bw_tx");
    done_ = true;
}

Recordset Database::OpenRecordset(std::string_view sql, const std::vector<Value>& params,
                                  LockType lock) {
    return Recordset::open(shared_from_this(), sql, params, lock);
}

} // namespace db
