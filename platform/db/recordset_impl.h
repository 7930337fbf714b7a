#pragma once
// A record set's own state over the shared rows: its cursor, edit buffer and
// observers. Private to the record sets.
#include "platform/db/observers.h"
#include "platform/db/row_store.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace db {

// The message of an operation that needs a current record.
inline constexpr const char* kNoCurrent =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.";

using detail::FieldInfo;
using detail::Row;
using detail::RowStore;

struct RecordsetImpl : std::enable_shared_from_this<RecordsetImpl> {
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
    ObserverList<> moveObservers;
    ObserverList<const RowEvent&> rowObservers;

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
    // Stands on a place without telling anyone.
    void place(long p) {
        curDeleted = false;
        pos = std::clamp(p, -1L, size());
        cur = pos >= 0 && pos < size() ? store->rows[static_cast<size_t>(pos)] : nullptr;
    }
    // Moves; an observer may drop the last handle, so nothing follows this.
    void land(long p) {
        place(p);
        moved();
    }
    void moved() {
        auto self = shared_from_this();
        moveObservers.notify();
    }
    // A notice for this record set's own observers only.
    void tell(RowEvent::Kind kind, long index) {
        auto self = shared_from_this();
        rowObservers.notify(RowEvent{kind, static_cast<int>(index + 1), 1});
    }
    // A notice for every record set on the same rows.
    void tellAll(RowEvent::Kind kind, long index, int count = 1) {
        const RowEvent e{kind, static_cast<int>(index + 1),
                         kind == RowEvent::Kind::Reset ? 0 : count};
        std::shared_ptr<RowStore> keep = store;
        std::vector<std::shared_ptr<RecordsetImpl>> to;
        std::erase_if(keep->sharers, [&keep, &to](const std::weak_ptr<RecordsetImpl>& w) {
            auto p = w.lock();
            if (!p || p->store != keep) return true;
            if (!p->rowObservers.empty()) to.push_back(std::move(p));
            return false;
        });
        for (auto& p : to)
            if (p->store == keep) p->rowObservers.notify(e);
    }
    void share(const std::shared_ptr<RowStore>& s) {
        store = s;
        s->sharers.push_back(weak_from_this());
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

} // namespace db
