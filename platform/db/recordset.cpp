#include "platform/db/recordset.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

namespace db {

namespace {

const char* const kNoCurrent =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.";

struct Row {
    enum class State { Unchanged, Modified, Added, Deleted };
    std::vector<Value> values;   // as the record set shows them (pending changes included)
    std::vector<Value> original; // as in the file
    std::int64_t rowid = 0;
    RecordKey key = 0;
    State state = State::Unchanged;
    // Added by an AddNew whose Update has not come yet: no batch writes it.
    bool unfinished = false;
    // Once taken out of the rows: the row that followed it then, so that a
    // record set standing on it finds its place after later removals too.
    std::shared_ptr<Row> next;
};

struct FieldInfo {
    std::string name;
    std::string column; // column of the base table, "" when computed
    bool hasDef = false;
    FieldDef def;
};

// The rows shared by a record set and its clones.
struct RowStore {
    std::shared_ptr<Database> db;
    std::string sql;
    std::vector<Value> params;
    std::string baseTable;
    bool hasRowid = false;
    std::vector<FieldInfo> fields;
    std::vector<std::shared_ptr<Row>> rows;
    // Deleted, pending a batch update, with the place each one had.
    std::vector<std::pair<std::shared_ptr<Row>, size_t>> removed;
    // Every field set by a batch edit since the last batch update or
    // cancel: the batch writes these (one set but not changed does no harm)
    // without first comparing every row with the file's values.
    std::vector<char> pendingFields;
    std::uint64_t generation = 0;
    std::uint64_t updates = 0; // edits ended by Update()
    RecordKey nextTempKey = -1;

    // Takes a row out of the rows, remembering its successor.
    void erase(size_t i) {
        rows[i]->next = i + 1 < rows.size() ? rows[i + 1] : nullptr;
        rows.erase(rows.begin() + static_cast<long>(i));
    }
};

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

bool sameValue(const Value& a, const Value& b) {
    if (a.isText() && b.isText()) return equalNoCase(a.text(), b.text());
    if (a.isNull() || b.isNull()) return false;
    return a == b;
}

// Reads every row of the query into a new store.
std::shared_ptr<RowStore> load(std::shared_ptr<Database> db, std::string sql,
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
    Statement st(d, run);
    st.bindAll(s->params);
    const int off = s->hasRowid ? 1 : 0;
    const int n = static_cast<int>(s->fields.size());
    RecordKey seq = 0;
    while (st.step()) {
        auto r = std::make_shared<Row>();
        r->values.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            r->values.push_back(st.column(i + off));
        if (s->hasRowid) {
            r->rowid = st.column(0).toLong();
            r->key = r->rowid;
        } else {
            r->key = ++seq;
        }
        r->original = r->values;
        s->rows.push_back(std::move(r));
    }
    return s;
}

} // namespace

struct RecordsetImpl {
    std::shared_ptr<RowStore> store;
    LockType lock = LockType::Optimistic;
    bool open = true;
    long pos = 0; // index into store->rows; -1 before the first, size() after the last
    std::shared_ptr<Row> cur;
    std::uint64_t gen = 0;
    bool curDeleted = false;
    bool editing = false;
    bool adding = false;
    std::shared_ptr<Row> beforeAdd;
    std::vector<Value> buf;
    std::vector<char> dirty;
    std::function<void()> onMove;

    void check() const {
        if (!open || !store) throw Error("Operation is not allowed when the record set is closed");
    }
    long size() const { return static_cast<long>(store->rows.size()); }
    // Finds the current record again after another record set changed the rows.
    void sync() {
        if (gen == store->generation) return;
        gen = store->generation;
        if (!cur) {
            // Before the first or after the last record it stays there,
            // whatever was added or removed meanwhile.
            pos = pos < 0 ? -1 : size();
            return;
        }
        auto at = [this](const std::shared_ptr<Row>& r) {
            auto it = std::find(store->rows.begin(), store->rows.end(), r);
            return it == store->rows.end() ? -1L : static_cast<long>(it - store->rows.begin());
        };
        pos = at(cur);
        curDeleted = pos < 0;
        if (!curDeleted) return;
        // Removed through a clone: stand where its nearest remaining
        // successor is, as after a Delete of one's own.
        auto p = cur->next;
        for (; p; p = p->next)
            if ((pos = at(p)) >= 0) return;
        pos = size();
    }
    bool bof() {
        sync();
        return size() == 0 || pos < 0;
    }
    bool eof() {
        sync();
        return size() == 0 || pos >= size();
    }
    bool hasCurrent() { return !bof() && !eof() && !curDeleted; }
    Row& current() {
        check();
        if (!hasCurrent()) throw Error(kNoCurrent);
        return *cur;
    }
    void land(long p) {
        curDeleted = false;
        pos = std::clamp(p, -1L, size());
        cur = pos >= 0 && pos < size() ? store->rows[static_cast<size_t>(pos)] : nullptr;
        if (onMove) onMove();
    }
    // An edit in progress is finished before any move.
    void leave(Recordset& self) {
        check();
        if (editing) self.Update();
    }
    const FieldInfo& field(int i) const {
        check();
        if (i < 0 || i >= static_cast<int>(store->fields.size()))
            throw Error("Item cannot be found in the collection corresponding to the requested "
                        "name or ordinal (field " +
                        std::to_string(i) + ")");
        return store->fields[static_cast<size_t>(i)];
    }
    int indexOf(std::string_view name) const {
        for (size_t i = 0; i < store->fields.size(); ++i)
            if (equalNoCase(store->fields[i].name, name)) return static_cast<int>(i);
        return -1;
    }
};

namespace {

// The value a field of the rows stores for `v`; throws when it cannot be set.
Value storedValue(const RowStore& s, const FieldInfo& f, const Value& v) {
    if (!s.hasRowid) throw Error("The records of this query cannot be changed");
    if (!f.hasDef) throw Error("The field \"" + f.name + "\" cannot be changed (it is computed)");
    // A finite number for a Double field is stored as it is: the common case
    // of a batch, spared the conversion.
    if (f.def.type == FieldType::Double && v.kind() == Value::Kind::Double &&
        std::isfinite(v.toDouble()))
        return v;
    return coerceForField(f.def, v);
}

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

// Writes one row's changed columns, its insertion or its deletion.
class RowWriter {
public:
    explicit RowWriter(RowStore& s) : s_(s) {}

    // The statement that writes the fields `cols` of a row.
    Statement& updateStatement(const std::vector<int>& cols) {
        auto it = updates_.find(cols);
        if (it == updates_.end()) {
            std::string sql = "UPDATE " + quoteIdent(s_.baseTable) + " SET ";
            for (size_t i = 0; i < cols.size(); ++i)
                sql += (i ? ", " : "") +
                       quoteIdent(s_.fields[static_cast<size_t>(cols[i])].column) + " = ?";
            sql += " WHERE rowid = ?";
            it = updates_.emplace(cols, Statement(*s_.db, sql)).first;
        }
        return it->second;
    }

    void update(Row& r, const std::vector<int>& cols) {
        if (!cols.empty()) update(r, cols, updateStatement(cols));
    }

    void update(Row& r, const std::vector<int>& cols, Statement& st) {
        // Every parameter is bound again below: none needs clearing.
        sqlite3_reset(st.handle());
        int k = 1;
        for (int c : cols)
            bindDuringRun(*s_.db, st.handle(), k++, r.values[static_cast<size_t>(c)]);
        if (sqlite3_bind_int64(st.handle(), k, r.rowid) != SQLITE_OK)
            s_.db->fail("Cannot bind parameter " + std::to_string(k));
        st.step();
        if (sqlite3_changes(s_.db->handle()) != 1)
            throw Error("The record to be changed is no longer in the table \"" + s_.baseTable +
                        "\"");
    }

    std::int64_t insert(const Row& r) {
        if (!insert_) {
            std::string cols, marks;
            for (size_t i = 0; i < s_.fields.size(); ++i) {
                if (!s_.fields[i].hasDef) continue;
                cols += (cols.empty() ? "" : ", ") + quoteIdent(s_.fields[i].column);
                marks += marks.empty() ? "?" : ", ?";
                insertCols_.push_back(static_cast<int>(i));
            }
            insert_ =
                std::make_unique<Statement>(*s_.db, "INSERT INTO " + quoteIdent(s_.baseTable) +
                                                        " (" + cols + ") VALUES (" + marks + ")");
        }
        insert_->reset();
        int k = 1;
        for (int c : insertCols_)
            insert_->bind(k++, r.values[static_cast<size_t>(c)]);
        insert_->step();
        return sqlite3_last_insert_rowid(s_.db->handle());
    }

    void remove(const Row& r) {
        if (!delete_)
            delete_ = std::make_unique<Statement>(
                *s_.db, "DELETE FROM " + quoteIdent(s_.baseTable) + " WHERE rowid = ?");
        delete_->reset();
        delete_->bind(1, Value(static_cast<long long>(r.rowid)));
        delete_->step();
    }

private:
    RowStore& s_;
    std::map<std::vector<int>, Statement> updates_;
    std::unique_ptr<Statement> insert_;
    std::unique_ptr<Statement> delete_;
    std::vector<int> insertCols_;
};

std::vector<int> changedColumns(const Row& r) {
    std::vector<int> cols;
    for (size_t i = 0; i < r.values.size(); ++i) {
        const Value& a = r.values[i];
        const Value& b = r.original[i];
        if (a.kind() != b.kind() || a != b) cols.push_back(static_cast<int>(i));
    }
    return cols;
}

} // namespace

// ---- Field ---------------------------------------------------------------

const std::string& Field::Name() const {
    return rs_->field(index_).name;
}

const FieldDef* Field::def() const {
    const FieldInfo& f = rs_->field(index_);
    return f.hasDef ? &f.def : nullptr;
}

Value Field::value() const {
    rs_->field(index_);
    Row& r = rs_->current();
    if (rs_->editing) return rs_->buf[static_cast<size_t>(index_)];
    return r.values[static_cast<size_t>(index_)];
}

void Field::setValue(const Value& v) {
    const FieldInfo& f = rs_->field(index_);
    Row& r = rs_->current();
    Value stored = storedValue(*rs_->store, f, v);
    if (!rs_->editing) {
        rs_->editing = true;
        rs_->buf = r.values;
        rs_->dirty.assign(r.values.size(), 0);
    }
    rs_->buf[static_cast<size_t>(index_)] = std::move(stored);
    rs_->dirty[static_cast<size_t>(index_)] = 1;
}

int FieldList::Count() const {
    rs_->check();
    return static_cast<int>(rs_->store->fields.size());
}

Field FieldList::operator()(int index) const {
    rs_->check();
    rs_->field(index);
    return Field(rs_, index);
}

Field FieldList::operator()(std::string_view name) const {
    rs_->check();
    const int i = rs_->indexOf(name);
    if (i < 0)
        throw Error("Item cannot be found in the collection corresponding to the requested name "
                    "or ordinal (\"" +
                    std::string(name) + "\")");
    return Field(rs_, i);
}

int FieldList::indexOf(std::string_view name) const {
    rs_->check();
    return rs_->indexOf(name);
}

// ---- Recordset -------------------------------------------------------------

Recordset Recordset::open(std::shared_ptr<Database> db, std::string_view source,
                          const std::vector<Value>& params, LockType lock) {
    if (!db) throw Error("No database is open");
    std::string sql(source);
    // A table's name is only ever a name, even one that reads as SQL.
    if (auto table = db->findTable(sql)) {
        sql = "SELECT * FROM " + quoteIdent(*table);
    } else if (!startsWithWord(sql, "SELECT") && !startsWithWord(sql, "WITH") &&
               !startsWithWord(sql, "VALUES")) {
        throw Error("The table \"" + sql + "\" does not exist");
    }
    auto d = std::make_shared<RecordsetImpl>();
    d->store = load(std::move(db), std::move(sql), params);
    d->lock = lock;
    d->gen = d->store->generation;
    d->pos = 0;
    d->cur = d->store->rows.empty() ? nullptr : d->store->rows.front();
    return Recordset(d);
}

RecordsetImpl& Recordset::impl() const {
    if (!d_) throw Error("Operation is not allowed when the record set is closed");
    d_->check();
    return *d_;
}

bool Recordset::isOpen() const {
    return d_ && d_->open;
}
std::shared_ptr<Database> Recordset::database() const {
    return impl().store->db;
}
const std::string& Recordset::baseTable() const {
    return impl().store->baseTable;
}
LockType Recordset::lockType() const {
    return impl().lock;
}
void Recordset::setLockType(LockType lock) {
    impl().lock = lock;
}

bool Recordset::bof() const {
    return impl().bof();
}
bool Recordset::eof() const {
    return impl().eof();
}

void Recordset::MoveFirst() {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    d.land(d.size() == 0 ? 0 : 0);
}

void Recordset::MoveLast() {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    d.land(d.size() == 0 ? 0 : d.size() - 1);
}

void Recordset::MoveNext() {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    if (d.curDeleted) return d.land(d.pos);
    if (d.eof()) throw Error(kNoCurrent);
    d.land(d.pos + 1);
}

void Recordset::MovePrevious() {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    if (d.curDeleted) return d.land(d.pos - 1);
    if (d.bof()) throw Error(kNoCurrent);
    d.land(d.pos - 1);
}

void Recordset::Move(long n) {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    if (n == 0) {
        if (!d.hasCurrent()) throw Error(kNoCurrent);
        return d.land(d.pos);
    }
    if (d.curDeleted) return d.land(n > 0 ? d.pos + n - 1 : d.pos + n);
    if ((n > 0 && d.eof()) || (n < 0 && d.bof())) throw Error(kNoCurrent);
    d.land(d.pos + n);
}

int Recordset::RecordCount() const {
    auto& d = impl();
    return static_cast<int>(d.size());
}

int Recordset::AbsolutePosition() const {
    auto& d = impl();
    d.sync();
    if (d.size() == 0) return kPosUnknown;
    if (d.pos < 0) return kPosBOF;
    if (d.pos >= d.size()) return kPosEOF;
    if (d.curDeleted) return kPosUnknown;
    return static_cast<int>(d.pos + 1);
}

void Recordset::setAbsolutePosition(int position) {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    if (position < 1 || position > d.size())
        throw Error("The position " + std::to_string(position) + " is outside the records");
    d.land(position - 1);
}

RecordKey Recordset::Bookmark() const {
    return impl().current().key;
}

void Recordset::setBookmark(RecordKey key) {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    for (size_t i = 0; i < d.store->rows.size(); ++i)
        if (d.store->rows[i]->key == key) return d.land(static_cast<long>(i));
    throw Error("The bookmark is not valid: its record is no longer in the record set");
}

bool Recordset::Find(std::string_view field, const Value& value, int skipRows, bool forward) {
    auto& d = impl();
    d.leave(*this);
    const int f = Fields().indexOf(field);
    if (f < 0) throw Error("The field \"" + std::string(field) + "\" is not in the record set");
    d.sync();
    long p = d.pos;
    if (d.curDeleted && !forward) --p;
    p = std::clamp(p, 0L, std::max(0L, d.size() - 1)) + (forward ? skipRows : -skipRows);
    for (; p >= 0 && p < d.size(); p += forward ? 1 : -1)
        if (sameValue(d.store->rows[static_cast<size_t>(p)]->values[static_cast<size_t>(f)],
                      value)) {
            d.land(p);
            return true;
        }
    d.land(forward ? d.size() : -1);
    return false;
}

FieldList Recordset::Fields() const {
    impl();
    return FieldList(d_);
}
Field Recordset::Fields(int index) const {
    impl();
    return FieldList(d_)(index);
}
Field Recordset::Fields(std::string_view name) const {
    impl();
    return FieldList(d_)(name);
}

void Recordset::AddNew() {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    if (!d.store->hasRowid) throw Error("The records of this query cannot be changed");
    auto r = std::make_shared<Row>();
    for (const FieldInfo& f : d.store->fields) {
        Value v = Value::null();
        if (f.hasDef && !f.def.defaultValue.isEmpty())
            v = coerceForField(f.def, f.def.defaultValue);
        r->values.push_back(std::move(v));
    }
    r->original.assign(r->values.size(), Value::null());
    r->state = Row::State::Added;
    r->unfinished = true;
    r->key = d.store->nextTempKey--;
    d.beforeAdd = d.hasCurrent() ? d.cur : nullptr;
    d.store->rows.push_back(r);
    ++d.store->generation;
    d.gen = d.store->generation;
    d.editing = true;
    d.adding = true;
    d.buf = r->values;
    d.dirty.assign(r->values.size(), 1);
    d.land(d.size() - 1);
}

void Recordset::Update() {
    auto& d = impl();
    if (!d.editing) return;
    d.sync();
    if (!d.cur || d.curDeleted) throw Error(kNoCurrent);
    Row& r = *d.cur;
    RowStore& s = *d.store;
    if (d.lock == LockType::Optimistic) {
        Row next = r;
        next.values = d.buf;
        RowWriter w(s);
        if (d.adding) {
            for (size_t i = 0; i < s.fields.size(); ++i)
                if (s.fields[i].hasDef && s.fields[i].def.required && next.values[i].isNull())
                    throw Error("The field \"" + s.fields[i].name + "\" cannot hold a Null value");
            next.rowid = w.insert(next);
        } else {
            std::vector<int> cols;
            for (size_t i = 0; i < d.dirty.size(); ++i)
                if (d.dirty[i]) cols.push_back(static_cast<int>(i));
            w.update(next, cols);
        }
        r.values = d.buf;
        if (d.adding) {
            r.original = d.buf;
            r.rowid = next.rowid;
            // The bookmark stays the one it had: the file may give a new
            // record the rowid of one deleted before, whose bookmark must
            // not lead here.
            r.state = Row::State::Unchanged;
        } else {
            for (size_t i = 0; i < d.dirty.size(); ++i)
                if (d.dirty[i]) r.original[i] = d.buf[i];
            // Changes a batch clone left pending in other fields stay pending.
            if (changedColumns(r).empty()) r.state = Row::State::Unchanged;
        }
    } else {
        r.values = d.buf;
        for (size_t i = 0; i < d.dirty.size(); ++i)
            if (d.dirty[i]) s.pendingFields[i] = 1;
        if (r.state == Row::State::Unchanged) r.state = Row::State::Modified;
    }
    if (d.adding) r.unfinished = false; // only the record set that adds it finishes it
    ++s.updates;
    d.editing = false;
    d.adding = false;
    d.buf.clear();
    d.dirty.clear();
}

void Recordset::CancelUpdate() {
    auto& d = impl();
    if (!d.editing) return;
    d.editing = false;
    d.buf.clear();
    d.dirty.clear();
    if (d.adding) {
        d.adding = false;
        auto& rows = d.store->rows;
        if (auto it = std::find(rows.begin(), rows.end(), d.cur); it != rows.end())
            d.store->erase(static_cast<size_t>(it - rows.begin()));
        ++d.store->generation;
        d.gen = d.store->generation;
        auto it = std::find(rows.begin(), rows.end(), d.beforeAdd);
        d.land(it == rows.end() ? d.size() : static_cast<long>(it - rows.begin()));
    }
}

bool Recordset::editing() const {
    return impl().editing;
}

void Recordset::Delete() {
    auto& d = impl();
    if (d.editing && d.adding) return CancelUpdate();
    d.editing = false;
    Row& r = d.current();
    if (!d.store->hasRowid) throw Error("The records of this query cannot be changed");
    auto keep = d.cur;
    if (r.state != Row::State::Added) {
        if (d.lock == LockType::Optimistic) {
            RowWriter(*d.store).remove(r);
        } else {
            r.state = Row::State::Deleted;
            d.store->removed.emplace_back(keep, static_cast<size_t>(d.pos));
        }
    }
    d.store->erase(static_cast<size_t>(d.pos));
    ++d.store->generation;
    d.gen = d.store->generation;
    d.curDeleted = true;
}

void Recordset::Requery() {
    auto& d = impl();
    d.editing = false;
    d.adding = false;
    d.store = load(d.store->db, d.store->sql, d.store->params);
    d.gen = d.store->generation;
    d.land(0);
}

Recordset Recordset::Clone() const {
    return Clone(impl().lock);
}

Recordset Recordset::Clone(LockType lock) const {
    auto& d = impl();
    auto c = std::make_shared<RecordsetImpl>();
    c->store = d.store;
    c->lock = lock;
    c->gen = c->store->generation;
    c->pos = 0;
    c->cur = c->store->rows.empty() ? nullptr : c->store->rows.front();
    return Recordset(c);
}

void Recordset::UpdateBatch() {
    UpdateBatch({}, {});
}

void Recordset::UpdateBatch(const std::vector<int>& fields,
                            const std::function<void(BatchRecord&)>& edit) {
    auto& d = impl();
    if (d.editing) Update();
    const std::shared_ptr<RowStore> store = d.store;
    RowStore& s = *store;
    if (!fields.empty() && !s.hasRowid) throw Error("The records of this query cannot be changed");
    std::vector<char> named(s.fields.size(), 0);
    std::vector<char> numbers(s.fields.size(), 0); // named Double fields
    for (int f : fields) {
        const FieldInfo& info = d.field(f);
        const auto i = static_cast<size_t>(f);
        named[i] = 1;
        numbers[i] = info.hasDef && info.def.type == FieldType::Double;
        s.pendingFields[i] = 1;
    }
    std::vector<std::pair<Row*, std::int64_t>> inserted;
    std::vector<int> cols;
    {
        Database::Transaction tx(*s.db);
        RowWriter w(s);
        for (auto& r : s.removed)
            w.remove(*r.first);
        // One statement for the batch, over every field changed in any row:
        // the other fields of a row are written with the values they hold,
        // which are the file's own. Preparing one per shape of change would
        // cost more than all the writing.
        for (size_t i = 0; i < s.pendingFields.size(); ++i)
            if (s.pendingFields[i]) cols.push_back(static_cast<int>(i));
        Statement* update = nullptr; // made for the first row to write
        const std::uint64_t generation = s.generation;
        const std::uint64_t updates = s.updates;
        for (size_t i = 0; i < s.rows.size(); ++i) {
            Row& r = *s.rows[i];
            if (edit) {
                BatchRecord record(d, i, named, numbers);
                // What the edit set is pending, even when it fails half way.
                auto pending = [&] {
                    if (record.changed_ && r.state == Row::State::Unchanged)
                        r.state = Row::State::Modified;
                };
                try {
                    edit(record);
                } catch (...) {
                    pending();
                    throw;
                }
                pending();
                // A record changed another way might be one written already.
                if (d.store != store || s.generation != generation || s.updates != updates)
                    throw Error("The records changed while a batch was written");
            }
            if (r.state == Row::State::Modified && !cols.empty()) {
                if (!update) update = &w.updateStatement(cols);
                w.update(r, cols, *update);
            } else if (r.state == Row::State::Added && !r.unfinished)
                inserted.emplace_back(&r, w.insert(r));
        }
        tx.commit();
    }
    // Only now, with every change in the file, do the rows take the new state.
    for (auto& [r, rowid] : inserted)
        r->rowid = rowid;
    for (size_t i = 0; i < s.rows.size(); ++i) {
        Row& r = *s.rows[i];
        if (r.state == Row::State::Unchanged || r.unfinished) continue;
        if (r.state == Row::State::Added) {
            r.original = r.values;
        } else { // its other fields hold the file's values already
            // Each row lies in memory of its own: the next one's fields are
            // fetched while this one's are copied.
            const Row* next = i + 1 < s.rows.size() ? s.rows[i + 1].get() : nullptr;
            for (int c : cols) {
                const auto k = static_cast<size_t>(c);
                if (next) {
                    __builtin_prefetch(next->values.data() + k);
                    __builtin_prefetch(next->original.data() + k, 1);
                }
                r.original[k] = r.values[k];
            }
        }
        r.state = Row::State::Unchanged;
    }
    s.removed.clear();
    s.pendingFields.assign(s.fields.size(), 0);
}

// ---- BatchRecord -----------------------------------------------------------

BatchRecord::BatchRecord(RecordsetImpl& d, std::size_t index, const std::vector<char>& named,
                         const std::vector<char>& numbers)
    : d_(d), index_(index), named_(named), numbers_(numbers), values_(d.store->rows[index]->values),
      // A batch sets the same fields of record after record: the next
      // record's fields are fetched while this one's are set.
      next_(index + 1 < d.store->rows.size() ? d.store->rows[index + 1]->values.data() : nullptr) {}

int BatchRecord::position() const {
    return static_cast<int>(index_ + 1);
}

void BatchRecord::setValue(int field, const Value& v) {
    const FieldInfo& f = d_.field(field);
    if (!named_[static_cast<size_t>(field)])
        throw Error("The field \"" + f.name + "\" is not among those the batch writes");
    store(field, storedValue(*d_.store, f, v));
}

void BatchRecord::setValue(int field, double v) {
    // A finite number for a named Double field needs no conversion.
    if (field >= 0 && static_cast<size_t>(field) < numbers_.size() &&
        numbers_[static_cast<size_t>(field)] && std::isfinite(v))
        store(field, Value(v));
    else
        setValue(field, Value(v));
}

void BatchRecord::store(int field, Value v) {
    if (next_) __builtin_prefetch(next_ + field, 1);
    values_[static_cast<size_t>(field)] = std::move(v);
    changed_ = true;
}

void Recordset::CancelBatch() {
    auto& d = impl();
    d.editing = false;
    d.adding = false;
    RowStore& s = *d.store;
    std::vector<std::shared_ptr<Row>> kept;
    for (auto& r : s.rows) {
        if (r->state == Row::State::Added) {
            r->next = nullptr; // gone for good: past the last record
            continue;
        }
        r->values = r->original;
        r->state = Row::State::Unchanged;
        kept.push_back(r);
    }
    // Deleted records come back to their places, the last deleted first.
    for (auto it = s.removed.rbegin(); it != s.removed.rend(); ++it) {
        Row& r = *it->first;
        r.values = r.original;
        r.state = Row::State::Unchanged;
        r.next = nullptr;
        kept.insert(kept.begin() + static_cast<long>(std::min(it->second, kept.size())), it->first);
    }
    s.rows = std::move(kept);
    s.removed.clear();
    s.pendingFields.assign(s.fields.size(), 0);
    ++s.generation;
    d.sync();
}

RowArray Recordset::GetRows() {
    auto& d = impl();
    d.leave(*this);
    d.sync();
    RowArray out;
    out.fields_ = static_cast<int>(d.store->fields.size());
    long from = d.curDeleted ? d.pos : std::max(0L, d.pos);
    for (long p = from; p < d.size(); ++p) {
        const auto& v = d.store->rows[static_cast<size_t>(p)]->values;
        out.data_.insert(out.data_.end(), v.begin(), v.end());
        ++out.rows_;
    }
    d.land(d.size());
    return out;
}

void Recordset::Close() {
    if (!d_) return;
    d_->open = false;
    d_->editing = false;
    d_->store.reset();
    d_->cur.reset();
    d_->onMove = nullptr;
}

void Recordset::setMoveListener(std::function<void()> listener) {
    if (d_) d_->onMove = std::move(listener);
}

} // namespace db
