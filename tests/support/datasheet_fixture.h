#pragma once
// Datasheets files for tests: the catalogue with its "Datasheet Type" and
// datasheets made as the program makes them, filled with spectra.
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "sheets/datasheet_layout.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

struct DataRow {
    std::string description;
    db::Value selectType; // Empty: left Null
    std::vector<double> bands;
    std::map<std::string, std::string> other; // descriptive fields by name
};

class DatasheetsFile {
public:
    explicit DatasheetsFile(std::string path) : path_(std::move(path)) {
        db_ = db::Database::create(path_);
        db::TableDef list = db::sheetsListTableDef();
        db::FieldDef kind;
        kind.name = "Datasheet Type";
        kind.type = db::FieldType::Long;
        list.fields.push_back(kind);
        db_->createTable(list);
    }

    // A datasheet with spectra Code 1 ... n of `rows` (none: the one blank
    // record a new datasheet holds).
    void addDatasheet(const std::string& name, int bandSystem, int firstBand,
                      const std::string& type, const std::vector<DataRow>& rows) {
        createDatasheet(*db_, name, bandSystem, firstBand, type);
        if (rows.empty()) return;
        db_->Execute("DELETE FROM " + db::quoteIdent(name));
        db::Recordset rs = db_->OpenRecordset(name, {}, db::LockType::BatchOptimistic);
        int code = 0;
        for (const DataRow& r : rows) {
            rs.AddNew();
            rs.Fields("Code") = db::Value(++code);
            rs.Fields("Description") = db::Value(r.description);
            if (!r.selectType.isEmpty()) rs.Fields("Select Type") = r.selectType;
            for (size_t j = 0; j < r.bands.size(); ++j)
                rs.Fields(db::kFirstBandField + static_cast<int>(j)) = db::Value(r.bands[j]);
            for (const auto& [field, value] : r.other)
                rs.Fields(field) = db::Value(value);
        }
        rs.UpdateBatch();
        rs.Close();
    }

    const std::string& path() const { return path_; }
    std::shared_ptr<db::Database> database() const { return db_; }

private:
    std::string path_;
    std::shared_ptr<db::Database> db_;
};

} // namespace testing_support
