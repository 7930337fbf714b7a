#include "workspace/sheet_commands.h"

#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "workspace/frm_sel_worksheet.h"

#include <QStringList>

#include <cstdio>

void showError(const std::exception& e) {
    platform::MsgBox(QString::fromStdString(e.what()));
}

bool hasExactTable(const db::Database& database, const std::string& name) {
    for (const std::string& t : database.tableNames())
        if (t == name) return true;
    return false;
}

bool renameTargetFree(const db::Database& database, const std::string& from, const std::string& to,
                      const QString& kind) {
    for (const std::string& t : database.tableNames())
        if (db::equalNoCase(t, to)) {
            platform::MsgBox(kind + " " + QString::fromStdString(to) +
                             " already exists in this file");
            return false;
        }
    if (!hasExactTable(database, from))
        throw db::Error("The " + kind.toLower().toStdString() + " table is missing");
    return true;
}

bool moveSheetTable(db::Database& database, const std::string& from, const std::string& to) {
    // A file only viewed here, or one that cannot be written, says why.
    if (database.readOnly()) throw db::Error(database.readOnlyReason());
    try {
        CopyTableDef(from, database, to);
    } catch (const std::exception& e) {
        platform::MsgBox("Error copying file\n\n" + QString::fromStdString(e.what()));
        return false;
    }
    database.Execute("INSERT INTO " + db::quoteIdent(to) + " SELECT * FROM " +
                     db::quoteIdent(from));
    database.Execute("UPDATE " + db::quoteIdent(db::kSheetsList) + " SET " +
                         db::quoteIdent("Sheet Name") + " = ? WHERE " +
                         db::quoteIdent("Sheet Name") + " = ?",
                     {db::Value(to), db::Value(from)});
    database.deleteTable(from);
    return true;
}

int wholeNumber(const db::Value& v) {
    if (v.isNull() || v.isEmpty()) return 0;
    const double d = v.toDouble();
    return d >= -2147483648.0 && d <= 2147483647.0 ? static_cast<int>(d) : 0;
}

int wholeNumberOrZero(const db::Value& v) {
    try {
        return wholeNumber(v);
    } catch (const std::exception&) {
        return 0;
    }
}

QString pasteCellText(const db::Value& v) {
    if (v.isNull() || v.isEmpty()) return QString();
    if (v.isNumber()) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v.toDouble());
        return QString::fromLatin1(buf);
    }
    return QString::fromStdString(v.toText());
}

void deleteSheetOfFile(const QString& file, const QString& noun,
                       const std::function<bool(const QString&, const QString&)>& isOpen) {
    QStringList names;
    try {
        auto database = db::Database::open(file.toStdString());
        db::Statement st(*database, "SELECT " + db::quoteIdent("Sheet Name") + " FROM " +
                                        db::quoteIdent(db::kSheetsList));
        while (st.step())
            names << QString::fromStdString(st.column(0).toText());
    } catch (const std::exception& e) {
        showError(e);
        return;
    }
    if (names.isEmpty()) {
        platform::MsgBox("No " + noun + "s in database");
        return;
    }
    const QString title = noun.left(1).toUpper() + noun.mid(1);
    const SheetPick pick = pickFromList(title + " to Delete", names, false);
    if (pick.outcome != SheetPick::Chosen) return;
    const QString name = pick.text;
    if (isOpen(file, name)) {
        platform::MsgBox("Can't delete a " + noun + " which is still active");
        return;
    }
    try {
        auto database = db::Database::open(file.toStdString());
        const std::string table = name.toStdString();
        db::Database::Transaction tx(*database);
        if (hasExactTable(*database, table)) database->deleteTable(table);
        database->Execute("DELETE FROM " + db::quoteIdent(db::kSheetsList) + " WHERE " +
                              db::quoteIdent("Sheet Name") + " = ?",
                          {db::Value(table)});
        tx.commit();
    } catch (const std::exception& e) {
        showError(e);
    }
}
