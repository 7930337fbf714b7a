// A record set's edits: new records, the edit buffer, deletion, and the
// writing of them, at once or in one batch.
#include "platform/db/recordset.h"

#include "platform/db/recordset_impl.h"
#include "platform/db/row_writer.h"

#include <algorithm>
#include <cmath>

namespace db {

using detail::changedColumns;
using detail::RowWriter;
using detail::storedValue;

Value detail::storedValue(const RowStore& s, const FieldInfo& f, Value v) {
    if (!s.hasRowid) throw Error("The records of this query cannot be changed");
    if (!f.hasDef) throw Error("The field \"" + f.name + "\" cannot be changed (it is computed)");
    // A finite number for a Double field and a text that fits a text field
    // are stored as they are: the common cases of a batch, spared the copy.
    if (f.def.type == FieldType::Double && v.kind() == Value::Kind::Double &&
        std::isfinite(v.toDouble()))
        return v;
    if (f.def.type == FieldType::Text && v.isText() &&
        (!v.text().empty() || f.def.allowZeroLength) && characterCount(v.text()) <= f.def.size)
        return v;
    return coerceForField(f.def, v);
}

namespace {

// Each row lies in memory of its own: a pass over the rows fetches the rows
// a few places ahead, and the fields of the next one, while it works on one.
void prefetchRows(const RowStore& s, size_t i) {
    constexpr size_t kAhead = 6;
    if (i + kAhead < s.rows.size()) __builtin_prefetch(s.rows[i + kAhead].get(), 1);
    if (i + 1 < s.rows.size()) {
        const Row& next = *s.rows[i + 1];
        __builtin_prefetch(next.values.data(), 1);
        if (!next.original.empty()) __builtin_prefetch(next.original.data(), 1);
    }
}

// Keeps the rows that still hold a pending change of their own.
void dropUnpending(std::vector<std::shared_ptr<Row>>& rows) {
    std::erase_if(rows, [](const std::shared_ptr<Row>& r) {
        return r->state != Row::State::Modified && r->state != Row::State::Added;
    });
}

} // namespace

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
    r->state = Row::State::Added;
    r->unfinished = true;
    r->key = d.store->nextTempKey--;
    d.beforeAdd = d.hasCurrent() ? d.cur : nullptr;
    d.store->rows.push_back(r);
    d.store->pendingRows.push_back(r);
    ++d.store->generation;
    d.gen = d.store->generation;
    d.editing = true;
    d.adding = true;
    d.buf = r->values;
    d.dirty.assign(r->values.size(), 1);
    auto keep = d_;
    d.tellAll(RowEvent::Kind::Added, d.size() - 1);
    d.land(d.size() - 1);
}

void Recordset::Update() {
    auto& d = impl();
    if (!d.editing) return;
    d.sync();
    if (!d.cur || d.curDeleted) throw Error(kNoCurrent);
    const long at = d.pos;
    Row& r = *d.cur;
    RowStore& s = *d.store;
    // A field another record set on these rows changed meanwhile keeps the
    // file's value it had.
    for (size_t i = 0; i < d.buf.size(); ++i) {
        const Value& a = r.values[i];
        const Value& b = d.buf[i];
        if ((d.dirty[i] && d.lock != LockType::Optimistic) || a.kind() != b.kind() || a != b)
            r.keepOriginal(static_cast<int>(i));
    }
    if (d.lock == LockType::Optimistic) {
        Row next;
        next.values = d.buf;
        next.rowid = r.rowid;
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
            w.updateAsRead(r, d.buf, cols);
        }
        r.values = d.buf;
        s.changed(static_cast<size_t>(at));
        if (d.adding) {
            r.written([](int) { return true; });
            r.rowid = next.rowid;
            // The bookmark stays the one it had: the file may give a new
            // record the rowid of one deleted before, whose bookmark must
            // not lead here.
            r.state = Row::State::Unchanged;
        } else {
            r.written([&](int i) { return d.dirty[static_cast<size_t>(i)] != 0; });
            // Changes a batch clone left pending in other fields stay pending.
            if (changedColumns(r).empty()) r.state = Row::State::Unchanged;
        }
    } else {
        r.values = d.buf;
        s.changed(static_cast<size_t>(at));
        for (size_t i = 0; i < d.dirty.size(); ++i)
            if (d.dirty[i]) s.pendingFields[i] = 1;
        if (r.state == Row::State::Unchanged) {
            r.state = Row::State::Modified;
            s.pendingRows.push_back(d.cur);
        }
    }
    if (d.adding) r.unfinished = false; // only the record set that adds it finishes it
    ++s.updates;
    d.editing = false;
    d.adding = false;
    d.buf.clear();
    d.dirty.clear();
    d.tellAll(RowEvent::Kind::Changed, at);
}

void Recordset::CancelUpdate() {
    auto& d = impl();
    if (!d.editing) return;
    d.editing = false;
    d.buf.clear();
    d.dirty.clear();
    if (!d.adding) return d.tell(RowEvent::Kind::Edited, d.pos);
    d.adding = false;
    auto& rows = d.store->rows;
    long gone = -1;
    if (auto it = std::find(rows.begin(), rows.end(), d.cur); it != rows.end()) {
        gone = static_cast<long>(it - rows.begin());
        d.store->erase(static_cast<size_t>(gone));
    }
    if (d.cur) d.cur->state = Row::State::Deleted; // gone without ever being written
    ++d.store->generation;
    d.gen = d.store->generation;
    auto it = std::find(rows.begin(), rows.end(), d.beforeAdd);
    d.place(it == rows.end() ? d.size() : static_cast<long>(it - rows.begin()));
    auto keep = d_;
    if (gone >= 0) d.tellAll(RowEvent::Kind::Removed, gone);
    d.moved();
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
    } else {
        r.state = Row::State::Deleted; // gone without ever being written
    }
    d.store->erase(static_cast<size_t>(d.pos));
    ++d.store->generation;
    d.gen = d.store->generation;
    d.curDeleted = true;
    d.tellAll(RowEvent::Kind::Removed, d.pos);
}

void Recordset::UpdateBatch() {
    UpdateBatch({}, {});
}

void Recordset::UpdateBatch(const std::vector<int>& fields,
                            const std::function<void(BatchRecord&)>& edit) {
    updateBatch(fields, nullptr, edit);
}

void Recordset::UpdateBatch(const std::vector<int>& fields, const std::vector<int>& positions,
                            const std::function<void(BatchRecord&)>& edit) {
    updateBatch(fields, &positions, edit);
}

void Recordset::updateBatch(const std::vector<int>& fields, const std::vector<int>* positions,
                            const std::function<void(BatchRecord&)>& edit) {
    auto& d = impl();
    if (d.editing) Update();
    const std::shared_ptr<RowStore> store = d.store;
    RowStore& s = *store;
    if (!fields.empty() && !s.hasRowid) throw Error("The records of this query cannot be changed");
    if (positions) {
        int last = 0;
        for (int p : *positions) {
            if (p <= last || p > static_cast<int>(s.rows.size()))
                throw Error("The position " + std::to_string(p) + " is outside the records");
            last = p;
        }
    }
    BatchRecord::Batch batch;
    batch.named.assign(s.fields.size(), 0);
    batch.numbers.assign(s.fields.size(), 0);
    batch.setBy.assign(s.fields.size(), 0);
    for (int f : fields) {
        const FieldInfo& info = d.field(f);
        const auto i = static_cast<size_t>(f);
        batch.named[i] = 1;
        batch.numbers[i] = info.hasDef && info.def.type == FieldType::Double;
        s.pendingFields[i] = 1;
    }
    // With no other change pending, the records named are all there is to
    // write, and the others are not visited at all.
    dropUnpending(s.pendingRows);
    const bool namedOnly = positions && s.removed.empty() && s.pendingRows.empty();
    const size_t count = namedOnly ? positions->size() : s.rows.size();
    const auto rowAt = [&](size_t k) {
        return namedOnly ? static_cast<size_t>((*positions)[k] - 1) : k;
    };
    const auto prefetch = [&](size_t k) {
        if (!namedOnly) return prefetchRows(s, k);
        if (k + 1 < count) __builtin_prefetch(s.rows[rowAt(k + 1)]->values.data(), 1);
    };
    std::vector<std::pair<Row*, std::int64_t>> inserted;
    std::vector<int> cols;
    bool edited = false;
    try {
        Database::Transaction tx(*s.db);
        RowWriter w(s);
        for (auto& r : s.removed)
            w.remove(*r.first);
        // One statement for the batch, over every field set since the last
        // one: the other fields of a row are written with the values they
        // hold, which are the file's own. Preparing one per shape of change
        // would cost more than all the writing.
        for (size_t i = 0; i < s.pendingFields.size(); ++i)
            if (s.pendingFields[i]) cols.push_back(static_cast<int>(i));
        Statement* update = nullptr; // made for the first row to write
        const std::uint64_t generation = s.generation;
        const std::uint64_t updates = s.updates;
        size_t named = 0; // the next of `positions` to visit
        for (size_t k = 0; k < count; ++k) {
            const size_t i = rowAt(k);
            Row& r = *s.rows[i];
            prefetch(k);
            bool visit = static_cast<bool>(edit);
            if (visit && positions) {
                visit =
                    named < positions->size() && static_cast<size_t>((*positions)[named] - 1) == i;
                if (visit) ++named;
            }
            if (visit) {
                BatchRecord record(d, i, batch);
                // What the edit set is pending, even when it fails half way.
                auto pending = [&] {
                    if (record.changed_) edited = true;
                    if (record.changed_ && r.state == Row::State::Unchanged) {
                        r.state = Row::State::Modified;
                        s.pendingRows.push_back(s.rows[i]);
                    }
                };
                try {
                    edit(record);
                } catch (...) {
                    pending();
                    if (edited) d.tellAll(RowEvent::Kind::Changed, 0, static_cast<int>(d.size()));
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
    } catch (...) {
        batch.restore(); // what the edit set stays pending
        throw;
    }
    // Only now, with every change in the file, do the rows take the new state.
    for (auto& [r, rowid] : inserted)
        r->rowid = rowid;
    for (size_t k = 0; k < count; ++k) {
        Row& r = *s.rows[rowAt(k)];
        prefetch(k);
        if (r.state == Row::State::Unchanged || r.unfinished) continue;
        if (r.state == Row::State::Added)
            r.written([](int) { return true; });
        else // the fields written; any other changed field stays as it was
            r.written([&](int f) { return s.pendingFields[static_cast<size_t>(f)] != 0; });
        r.state = Row::State::Unchanged;
    }
    s.removed.clear();
    dropUnpending(s.pendingRows); // an AddNew still open stays
    s.pendingFields.assign(s.fields.size(), 0);
    // The edit changed values every record set on these rows shows.
    if (edited) d.tellAll(RowEvent::Kind::Changed, 0, static_cast<int>(d.size()));
}

// ---- BatchRecord -----------------------------------------------------------

BatchRecord::BatchRecord(RecordsetImpl& d, std::size_t index, Batch& batch)
    : d_(d), index_(index), batch_(batch), row_(*d.store->rows[index]), values_(row_.values.data()),
      count_(row_.values.size()), keptBefore_(!row_.original.empty()),
      // A batch sets the same fields of record after record: the next
      // record's fields are fetched while this one's are set.
      next_(index + 1 < d.store->rows.size() ? d.store->rows[index + 1]->values.data() : nullptr) {}

int BatchRecord::position() const {
    return static_cast<int>(index_ + 1);
}

void BatchRecord::noField(int field) const {
    d_.field(field); // throws for a field the record set does not have
    throw Error("No field " + std::to_string(field));
}

void BatchRecord::setValue(int field, const Value& v) {
    setValue(field, Value(v));
}

void BatchRecord::setValue(int field, Value&& v) {
    const FieldInfo& f = d_.field(field);
    if (!batch_.named[static_cast<size_t>(field)])
        throw Error("The field \"" + f.name + "\" is not among those the batch writes");
    store(field, storedValue(*d_.store, f, std::move(v)));
}

void BatchRecord::store(int field, Value v) {
    if (next_) __builtin_prefetch(next_ + field, 1);
    const auto f = static_cast<size_t>(field);
    Value& at = row_.values[f];
    // The file's value is kept once, the first time the field changes.
    if (batch_.setBy[f] != index_ + 1) {
        batch_.setBy[f] = index_ + 1;
        if (!keptBefore_) {
            if (!logged_) {
                batch_.keptRows.push_back(d_.store->rows[index_]);
                logged_ = true;
            }
            batch_.keep(static_cast<std::uint32_t>(batch_.keptRows.size() - 1), field,
                        std::move(at));
        } else if (!row_.hasOriginal(field)) {
            row_.original.emplace_back(field, std::move(at));
        }
    }
    at = std::move(v);
    if (!changed_) d_.store->changed(index_);
    changed_ = true;
}

void BatchRecord::Batch::keep(std::uint32_t row, int field, Value&& value) {
    if (kept.empty() || kept.back().size() == kept.back().capacity()) {
        // Growing from a small first chunk, for the batch of a few fields.
        constexpr std::size_t kFirst = 64, kLargest = 4096;
        const std::size_t size = kept.empty() ? kFirst : std::min(2 * kept.back().size(), kLargest);
        kept.emplace_back().reserve(size);
    }
    kept.back().push_back({row, field, std::move(value)});
}

void BatchRecord::Batch::restore() {
    for (std::vector<Kept>& chunk : kept)
        for (Kept& k : chunk) {
            detail::Row& r = *keptRows[k.row];
            if (!r.hasOriginal(k.field)) r.original.emplace_back(k.field, std::move(k.value));
        }
    kept.clear();
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
        r->restore();
        r->state = Row::State::Unchanged;
        kept.push_back(r);
    }
    // Deleted records come back to their places, the last deleted first.
    for (auto it = s.removed.rbegin(); it != s.removed.rend(); ++it) {
        Row& r = *it->first;
        r.restore();
        r.state = Row::State::Unchanged;
        r.next = nullptr;
        kept.insert(kept.begin() + static_cast<long>(std::min(it->second, kept.size())), it->first);
    }
    s.rows = std::move(kept);
    s.removed.clear();
    s.pendingRows.clear();
    s.pendingFields.assign(s.fields.size(), 0);
    ++s.generation;
    d.sync();
    d.tellAll(RowEvent::Kind::Reset, -1);
}

} // namespace db
