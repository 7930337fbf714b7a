#pragma once
// Worksheet files for tests, built through the database layer: a
// "Sheets List" table and sheet tables in the worksheet layout.
#include "platform/db/database.h"
#include "platform/db/sheet_form.h"

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// One spectrum; fields left as they are keep the table's defaults.
struct SpectrumRow {
    std::string formula;
    std::vector<double> bands; // L1 ...; bands not given stay -999
    std::string type = "Sound Level";
    std::string sum1Type = "dBA";
    std::string sum2Type = "dBL";
    db::Value sum1Val; // Empty: left Null
    db::Value sum2Val;
    std::string description;
};

class WorksheetFile {
public:
    // Creates the file (it must not exist) with an empty "Sheets List".
    explicit WorksheetFile(std::string path);

    // Adds a worksheet table and its "Sheets List" row; spectra get Codes 1 ... n.
    void addSheet(const std::string& name, int bandSystem, int firstBand,
                  const std::vector<SpectrumRow>& rows, const std::string& notes = "");

    const std::string& path() const { return path_; }
    std::shared_ptr<db::Database> database() const { return db_; }
    // The default connection prefix with this file as its data source.
    std::string connectionString() const;

private:
    std::string path_;
    std::shared_ptr<db::Database> db_;
};

// A sheet form of its own, bound to one worksheet of the file as a
// worksheet window binds it.
class BoundWorksheet : public db::SheetForm {
public:
    BoundWorksheet(const WorksheetFile& file, const std::string& sheet,
                   db::SheetKind kind = db::SheetKind::Worksheet);
};

} // namespace testing_support
