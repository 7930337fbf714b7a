#pragma once
// The SQL text of a table's structure, both ways: a field definition as a
// column of CREATE TABLE with its type, default and check, and read back
// from what the engine reports; the names this layer gives indexes.
#include "platform/db/schema.h"

#include <optional>
#include <string>
#include <string_view>

namespace db {

// Reads a DEFAULT clause as the engine reports it back.
Value parseLiteral(const Value& stored, FieldType type);
// Reads back a declared type written by typeDecl(); types written by other
// SQL map by the engine's own affinity rules.
void parseDecl(const std::string& decl, FieldDef& f);
// What a field's values must be, as an SQL condition.
std::string checkExpression(const FieldDef& f);
// A field as a column definition of CREATE TABLE or ADD COLUMN.
std::string columnDef(const FieldDef& f);

// The name a table's index of ours carries in the file.
std::string indexSqlName(const std::string& table, const IndexDef& ix);
// Reads back a name given by indexSqlName() or by an earlier version.
bool readIndexSqlName(const std::string& sqlName, const std::string& table, IndexDef& ix);
// The name in "CONSTRAINT <name> PRIMARY KEY (...)" of a CREATE TABLE text,
// read token by token so that no quoted name or literal passes for it.
std::optional<std::string> primaryKeyName(std::string_view sql);

} // namespace db
