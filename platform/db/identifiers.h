#pragma once
// Names in SQL text: quoted by one helper, compared without regard to letter
// case, and checked before a table takes one.
#include <string>
#include <string_view>

namespace db {

// "name" with inner quotes doubled: any text is only ever a name.
std::string quoteIdent(std::string_view name);

// Letter-case-blind text comparison used by the collation and by table-name
// look-ups (<0, 0, >0).
int compareNoCase(std::string_view a, std::string_view b);
bool equalNoCase(std::string_view a, std::string_view b);

// Throws db::Error when a table name cannot be used: empty, a NUL inside, a
// control character first (index names begin so), or a name the engine keeps
// for itself ("sqlite_...").
void checkTableName(std::string_view name);

} // namespace db
