#include "workspace/sheet_files.h"

#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"

#include <filesystem>

bool hasSheetsList(const db::Database& database) {
    for (const std::string& name : database.tableNames())
        if (name == db::kSheetsList) return true;
    return false;
}

bool SheetsListFileOK(const QString& path) {
    if (path.isEmpty()) return false;
    try {
        auto database = db::Database::open(path.toStdString());
        return hasSheetsList(*database);
    } catch (const std::exception&) {
        return false;
    }
}

void createSheetsFile(const QString& path, CatalogueKind kind) {
    const std::string p = path.toStdString();
    // create() refuses an existing file: from here on the file is ours.
    auto database = db::Database::create(p);
    try {
        database->createTable(kind == CatalogueKind::Datasheets ? db::datasheetsListTableDef()
                                                                : db::sheetsListTableDef());
    } catch (...) {
        database.reset();
        std::error_code ec;
        std::filesystem::remove(p, ec);
        throw;
    }
}
