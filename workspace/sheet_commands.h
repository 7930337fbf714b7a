#pragma once
// What the worksheet and datasheet management commands share.
#include "platform/db/database.h"
#include "platform/db/value.h"

#include <QString>

#include <exception>
#include <functional>
#include <string>

void showError(const std::exception& e);

// Whether the file holds a table of exactly this name (letter case counts).
bool hasExactTable(const db::Database& database, const std::string& name);

// Rename Worksheet and Rename Datasheet: false, after "<kind> <to> already
// exists in this file", when the file holds `to` in any letter case (a clash
// in case alone would fail later); throws when `from` itself is missing.
bool renameTargetFree(const db::Database& database, const std::string& from, const std::string& to,
                      const QString& kind);
// Inside the caller's transaction: the table under its new name, with its
// records and catalogue row, and the old table gone. False after "Error
// copying file" when the structure could not be copied. Throws db::Error
// with the reason when the file cannot be changed here.
bool moveSheetTable(db::Database& database, const std::string& from, const std::string& to);

// A whole number of a field; 0 for Null, Empty and numbers out of range.
int wholeNumber(const db::Value& v);
// The same, and 0 for a value that is no number (a catalogue another tool wrote).
int wholeNumberOrZero(const db::Value& v);

// A field's value as paste-array text: numbers exactly (17 significant
// digits read back as the same double), anything else as it stands.
QString pasteCellText(const db::Value& v);

// Delete Worksheet and Delete Datasheet: picks a sheet of the file's
// catalogue (`noun` is "worksheet" or "datasheet"), refuses one that
// `isOpen` says has a window, and removes its table and catalogue row in one
// transaction.
void deleteSheetOfFile(const QString& file, const QString& noun,
                       const std::function<bool(const QString& file, const QString& name)>& isOpen);
