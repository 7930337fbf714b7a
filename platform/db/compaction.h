#pragma once
// Compaction of a database file, which replaces the file only by a complete,
// checked copy.
#include <functional>
#include <string>

namespace db {

// Steps of a compaction, for tests that interrupt it.
enum class CompactStep { CopyWritten, CopyChecked, Replaced };

// Compacts a database file: writes a compacted copy beside it (always under
// the one name "<file>.compact~", cleared first), checks the copy, and only
// then puts it in place of the file in one rename. A failure at any step
// leaves the file as it was (and removes the copy). Through a symbolic link
// the file it leads to is compacted; the link stays. `afterStep`
// is called after each step; an exception from it interrupts the work.
void compactFile(const std::string& path, const std::function<void(CompactStep)>& afterStep = {});

} // namespace db
