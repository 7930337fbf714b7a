// A record set's edits: new records, the edit buffer, deletion, and the
// writing of them, at once or in one batch.
#include "platform/db/recordset.h"

#include "platform/db/recordset_impl.h"
#include "platform/db/row_writer.h"

#include <algorithm>

namespace db {

using detail::changedColumns;
using detail::RowWriter;

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
        if (r.state == Row::State::Unchanged) r.state = Row::State::Modified;
    }
    if (d.adding) r.unfinished = false; // only the record set that adds it finishes it
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
    }
    d.store->erase(static_cast<size_t>(d.pos));
    ++d.store->generation;
    d.gen = d.store->generation;
    d.curDeleted = true;
    d.tellAll(RowEvent::Kind::Removed, d.pos);
}

void Recordset::UpdateBatch() {
    auto& d = impl();
    if (d.editing) Update();
    RowStore& s = *d.store;
    std::vector<std::pair<Row*, std::int64_t>> inserted;
    {
        Database::Transaction tx(*s.db);
        RowWriter w(s);
        for (auto& r : s.removed)
            w.remove(*r.first);
        // One statement for the batch, over every field changed in any row:
        // the other fields of a row are written with the values they hold,
        // which are the file's own. Preparing one per shape of change would
        // cost more than all the writing.
        std::vector<char> changed(s.fields.size(), 0);
        for (auto& r : s.rows)
            if (r->state == Row::State::Modified)
                for (int c : changedColumns(*r))
                    changed[static_cast<size_t>(c)] = 1;
        std::vector<int> cols;
        for (size_t i = 0; i < changed.size(); ++i)
            if (changed[i]) cols.push_back(static_cast<int>(i));
        for (auto& r : s.rows) {
            if (r->state == Row::State::Modified)
                w.update(*r, cols);
            else if (r->state == Row::State::Added && !r->unfinished)
                inserted.emplace_back(r.get(), w.insert(*r));
        }
        tx.commit();
    }
    // Only now, with every change in the file, do the rows take the new state.
    for (auto& [r, rowid] : inserted)
        r->rowid = rowid;
    for (auto& r : s.rows) {
        if (r->state == Row::State::Unchanged || r->unfinished) continue;
        r->original = r->values;
        r->state = Row::State::Unchanged;
    }
    s.removed.clear();
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
    ++s.generation;
    d.sync();
    d.tellAll(RowEvent::Kind::Reset, -1);
}

} // namespace db
