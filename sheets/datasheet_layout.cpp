#include "sheets/datasheet_layout.h"

#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"
#include "tables/globals.h"

int datasheetKind(const std::string& spectrumType) {
    const int t = spectrumTypeNumber(spectrumType);
    return t == 1 || t == 5 || t == 6 ? kSourceData : kConstructionData;
}

const std::vector<std::string>& descriptiveFields(int kind) {
    static const std::vector<std::string> source = {
        "Source Description",  "Noise Descriptor", "Measurement Conditions",
        "Information Source",  "Date Acquired",    "Measured By",
        "Project Ref",         "Comments",         "Measured A-wt SPL",
        "Measurement Distance"};
    static const std::vector<std::string> construction = {"Details", "Information Source",
                                                          "Date Acquired", "Comments"};
    return kind == kSourceData ? source : construction;
}

db::TableDef datasheetTableDef(const std::string& name, int bandCount,
                               const std::string& spectrumType) {
    db::TableDef t = db::worksheetTableDef(name, bandCount);
    const auto& row = gSpectrumTypes[static_cast<size_t>(spectrumTypeNumber(spectrumType))];
    for (db::FieldDef& f : t.fields) {
        if (f.name == "Type") f.defaultValue = db::Value(spectrumType);
        if (f.name == "Summary 1 Type") f.defaultValue = db::Value(row[2]);
        if (f.name == "Summary 2 Type") f.defaultValue = db::Value(row[3]);
    }
    db::FieldDef& select = t.fields[kFieldSelectType];
    select.name = "Select Type";
    select.defaultValue = db::Value();
    select.allowZeroLength = true;
    for (const std::string& field : descriptiveFields(datasheetKind(spectrumType))) {
        db::FieldDef f;
        f.name = field;
        f.type = db::FieldType::Text;
        f.allowZeroLength = true;
        t.fields.push_back(f);
    }
    return t;
}

int createDatasheet(db::Database& database, const std::string& name, int bandSystem, int firstBand,
                    const std::string& spectrumType, const DatasheetFiller& fill) {
    const int kind = datasheetKind(spectrumType);
    db::Database::Transaction tx(database);
    database.createTable(datasheetTableDef(name, bandSystem == 2 ? 30 : 10, spectrumType));
    database.Execute(
        "INSERT INTO " + db::quoteIdent(db::kSheetsList) + " (" + db::quoteIdent("Sheet Name") +
            ", " + db::quoteIdent("Octave/Third Octave") + ", " + db::quoteIdent("First Band") +
            ", " + db::quoteIdent("Datasheet Type") + ") VALUES (?, ?, ?, ?)",
        {db::Value(name), db::Value(bandSystem), db::Value(firstBand), db::Value(kind)});
    if (fill)
        fill(database, name, bandSystem, firstBand);
    else
        database.Execute("INSERT INTO " + db::quoteIdent(name) + " (" + db::quoteIdent("Code") +
                         ") VALUES (1)");
    tx.commit();
    return kind;
}
