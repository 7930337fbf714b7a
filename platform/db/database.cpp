#include "platform/db/database.h"

#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"

#include <QString>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace db {

namespace {

// Marks files made by this program ("BWDB").
constexpr int kApplicationId = 0x42574442;
// The file format, in PRAGMA user_version: a newer file is refused, never
// written, since this version cannot know what its changes would break.
constexpr int kFormatVersion = 1;

bool isAscii(const unsigned char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] >= 0x80) return false;
    return true;
}

int collateNoCase(void*, int n1, const void* p1, int n2, const void* p2) {
    return compareNoCase(std::string_view(static_cast<const char*>(p1), static_cast<size_t>(n1)),
                         std::string_view(static_cast<const char*>(p2), static_cast<size_t>(n2)));
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string sqlLiteral(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Long:
    case Value::Kind::Double:
        return v.toText();
    case Value::Kind::Text: {
        std::string r = "'";
        for (char c : v.text()) {
            if (c == '\'') r += '\'';
            r += c;
        }
        return r + "'";
    }
    default:
        return "NULL";
    }
}

// Reads a DEFAULT clause as the engine reports it back.
Value parseLiteral(const Value& stored, FieldType type) {
    if (stored.isNull() || stored.isEmpty()) return Value();
    std::string s = stored.toText();
    if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'') {
        std::string r;
        for (size_t i = 1; i + 1 < s.size(); ++i) {
            r += s[i];
            if (s[i] == '\'' && s[i + 1] == '\'') ++i;
        }
        return Value(r);
    }
    if (upper(s) == "NULL") return Value();
    double d = 0;
    if (parseNumber(s, d)) {
        if (type == FieldType::Long) return Value(static_cast<long long>(d));
        if (type == FieldType::Double) return Value(d);
        return Value(s);
    }
    return Value(s);
}

std::string typeDecl(const FieldDef& f) {
    std::string zl = f.allowZeroLength ? "ALLOWZERO " : "";
    switch (f.type) {
    case FieldType::Long:
        return "LONG";
    case FieldType::Double:
        return "DOUBLE";
    case FieldType::Text:
        return zl + "TEXT(" + std::to_string(f.size) + ")";
    case FieldType::Memo:
        return zl + "MEMO TEXT";
    }
    return "TEXT";
}

// Reads back a declared type written by typeDecl(); types written by other
// SQL map by the engine's own affinity rules.
void parseDecl(const std::string& decl, FieldDef& f) {
    const std::string u = upper(decl);
    f.allowZeroLength = u.find("ALLOWZERO") != std::string::npos;
    f.size = kDefaultTextSize;
    if (u == "LONG" || u.find("INT") != std::string::npos) {
        f.type = FieldType::Long;
    } else if (u == "DOUBLE" || u.find("REAL") != std::string::npos ||
               u.find("FLOA") != std::string::npos || u.find("DOUB") != std::string::npos) {
        f.type = FieldType::Double;
    } else if (u.find("MEMO") != std::string::npos) {
        f.type = FieldType::Memo;
    } else {
        f.type = FieldType::Text;
        const auto open = u.find('(');
        if (open != std::string::npos) {
            int n = 0;
            auto [p, ec] = std::from_chars(u.data() + open + 1, u.data() + u.size(), n);
            if (ec == std::errc() && n > 0) f.size = n;
        }
        if (u.find("TEXT") == std::string::npos && u.find("CHAR") == std::string::npos &&
            u.find("CLOB") == std::string::npos)
            f.allowZeroLength = true; // a column of no declared kind holds anything
    }
    if (f.type == FieldType::Long || f.type == FieldType::Double) f.allowZeroLength = false;
}

// What a field's values must be, as an SQL condition.
std::string checkExpression(const FieldDef& f) {
    // Plain comparisons only: an IN list builds a scratch table each time a
    // statement runs, which made every written row several times dearer.
    const std::string c = quoteIdent(f.name);
    const std::string type = "typeof(" + c + ") = ";
    std::string check;
    switch (f.type) {
    case FieldType::Long:
        check = type + "'integer' AND " + c + " BETWEEN -2147483648 AND 2147483647";
        break;
    case FieldType::Double:
        check = "(" + type + "'real' OR " + type + "'integer')";
        break;
    case FieldType::Text:
        check = type + "'text' AND length(" + c + ") <= " + std::to_string(f.size);
        break;
    case FieldType::Memo:
        check = type + "'text'";
        break;
    }
    if ((f.type == FieldType::Text || f.type == FieldType::Memo) && !f.allowZeroLength)
        check += " AND " + c + " <> ''";
    return c + " IS NULL OR (" + check + ")";
}

std::string columnDef(const FieldDef& f) {
    const std::string c = quoteIdent(f.name);
    const std::string check = checkExpression(f);
    std::string def = c + " " + typeDecl(f);
    if (f.required) def += " NOT NULL";
    if (!f.defaultValue.isEmpty() && !f.defaultValue.isNull())
        def += " DEFAULT " + sqlLiteral(coerceForField(f, f.defaultValue));
    if (f.type == FieldType::Text || f.type == FieldType::Memo) def += " COLLATE NOCASE";
    return def + " CHECK(" + check + ")";
}

// Indexes share one namespace with tables, so none may carry a name a table
// could take. A primary key is a table constraint, whose index the engine
// names "sqlite_autoindex_..."; every other index of ours is named
// "\x01" + (P or I) + table + "\x01" + name, and checkTableName() refuses a
// name beginning with a control character. Files of earlier versions name
// them "<table>|P|<name>" and "<table>|I|<name>": these are read as ours and
// renamed when a table wants the name.
constexpr char kIndexMark = '\x01';

std::string indexSqlName(const std::string& table, const IndexDef& ix) {
    return std::string(1, kIndexMark) + (ix.primary ? 'P' : 'I') + table + kIndexMark + ix.name;
}

// Reads back a name given by indexSqlName() or by an earlier version.
bool readIndexSqlName(const std::string& sqlName, const std::string& table, IndexDef& ix) {
    const size_t t = table.size();
    if (sqlName.size() >= t + 3 && sqlName[0] == kIndexMark &&
        (sqlName[1] == 'P' || sqlName[1] == 'I') && sqlName.compare(2, t, table) == 0 &&
        sqlName[2 + t] == kIndexMark) {
        ix.primary = sqlName[1] == 'P';
        ix.name = sqlName.substr(t + 3);
        return true;
    }
    if (sqlName.size() > t + 3 && sqlName.compare(0, t, table) == 0) {
        const std::string tag = sqlName.substr(t, 3);
        if (tag == "|P|" || tag == "|I|") {
            ix.primary = tag == "|P|";
            ix.name = sqlName.substr(t + 3);
            return true;
        }
    }
    return false;
}

// The name in "CONSTRAINT <name> PRIMARY KEY (...)" of a CREATE TABLE text,
// read token by token so that no quoted name or literal passes for it.
std::optional<std::string> primaryKeyName(std::string_view sql) {
    struct Token {
        std::string text;
        bool word = false;   // an unquoted word: a keyword or a bare name
        bool quoted = false; // a quoted name
        int depth = 0;
    };
    std::vector<Token> toks;
    const size_t n = sql.size();
    size_t i = 0;
    int depth = 0;
    auto readQuoted = [&](char close) {
        std::string r;
        for (++i; i < n; ++i) {
            if (sql[i] != close) {
                r += sql[i];
            } else if (close != ']' && i + 1 < n && sql[i + 1] == close) {
                r += close;
                ++i;
            } else {
                ++i;
                break;
            }
        }
        return r;
    };
    auto wordChar = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
    };
    while (i < n) {
        const char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (sql.compare(i, 2, "--") == 0) {
            const size_t e = sql.find('\n', i);
            i = e == std::string_view::npos ? n : e;
        } else if (sql.compare(i, 2, "/*") == 0) {
            const size_t e = sql.find("*/", i + 2);
            i = e == std::string_view::npos ? n : e + 2;
        } else if (c == '"' || c == '`' || c == '[') {
            toks.push_back({readQuoted(c == '[' ? ']' : c), false, true, depth});
        } else if (c == '\'') {
            readQuoted('\'');
            toks.push_back({"", false, false, depth});
        } else if (wordChar(c)) {
            const size_t start = i;
            while (i < n && wordChar(sql[i]))
                ++i;
            toks.push_back({std::string(sql.substr(start, i - start)), true, false, depth});
        } else {
            if (c == ')') --depth;
            toks.push_back({std::string(1, c), false, false, depth});
            if (c == '(') ++depth;
            ++i;
        }
    }
    for (size_t k = 0; k + 2 < toks.size(); ++k)
        if (toks[k].depth == 1 && toks[k].word && upper(toks[k].text) == "CONSTRAINT" &&
            (toks[k + 1].word || toks[k + 1].quoted) && toks[k + 2].word &&
            upper(toks[k + 2].text) == "PRIMARY")
            return toks[k + 1].text;
    return std::nullopt;
}

// An index of a table with the name the file gives it and whether this
// layer named it.
struct IndexEntry {
    std::string sqlName;
    bool ours = false;
    IndexDef def;
};

std::vector<IndexEntry> listIndexes(Database& db, const std::string& table) {
    const std::string tableSql =
        db.scalar("SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?", {Value(table)})
            .toText();
    std::vector<IndexEntry> list;
    {
        Statement st(db, "SELECT name, \"unique\", origin FROM pragma_index_list(?) ORDER BY seq");
        st.bind(1, Value(table));
        while (st.step()) {
            IndexEntry e;
            e.sqlName = st.column(0).toText();
            e.def.name = e.sqlName;
            e.def.unique = st.column(1).toLong() != 0;
            const std::string origin = st.column(2).toText();
            if (origin == "pk") {
                e.def.primary = e.def.unique = true;
                e.def.name = primaryKeyName(tableSql).value_or("PrimaryKey");
            } else if (origin == "c") {
                e.ours = readIndexSqlName(e.sqlName, table, e.def);
            }
            list.push_back(std::move(e));
        }
    }
    std::reverse(list.begin(), list.end()); // pragma lists the newest first
    for (IndexEntry& e : list) {
        Statement cols(db, "SELECT name FROM pragma_index_info(?) ORDER BY seqno");
        cols.bind(1, Value(e.sqlName));
        while (cols.step())
            e.def.fields.push_back(cols.column(0).toText());
    }
    return list;
}

// Why a file cannot be written, or nothing when it can: no write permission
// on the file or on its folder (where the engine keeps its journal, and where
// compaction replaces the file). Read from the mode bits as well as access():
// run as root, access() allows everything and the engine would write.
bool locked(const std::filesystem::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return true;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(p.c_str(), W_OK) != 0;
}

bool startsWithJetHeader(const char* head, size_t n) {
    if (n < 19) return false;
    return std::memcmp(head + 4, "Standard Jet DB", 15) == 0 ||
           std::memcmp(head + 4, "Standard ACE DB", 15) == 0;
}

std::string goneShort(const std::string& path) {
    return "The file \"" + path +
           "\" is no longer there; nothing can be stored in it. File > Save File As saves what "
           "the windows show under a new name";
}

// The first write to a file that is gone says what happened and what can
// be done; later ones only that it is gone.
std::string goneMessage(const std::string& path) {
    static std::vector<std::string> told;
    const std::string gone = "The file \"" + path + "\" is no longer there";
    if (std::find(told.begin(), told.end(), path) != told.end()) return goneShort(path);
    told.push_back(path);
    return gone +
           ": it was deleted or moved while it was open, and nothing more can be stored in it. "
           "The windows still show what it held: File > Save File As saves that under a new name";
}

} // namespace

std::optional<std::string> readOnlyReason(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    if (ec) return std::nullopt; // the caller reports a missing file
    const std::string file = "The file \"" + path + "\" is read-only";
    if (locked(real)) return file + "; it cannot be changed";
    if (locked(real.parent_path()))
        return file + " (its folder cannot be written to); it cannot be changed";
    return std::nullopt;
}

std::string quoteIdent(std::string_view name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

int compareNoCase(std::string_view a, std::string_view b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const int na = static_cast<int>(a.size()), nb = static_cast<int>(b.size());
    if (isAscii(pa, na) && isAscii(pb, nb)) {
        const int n = std::min(na, nb);
        for (int i = 0; i < n; ++i) {
            const int ca = std::tolower(pa[i]), cb = std::tolower(pb[i]);
            if (ca != cb) return ca - cb;
        }
        return na - nb;
    }
    // Qt folds to lower case as the ASCII path does, so both paths order alike.
    return QString::fromUtf8(a.data(), na)
        .compare(QString::fromUtf8(b.data(), nb), Qt::CaseInsensitive);
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return compareNoCase(a, b) == 0;
}

void checkTableName(std::string_view name) {
    if (name.empty()) throw Error("A table name cannot be empty");
    if (name.find('\0') != std::string_view::npos)
        throw Error("A table name cannot hold a NUL character");
    if (static_cast<unsigned char>(name.front()) < 0x20)
        throw Error("A table name cannot begin with a control character");
    if (name.size() >= 7 && equalNoCase(name.substr(0, 7), "sqlite_"))
        throw Error("The name \"" + std::string(name) +
                    "\" is reserved by the database engine; names beginning with "
                    "\"sqlite_\" cannot be used");
}

// ---- Statement -------------------------------------------------------------

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

// ---- Database --------------------------------------------------------------

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
    try {
        appId = db->scalar("PRAGMA application_id");
        format = db->scalar("PRAGMA user_version");
        db->scalar("SELECT count(*) FROM sqlite_schema");
    } catch (const Error&) {
        throw Error("The database file \"" + path + "\" is damaged and cannot be opened");
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

std::vector<std::string> Database::tableNames() const {
    std::vector<std::string> names;
    Statement st(const_cast<Database&>(*this),
                 "SELECT name FROM sqlite_schema WHERE type = 'table' AND "
                 "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    while (st.step())
        names.push_back(st.column(0).toText());
    return names;
}

std::optional<std::string> Database::findTable(std::string_view name) const {
    for (auto& n : tableNames())
        if (equalNoCase(n, name)) return n;
    return std::nullopt;
}

std::string Database::requireTable(std::string_view table) const {
    auto found = findTable(table);
    if (!found) throw Error("The table \"" + std::string(table) + "\" does not exist");
    return *found;
}

TableDef Database::tableDef(std::string_view table) const {
    auto& self = const_cast<Database&>(*this);
    TableDef def;
    def.name = requireTable(table);
    {
        Statement st(self, "SELECT name, type, \"notnull\", dflt_value FROM pragma_table_info(?)");
        st.bind(1, Value(def.name));
        while (st.step()) {
            FieldDef f;
            f.name = st.column(0).toText();
            parseDecl(st.column(1).toText(), f);
            f.required = st.column(2).toLong() != 0;
            f.defaultValue = parseLiteral(st.column(3), f.type);
            def.fields.push_back(std::move(f));
        }
    }
    for (IndexEntry& e : listIndexes(self, def.name))
        def.indexes.push_back(std::move(e.def));
    return def;
}

void Database::createIndexes(const std::string& table, const std::vector<IndexDef>& indexes) {
    for (const IndexDef& ix : indexes) {
        if (ix.fields.empty()) throw Error("The index \"" + ix.name + "\" names no field");
        std::string sql = std::string("CREATE ") + (ix.unique || ix.primary ? "UNIQUE " : "") +
                          "INDEX " + quoteIdent(indexSqlName(table, ix)) + " ON " +
                          quoteIdent(table) + " (";
        for (size_t i = 0; i < ix.fields.size(); ++i)
            sql += (i ? ", " : "") + quoteIdent(ix.fields[i]);
        Execute(sql + ")");
    }
}

void Database::clearIndexName(const std::string& name) {
    std::string sqlName, table;
    {
        // The engine matches names in any ASCII letter case, as lower() folds.
        Statement st(*this, "SELECT name, tbl_name FROM sqlite_schema "
                            "WHERE type = 'index' AND lower(name) = lower(?)");
        st.bind(1, Value(name));
        if (!st.step()) return;
        sqlName = st.column(0).toText();
        table = st.column(1).toText();
    }
    for (const IndexEntry& e : listIndexes(*this, table))
        if (e.sqlName == sqlName && e.ours) {
            Execute("DROP INDEX " + quoteIdent(sqlName));
            createIndexes(table, {e.def});
            return;
        }
    throw Error("The name \"" + name + "\" is taken by an index in this file");
}

void Database::createTable(const TableDef& def) {
    checkTableName(def.name);
    if (findTable(def.name)) throw Error("A table called \"" + def.name + "\" already exists");
    if (def.fields.empty()) throw Error("A table needs at least one field");
    std::string sql = "CREATE TABLE " + quoteIdent(def.name) + " (";
    for (size_t i = 0; i < def.fields.size(); ++i) {
        if (def.fields[i].name.empty()) throw Error("A field name cannot be empty");
        sql += (i ? ", " : "") + columnDef(def.fields[i]);
    }
    const IndexDef* primary = nullptr;
    std::vector<IndexDef> others;
    for (const IndexDef& ix : def.indexes) {
        if (ix.fields.empty()) throw Error("The index \"" + ix.name + "\" names no field");
        if (!ix.primary) {
            others.push_back(ix);
            continue;
        }
        if (primary) throw Error("A table can have only one primary key");
        primary = &ix;
        sql += ", ";
        if (!ix.name.empty()) sql += "CONSTRAINT " + quoteIdent(ix.name) + " ";
        sql += "PRIMARY KEY (";
        for (size_t i = 0; i < ix.fields.size(); ++i)
            sql += (i ? ", " : "") + quoteIdent(ix.fields[i]);
        sql += ")";
    }
    sql += ")";
    Transaction tx(*this);
    clearIndexName(def.name);
    Execute(sql);
    createIndexes(def.name, others);
    tx.commit();
}

void Database::appendField(std::string_view table, const FieldDef& field) {
    const std::string t = requireTable(table);
    Execute("ALTER TABLE " + quoteIdent(t) + " ADD COLUMN " + columnDef(field));
}

void Database::renameTable(std::string_view from, std::string_view to) {
    checkTableName(to);
    const std::string old = requireTable(from);
    if (old == to) return;
    if (auto other = findTable(to); other && *other != old)
        throw Error("A table called \"" + std::string(to) + "\" already exists");
    Transaction tx(*this);
    clearIndexName(std::string(to));
    const std::vector<IndexEntry> indexes = listIndexes(*this, old);
    std::string current = old;
    if (equalNoCase(old, to)) {
        // The engine sees a change of letter case only as a clash: go round.
        std::string tmp = "~rename";
        for (int i = 1; findTable(tmp); ++i)
            tmp = "~rename " + std::to_string(i);
        Execute("ALTER TABLE " + quoteIdent(current) + " RENAME TO " + quoteIdent(tmp));
        current = tmp;
    }
    Execute("ALTER TABLE " + quoteIdent(current) + " RENAME TO " + quoteIdent(to));
    // The engine renames the primary key's index; ours carry the table's name.
    std::vector<IndexDef> ours;
    for (const IndexEntry& e : indexes) {
        if (!e.ours) continue; // an index not named by this layer keeps its name
        Execute("DROP INDEX " + quoteIdent(e.sqlName));
        ours.push_back(e.def);
    }
    createIndexes(std::string(to), ours);
    tx.commit();
}

void Database::deleteTable(std::string_view table) {
    const std::string t = requireTable(table);
    Execute("DROP TABLE " + quoteIdent(t));
}

void Database::copyTableStructure(std::string_view source, std::string_view newName) {
    TableDef def = tableDef(source);
    def.name = std::string(newName);
    createTable(def);
}

Recordset Database::OpenRecordset(std::string_view sql, const std::vector<Value>& params,
                                  LockType lock) {
    return Recordset::open(shared_from_this(), sql, params, lock);
}

std::optional<BadValue> findBadValue(Database& database, std::string_view table) {
    const TableDef def = database.tableDef(table);
    for (const FieldDef& f : def.fields) {
        Statement st(database, "SELECT rowid, typeof(" + quoteIdent(f.name) + ") FROM " +
                                   quoteIdent(def.name) + " WHERE NOT (" + checkExpression(f) +
                                   ") LIMIT 1");
        if (st.step()) return BadValue{st.column(0).toLong(), f.name, st.column(1).toText()};
    }
    return std::nullopt;
}

// ---- Compaction ------------------------------------------------------------

void compactFile(const std::string& path, const std::function<void(CompactStep)>& afterStep) {
    namespace fs = std::filesystem;
    // Through a link the real file is compacted and replaced; the link stays.
    if (path.empty()) throw Error("No database file was named");
    std::error_code linkEc;
    const fs::path target = fs::canonical(path, linkEc);
    if (linkEc) throw Error("The file \"" + path + "\" does not exist");
    // One work name per file: what a killed compaction left there is only a
    // stale copy, cleared before this one starts.
    // A read-only file stays as it is, even where its folder would let the
    // rename through.
    if (auto why = readOnlyReason(path)) throw Error(*why);
    // Another program reading the old file would go on with a file no one sees.
    if (heldAs(path) == FileHold::Viewing || openElsewhere(path))
        throw Error("The file \"" + path +
                    "\" is open in another Bandwright; it is compacted only when no other "
                    "Bandwright has it open");
    fs::path work = target;
    work += kCompactSuffix;
    auto cleanup = [&] {
        std::error_code ec;
        fs::remove(work, ec);
    };
    try {
        cleanup();
        std::error_code staleEc;
        if (fs::exists(fs::symlink_status(work, staleEc)))
            throw Error("Cannot remove \"" + work.string() +
                        "\", left by an earlier compaction; remove it and try again");
        {
            auto db = Database::open(path);
            db->Execute("VACUUM INTO ?", {Value(work.string())});
        }
        if (afterStep) afterStep(CompactStep::CopyWritten);
        {
            auto copy = Database::open(work.string());
            const Value ok = copy->scalar("PRAGMA integrity_check");
            if (ok.toText() != "ok")
                throw Error("The compacted copy failed its check (" + ok.toText() + ")");
        }
        if (afterStep) afterStep(CompactStep::CopyChecked);
        std::error_code ec;
        // The compacted file keeps the permissions the user gave the original.
        fs::permissions(work, fs::status(target).permissions(), ec);
        fs::rename(work, target, ec); // one step: the old file or the new one, never neither
        if (ec)
            throw Error("Cannot replace \"" + path + "\" by its compacted copy (" + ec.message() +
                        ")");
    } catch (...) {
        cleanup();
        throw;
    }
    if (afterStep) afterStep(CompactStep::Replaced);
}

} // namespace db
