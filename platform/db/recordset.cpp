// The record set's cursor: opening, moves, positions, bookmarks, fields and
// reads. Edits and their writing are in recordset_edit.cpp.
#include "platform/db/recordset.h"

#include "platform/db/recordset_impl.h"

#include <algorithm>
#include <map>

namespace db {

using detail::loadRows;
using detail::recordSourceSql;

namespace {

bool sameValue(const Value& a, const Value& b) {
    if (a.isText() && b.isText()) return equalNoCase(a.text(), b.text());
    if (a.isNull() || b.isNull()) return false;
    return a == b;
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
    Value stored = detail::storedValue(*rs_->store, f, v);
    if (!rs_->editing) {
        rs_->editing = true;
        rs_->buf = r.values;
        rs_->dirty.assign(r.values.size(), 0);
    }
    rs_->buf[static_cast<size_t>(index_)] = std::move(stored);
    rs_->dirty[static_cast<size_t>(index_)] = 1;
    rs_->tell(RowEvent::Kind::Edited, rs_->pos);
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
    std::string sql = recordSourceSql(*db, source);
    auto d = std::make_shared<RecordsetImpl>();
    d->share(loadRows(std::move(db), std::move(sql), params));
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

Value Recordset::peek(int position, int field) const {
    auto& d = impl();
    d.field(field);
    if (position < 1 || position > d.size())
        throw Error("The position " + std::to_string(position) + " is outside the records");
    const auto& row = d.store->rows[static_cast<size_t>(position - 1)];
    if (d.editing && row == d.cur) return d.buf[static_cast<size_t>(field)];
    return row->values[static_cast<size_t>(field)];
}

std::span<const Value> Recordset::rowValues(int position) const {
    auto& d = impl();
    if (position < 1 || position > d.size())
        throw Error("The position " + std::to_string(position) + " is outside the records");
    return d.store->rows[static_cast<size_t>(position - 1)]->values;
}

std::uint64_t Recordset::rowStamp(int position) const {
    auto& d = impl();
    if (position < 1 || position > d.size())
        throw Error("The position " + std::to_string(position) + " is outside the records");
    return d.store->rows[static_cast<size_t>(position - 1)]->stamp;
}

std::optional<std::vector<int>> Recordset::takeChangedPositions() {
    RowStore& s = *impl().store;
    std::optional<std::vector<int>> changed;
    if (s.changesNoted && s.changesGeneration == s.generation) {
        std::sort(s.changedPlaces.begin(), s.changedPlaces.end());
        changed.emplace();
        for (size_t k = 0; k < s.changedPlaces.size(); ++k)
            if (k == 0 || s.changedPlaces[k] != s.changedPlaces[k - 1])
                changed->push_back(static_cast<int>(s.changedPlaces[k]) + 1);
    }
    s.changedPlaces.clear();
    s.changesNoted = true;
    s.changesGeneration = s.generation;
    return changed;
}

std::shared_ptr<void> Recordset::attached() const {
    return impl().store->attached;
}

void Recordset::attach(std::shared_ptr<void> state) {
    impl().store->attached = std::move(state);
}

RecordKey Recordset::keyAt(int position) const {
    auto& d = impl();
    if (position < 1 || position > d.size())
        throw Error("The position " + std::to_string(position) + " is outside the records");
    return d.store->rows[static_cast<size_t>(position - 1)]->key;
}

int Recordset::positionOf(RecordKey key) const {
    auto& d = impl();
    const auto& rows = d.store->rows;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->key == key) return static_cast<int>(i + 1);
    return 0;
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

void Recordset::Requery() {
    auto& d = impl();
    d.editing = false;
    d.adding = false;
    d.share(loadRows(d.store->db, d.store->sql, d.store->params));
    d.gen = d.store->generation;
    d.place(0);
    auto keep = d_;
    d.tell(RowEvent::Kind::Reset, -1);
    d.moved();
}

bool Recordset::matchesFile() const {
    RowStore& s = *impl().store;
    const std::int64_t now = s.db->dataVersion();
    if (now == s.dataVersion) return true;
    // A row's file values: its values with the pending changes taken back.
    const auto same = [](const std::vector<Value>& a, const Row& r) {
        if (a.size() != r.values.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            const Value* b = &r.values[i];
            for (const auto& o : r.original)
                if (o.first == static_cast<int>(i)) b = &o.second;
            if (a[i].kind() != b->kind() || a[i] != *b) return false;
        }
        return true;
    };
    const auto file = loadRows(s.db, s.sql, s.params);
    // Rows written here; one added and not yet written is not in the file.
    std::vector<const Row*> ours;
    for (const auto& r : s.rows)
        if (r->rowid != 0 || !s.hasRowid) ours.push_back(r.get());
    for (const auto& [r, at] : s.removed)
        ours.push_back(r.get());
    if (ours.size() != file->rows.size()) return false;
    if (s.hasRowid) {
        std::map<std::int64_t, const std::vector<Value>*> byRowid;
        for (const auto& r : file->rows)
            byRowid[r->rowid] = &r->values;
        for (const Row* r : ours) {
            const auto it = byRowid.find(r->rowid);
            if (it == byRowid.end() || !same(*it->second, *r)) return false;
        }
    } else {
        for (size_t i = 0; i < ours.size(); ++i)
            if (!same(file->rows[i]->values, *ours[i])) return false;
    }
    s.dataVersion = file->dataVersion;
    return true;
}

Recordset Recordset::Clone() const {
    return Clone(impl().lock);
}

Recordset Recordset::Clone(LockType lock) const {
    auto& d = impl();
    auto c = std::make_shared<RecordsetImpl>();
    c->share(d.store);
    c->lock = lock;
    c->gen = c->store->generation;
    c->pos = 0;
    c->cur = c->store->rows.empty() ? nullptr : c->store->rows.front();
    return Recordset(c);
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
    if (!d_ || !d_->open) return;
    d_->open = false;
    d_->editing = false;
    d_->store.reset();
    d_->cur.reset();
    d_->tell(RowEvent::Kind::Reset, -1);
}

Subscription Recordset::observeMoves(std::function<void()> observer) {
    return impl().moveObservers.add(std::move(observer));
}

Subscription Recordset::observeRows(std::function<void(const RowEvent&)> observer) {
    return impl().rowObservers.add(std::move(observer));
}

} // namespace db
