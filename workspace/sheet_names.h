#pragma once
// The one rule for names that users give sheets (new, renamed or copied
// worksheets and datasheets), checked when the naming dialog's OK is pressed.
#include <QString>

#include <string>
#include <vector>

class QLineEdit;

// The message to show for a name that cannot be a sheet's name, or "" when
// it can: quotes break the lists that find sheets by name; an empty name
// makes no table; "~" begins the program's own backup and recovery tables;
// "sqlite_" the database engine's. Clashes with existing tables are the
// caller's test.
QString sheetNameProblem(const QString& name);

// The naming dialog's check on OK: false, after showing the problem and with
// the focus back in `box`, when its text cannot be a sheet's name.
bool sheetNameAccepted(QLineEdit* box);

// The name proposed for a new sheet: `prefix` (say "Worksheet ") and one
// more than the greatest number that follows it, exact case, among the
// tables; a fraction is kept ("Worksheet 2.5" gives "Worksheet 3.5").
QString proposedSheetName(const QString& prefix, const std::vector<std::string>& tables);
