#include "platform/db/database.h"

#include "platform/db/schema_sql.h"

#include <algorithm>

// A database's tables: listed, described, created, renamed, deleted and copied.
namespace db {

namespace {

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

} // namespace

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

std::optional<BadValue> findBadValue(Database& database, std::string_view table) {
    const TableDef def = database.tableDef(table);
    for (const FieldDef& f : def.fields) {
        const std::string c = quoteIdent(f.name);
        Statement st(database, "SELECT rowid, typeof(" + c + "), length(" + c + ") FROM " +
                                   quoteIdent(def.name) + " WHERE NOT (" + checkExpression(f) +
                                   ") LIMIT 1");
        if (!st.step()) continue;
        BadValue bad{st.column(0).toLong(), f.name, st.column(1).toText()};
        if (f.type == FieldType::Text && bad.kind == "text" && st.column(2).toLong() > f.size) {
            bad.length = st.column(2).toLong();
            bad.size = f.size;
        }
        return bad;
    }
    return std::nullopt;
}

} // namespace db
