// Checking a record source and reading its rows.
#include "platform/db/row_store.h"

#include <sqlite3.h>

#include <atomic>
#include <cctype>

namespace db::detail {

namespace {

bool startsWithWord(std::string_view s, std::string_view word) {
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    if (s.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (std::toupper(static_cast<unsigned char>(s[i + k])) != word[k]) return false;
    return s.size() - i == word.size() ||
           !std::isalnum(static_cast<unsigned char>(s[i + word.size()]));
}

bool containsWord(std::string_view s, std::string_view word) {
    std::string u(s);
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t p = u.find(word); p != std::string::npos; p = u.find(word, p + 1)) {
        const bool before = p == 0 || !std::isalnum(static_cast<unsigned char>(u[p - 1]));
        const size_t e = p + word.size();
        const bool after = e >= u.size() || !std::isalnum(static_cast<unsigned char>(u[e]));
        if (before && after) return true;
    }
    return false;
}

} // namespace

std::uint64_t newRowStamp() {
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::string recordSourceSql(const Database& db, std::string_view source) {
    std::string sql(source);
    // A table's name is only ever a name, even one that reads as SQL.
    if (auto table = db.findTable(sql)) return "SELECT * FROM " + quoteIdent(*table);
    if (!startsWithWord(sql, "SELECT") && !startsWithWord(sql, "WITH") &&
        !startsWithWord(sql, "VALUES"))
        throw Error("The table \"" + sql + "\" does not exist");
    return sql;
}

std::shared_ptr<RowStore> loadRows(std::shared_ptr<Database> db, std::string sql,
                                   std::vector<Value> params) {
    auto s = std::make_shared<RowStore>();
    s->db = std::move(db);
    s->sql = std::move(sql);
    s->params = std::move(params);
    Database& d = *s->db;

    std::string base;
    bool single = true;
    {
        Statement probe(d, s->sql);
        // Reading the rows must not change the file ("WITH ... DELETE").
        if (!sqlite3_stmt_readonly(probe.handle()))
            throw Error("A record set can only be opened on a query");
        for (int i = 0; i < probe.columnCount(); ++i) {
            FieldInfo f;
            f.name = probe.columnName(i);
            const std::string t = probe.columnTable(i);
            if (!t.empty()) {
                if (base.empty())
                    base = t;
                else if (!equalNoCase(base, t))
                    single = false;
                f.column = probe.columnOrigin(i);
            }
            s->fields.push_back(std::move(f));
        }
    }
    // A query over one table's rows can change them: read each row's rowid too.
    std::string run = s->sql;
    if (!base.empty() && single && startsWithWord(s->sql, "SELECT") &&
        !containsWord(s->sql, "DISTINCT") && !containsWord(s->sql, "GROUP") &&
        !containsWord(s->sql, "UNION") && !containsWord(s->sql, "JOIN")) {
        const size_t at = s->sql.find_first_not_of(" \t\r\n") + 6;
        std::string candidate = "SELECT " + quoteIdent(base) + ".rowid," + s->sql.substr(at);
        try {
            Statement test(d, candidate);
            run = candidate;
            s->hasRowid = true;
            s->baseTable = base;
        } catch (const Error&) {
            // An alias or another shape we do not rewrite: the rows stay read-only.
        }
    }
    if (s->hasRowid) {
        const TableDef def = d.tableDef(base);
        for (FieldInfo& f : s->fields) {
            if (f.column.empty()) continue;
            for (const FieldDef& fd : def.fields)
                if (equalNoCase(fd.name, f.column)) {
                    f.def = fd;
                    f.hasDef = true;
                    break;
                }
        }
    }
    s->pendingFields.assign(s->fields.size(), 0);
    // Read first: a change committed while the rows are read then shows as one.
    s->dataVersion = d.dataVersion();
    Statement st(d, run);
    st.bindAll(s->params);
    const int off = s->hasRowid ? 1 : 0;
    const int n = static_cast<int>(s->fields.size());
    RecordKey seq = 0;
    // By field: the text the record before held. Records mostly repeat the
    // texts of their neighbours (a type, a summary type): those are shared.
    std::vector<Value> lastText(static_cast<size_t>(n));
    sqlite3_stmt* h = st.handle();
    while (st.step()) {
        auto r = std::make_shared<Row>();
        r->values.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            if (sqlite3_column_type(h, i + off) != SQLITE_TEXT) {
                r->values.push_back(st.column(i + off));
                continue;
            }
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(h, i + off));
            const std::string_view text(p ? p : "",
                                        static_cast<size_t>(sqlite3_column_bytes(h, i + off)));
            Value& last = lastText[static_cast<size_t>(i)];
            if (!last.isText() || last.text() != text) last = Value(text);
            r->values.push_back(last);
        }
        if (s->hasRowid) {
            r->rowid = st.column(0).toLong();
            r->key = r->rowid;
        } else {
            r->key = ++seq;
        }
        s->rows.push_back(std::move(r));
    }
    return s;
}

} // namespace db::detail
