#include "platform/db/sheet_layout.h"

#include "platform/db/database.h"
#include "platform/db/sheet_form.h"

namespace db {

namespace {

FieldDef makeField(const std::string& name, FieldType type, Value def = {},
                   bool zeroLength = false) {
    FieldDef f;
    f.name = name;
    f.type = type;
    f.defaultValue = std::move(def);
    f.allowZeroLength = zeroLength;
    return f;
}

} // namespace

TableDef sheetsListTableDef() {
    TableDef t;
    t.name = kSheetsList;
    t.fields = {makeField("Sheet Name", FieldType::Text),
                makeField("Octave/Third Octave", FieldType::Long),
                makeField("First Band", FieldType::Long),
                makeField("Notes", FieldType::Memo, Value(), true)};
    return t;
}

TableDef datasheetsListTableDef() {
    TableDef t = sheetsListTableDef();
    t.fields.push_back(makeField("Datasheet Type", FieldType::Long));
    return t;
}

TableDef worksheetTableDef(const std::string& name, int bandCount) {
    TableDef t;
    t.name = name;
    t.fields = {makeField("Code", FieldType::Long, Value(0)),
                makeField("Description", FieldType::Text, Value(), true),
                makeField("Type", FieldType::Text, Value("Sound Level")),
                makeField("Summary 1 Type", FieldType::Text, Value("dBA"), true),
                makeField("Summary 1 Val", FieldType::Text, Value(), true),
                makeField("Summary 2 Type", FieldType::Text, Value("dBL"), true),
                makeField("Summary 2 Val", FieldType::Text, Value(), true),
                makeField("Formula", FieldType::Text, Value(), true)};
    for (int j = 1; j <= bandCount; ++j)
        t.fields.push_back(makeField("L" + std::to_string(j), FieldType::Double, Value(-999.0)));
    IndexDef code;
    code.name = "Code";
    code.fields = {"Code"};
    code.primary = true;
    code.unique = true;
    t.indexes = {code};
    return t;
}

void createSheet(Database& db, const TableDef& table, int bandSystem, int firstBand,
                 const std::string& notes) {
    // The catalogue's field bounds a sheet's name; say so rather than let the
    // row fail its field rule.
    for (const FieldDef& f : db.tableDef(kSheetsList).fields)
        if (equalNoCase(f.name, "Sheet Name") && f.type == FieldType::Text &&
            characterCount(table.name) > f.size)
            throw Error("The sheet name is too long: a sheet name holds at most " +
                        std::to_string(f.size) + " characters");
    Database::Transaction tx(db);
    db.createTable(table);
    db.Execute("INSERT INTO \"Sheets List\" VALUES (?, ?, ?, ?)",
               {Value(table.name), Value(bandSystem), Value(firstBand), Value(notes)});
    tx.commit();
}

void bindWorksheet(SheetForm& form, const std::string& connectionString, const std::string& sheet) {
    form.Data1.setConnectionString(connectionString);
    form.Data1.setRecordSource("SELECT * FROM " + quoteIdent(sheet) + " ORDER BY \"Code\"");
    form.Data1.Refresh();
    form.Data2.setConnectionString(connectionString);
    form.Data2.setRecordSource("SELECT * FROM \"Sheets List\" WHERE \"Sheet Name\" = ?",
                               {Value(sheet)});
    form.Data2.Refresh();
}

} // namespace db
