#pragma once
// A copy of a whole database file under another name, written through the
// engine (so a file open elsewhere in the program is copied in a consistent
// state) and put in place only once it is complete.
#include <optional>
#include <string>

namespace db {

class Database;

// Copies the database at `source` to `dest`: writes the copy beside `dest`
// under a work name, checks it, then renames it to `dest` in one step,
// replacing a file there, but never one open in this program or another
// (replaceRefusal). `dest` must not name `source` itself. With `hold` the
// copy is this program's to write (holdFile) from the moment it has the
// name. A failure throws db::Error and leaves `dest` as it was.
void copyDatabaseFile(const std::string& source, const std::string& dest, bool hold = false);
// The same from an open connection, which still reads a file that is gone.
void copyDatabaseFile(Database& source, const std::string& dest, bool hold = false);

// Why the file at `dest` may not be replaced: it is open in this program
// or another one (under any of its names), or that cannot be checked.
// Nothing when no file is there or no program has it open.
std::optional<std::string> replaceRefusal(const std::string& dest);

} // namespace db
