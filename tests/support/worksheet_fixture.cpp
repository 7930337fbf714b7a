#include "tests/support/worksheet_fixture.h"

#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"

namespace testing_support {

WorksheetFile::WorksheetFile(std::string path) : path_(std::move(path)) {
    db_ = db::Database::create(path_);
    db_->createTable(db::sheetsListTableDef());
}

void WorksheetFile::addSheet(const std::string& name, int bandSystem, int firstBand,
                             const std::vector<SpectrumRow>& rows, const std::string& notes) {
    const int bandCount = bandSystem == 2 ? 30 : 10;
    db::createSheet(*db_, db::worksheetTableDef(name, bandCount), bandSystem, firstBand, notes);
    db::Recordset rs = db_->OpenRecordset(name, {}, db::LockType::BatchOptimistic);
    int code = 0;
    for (const SpectrumRow& r : rows) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(++code);
        if (!r.description.empty()) rs.Fields("Description") = db::Value(r.description);
        rs.Fields("Type") = db::Value(r.type);
        rs.Fields("Summary 1 Type") = db::Value(r.sum1Type);
        rs.Fields("Summary 2 Type") = db::Value(r.sum2Type);
        if (!r.sum1Val.isEmpty()) rs.Fields("Summary 1 Val") = r.sum1Val;
        if (!r.sum2Val.isEmpty()) rs.Fields("Summary 2 Val") = r.sum2Val;
        if (!r.formula.empty()) rs.Fields("Formula") = db::Value(r.formula);
        for (size_t j = 0; j < r.bands.size() && static_cast<int>(j) < bandCount; ++j)
            rs.Fields(db::kFirstBandField + static_cast<int>(j)) = db::Value(r.bands[j]);
    }
    rs.UpdateBatch();
    rs.Close();
}

std::string WorksheetFile::connectionString() const {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=" + path_;
}

BoundWorksheet::BoundWorksheet(const WorksheetFile& file, const std::string& sheet,
                               db::SheetKind kind)
    : db::SheetForm(kind) {
    db::bindWorksheet(*this, file.connectionString(), sheet);
}

} // namespace testing_support
