#pragma once
// The data grid's selection: the selected records as bookmarks.
#include "platform/db/recordset.h"

#include <vector>

namespace platform {

class DataGrid;

// The selected records as bookmarks, in the order they were added. The
// grid shows them as selected rows. The mouse selects on the record
// selectors: a click selects that record, Ctrl+click adds or removes one,
// Shift+click selects the run from the record the cursor stood on (added
// with Ctrl), a drag selects the run it passes over.
class SelBookmarkList {
public:
    int Count() const { return static_cast<int>(keys_.size()); }
    db::RecordKey Item(int index) const; // 0-based
    // Adds a bookmark at the end; one already there stays where it is.
    void Add(db::RecordKey key);
    void Remove(int index); // 0-based
    void Clear();
    bool contains(db::RecordKey key) const;

private:
    friend class DataGrid;
    explicit SelBookmarkList(DataGrid& grid) : grid_(grid) {}
    DataGrid& grid_;
    std::vector<db::RecordKey> keys_;
};

} // namespace platform
