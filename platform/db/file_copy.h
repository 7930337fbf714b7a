#pragma once
// A copy of a whole database file under another name, written through the
// engine (so a file open elsewhere in the program is copied in a consistent
// state) and put in place only once it is complete.
#include <string>

namespace db {

class Database;

// Copies the database at `source` to `dest`: writes the copy beside `dest`
// under a work name, checks it, then renames it to `dest` in one step,
// replacing a file there. `dest` must not name `source` itself. A failure
// throws db::Error and leaves `dest` as it was.
void copyDatabaseFile(const std::string& source, const std::string& dest);
// The same from an open connection, which still reads a file that is gone.
void copyDatabaseFile(Database& source, const std::string& dest);

} // namespace db
