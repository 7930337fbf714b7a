// The database layer on third-octave worksheets of 100, 1,000 and 10,000
// spectra in a file on disk: refreshing a data control (opening the sheet as
// a worksheet window does), walking the record set reading every band, a
// batch update of one band in every record, and the backup copy of a sheet
// (structure copy and INSERT ... SELECT), also as a level edit takes it: the
// copy into the existing backup table and the level written in one commit.
#include "platform/db/data_control.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"

#include "bench/scratch_dir.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

const char* const kSheet = "Worksheet 1";

const std::string& sheetFile(int records) {
    static std::map<int, std::string> files;
    auto& path = files[records];
    if (!path.empty()) return path;
    path = bench::scratchFile("db-" + std::to_string(records) + ".db");
    auto db = db::Database::create(path);
    db->createTable(db::sheetsListTableDef());
    db->createTable(db::worksheetTableDef(kSheet, 30));
    db->Execute("INSERT INTO \"Sheets List\" VALUES (?, 2, 13, '')", {db::Value(kSheet)});
    auto rs = db->OpenRecordset(kSheet, {}, db::LockType::BatchOptimistic);
    for (int n = 1; n <= records; ++n) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(n);
        rs.Fields("Description") = db::Value("Spectrum number " + std::to_string(n));
        rs.Fields("Summary 1 Val") = db::Value("63.2 dBA");
        rs.Fields("Summary 2 Val") = db::Value("70.1 dBL");
        if (n > 2) rs.Fields("Formula") = db::Value("s1 !+ s2 + 3");
        for (int j = 1; j <= 30; ++j)
            rs.Fields(db::kFieldFormula + j) = db::Value(30.5 + (n * 13 + j * 7) % 50 * 0.7);
    }
    rs.UpdateBatch();
    return path;
}

void BM_Refresh(benchmark::State& state) {
    const std::string& path = sheetFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        db::DataControl data;
        data.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
        data.setRecordSource("SELECT * FROM " + db::quoteIdent(kSheet) + " ORDER BY \"Code\"");
        data.Refresh();
        benchmark::DoNotOptimize(data.recordset().RecordCount());
    }
    state.SetComplexityN(state.range(0));
}

void BM_WalkAllBands(benchmark::State& state) {
    auto db = db::Database::open(sheetFile(static_cast<int>(state.range(0))));
    auto rs = db->OpenRecordset(kSheet);
    for (auto _ : state) {
        double sum = 0;
        for (rs.MoveFirst(); !rs.eof(); rs.MoveNext())
            for (int j = 1; j <= 30; ++j)
                sum += rs.Fields(db::kFieldFormula + j).value().toDouble();
        benchmark::DoNotOptimize(sum);
    }
    state.SetComplexityN(state.range(0));
}

void BM_UpdateBatchOneBandEach(benchmark::State& state) {
    auto db = db::Database::open(sheetFile(static_cast<int>(state.range(0))));
    auto rs = db->OpenRecordset(kSheet, {}, db::LockType::BatchOptimistic);
    double v = 0;
    for (auto _ : state) {
        v += 1;
        for (rs.MoveFirst(); !rs.eof(); rs.MoveNext())
            rs.Fields("L5") = db::Value(v);
        rs.UpdateBatch();
    }
    state.SetComplexityN(state.range(0));
}

void BM_BackupCopy(benchmark::State& state) {
    auto db = db::Database::open(sheetFile(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        if (db->findTable("~Backup")) db->deleteTable("~Backup");
        db->copyTableStructure(kSheet, "~Backup");
        db->Execute("INSERT INTO \"~Backup\" SELECT * FROM " + db::quoteIdent(kSheet));
    }
    state.SetComplexityN(state.range(0));
}

void BM_BackupWithLevelEdit(benchmark::State& state) {
    auto db = db::Database::open(sheetFile(static_cast<int>(state.range(0))));
    if (!db->findTable("~Backup")) db->copyTableStructure(kSheet, "~Backup");
    double level = 40;
    for (auto _ : state) {
        db::Database::Transaction tx(*db);
        db->Execute("DELETE FROM \"~Backup\"");
        db->Execute("INSERT INTO \"~Backup\" SELECT * FROM " + db::quoteIdent(kSheet));
        db->Execute("UPDATE " + db::quoteIdent(kSheet) + " SET L1 = ? WHERE Code = 1",
                    {db::Value(level += 1)});
        tx.commit();
    }
    state.SetComplexityN(state.range(0));
}

// The same with the old copy dropped and the table made again: what the
// engine journals for a dropped table against a cleared one.
void BM_BackupDropCreateWithLevelEdit(benchmark::State& state) {
    auto db = db::Database::open(sheetFile(static_cast<int>(state.range(0))));
    if (!db->findTable("~Backup")) db->copyTableStructure(kSheet, "~Backup");
    double level = 40;
    for (auto _ : state) {
        db::Database::Transaction tx(*db);
        db->deleteTable("~Backup");
        db->copyTableStructure(kSheet, "~Backup");
        db->Execute("INSERT INTO \"~Backup\" SELECT * FROM " + db::quoteIdent(kSheet));
        db->Execute("UPDATE " + db::quoteIdent(kSheet) + " SET L1 = ? WHERE Code = 1",
                    {db::Value(level += 1)});
        tx.commit();
    }
    state.SetComplexityN(state.range(0));
}

#define SIZES ->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity()
BENCHMARK(BM_Refresh) SIZES;
BENCHMARK(BM_WalkAllBands) SIZES;
BENCHMARK(BM_UpdateBatchOneBandEach) SIZES;
BENCHMARK(BM_BackupCopy) SIZES;
BENCHMARK(BM_BackupWithLevelEdit) SIZES;
BENCHMARK(BM_BackupDropCreateWithLevelEdit) SIZES;

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv);
}
