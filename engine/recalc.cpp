#include "engine/recalc.h"

#include "engine/globals.h"
#include "engine/recalc_pass.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_form.h"
#include "platform/db/sheet_layout.h"
#include "platform/flag_guard.h"
#include "platform/ui.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace {

// A message box of the recalculation runs an event loop, in which a window
// may ask for a recalculation again; that one must not start.
bool gRecalcRunning = false;

double bandValue(const db::Value& v) {
    if (v.kind() == db::Value::Kind::Double) return v.toDouble();
    return v.isNull() || v.isEmpty() ? -999.0 : v.toDouble(); // Null reads as no value
}

std::string textOf(const db::Value& v) {
    return v.isText() ? v.text() : v.toText();
}

// Whether a stored summary text is to be replaced by `text`.
bool summaryDiffers(const db::Value& stored, const std::string& text) {
    if (stored.isNull()) return true;
    return stored.isText() ? stored.text() != text : stored.toText() != text;
}

// Sets a summary text that differs from the stored one, sharing the text
// last written when it is the same. Returns whether the field now holds it.
bool setSummary(db::BatchRecord& record, int field, std::string&& text, db::Value& last) {
    if (!summaryDiffers(record.value(field), text)) return true;
    if (!last.isText() || last.text() != text) last = db::Value(std::move(text));
    record.setValue(field, last);
    return !summaryDiffers(record.value(field), last.text());
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// What the recalculation keeps beside a window's rows between two passes.
// The rows are the window's for as long as it shows them: a Requery reads
// new rows, with nothing beside them, and the next pass does all the work.
struct SheetMemory {
    int records = 0;
    int bandCount = 0;
    int firstBand = 0;
    // By position: the stamp of the row as the last pass left it, holding
    // what that pass gave it; 0 when the row did not take it exactly.
    std::vector<std::uint64_t> stamps;
    // The positions whose stamp above is 0, ascending.
    std::vector<int> inexact;
    // The sheet matrix the last pass left: the bands of every row whose
    // stamp above is its own, bit for bit, so that only the others are read.
    SheetMatrix values;
    RecalcPassMemory pass;
};

// Reads the bands of the clone's row n into row n of the sheet matrix.
void readBands(const db::Recordset& clone, int n, SheetMatrix& values, int bandCount) {
    const db::Value* bands = clone.rowValues(n).data() + db::kFieldFormula;
    for (int j = 1; j <= bandCount; ++j)
        values(n, j) = bandValue(bands[j]);
}

// The memory of the last pass over these rows, when it was over a sheet of
// the same shape, and which rows are as it left them; else a fresh one.
// Fills the input's sheet matrix, reading only the rows not as it left them.
std::shared_ptr<SheetMemory> takeMemory(db::Recordset& clone, RecalcSheetInput& input) {
    auto memory = std::static_pointer_cast<SheetMemory>(clone.attached());
    // Until the new results are written, the rows keep no memory: a pass
    // that fails leaves none behind.
    clone.attach(nullptr);
    // Which rows changed since the last pass began; from here on the rows
    // note changes for the next pass, a fresh memory's too.
    const std::optional<std::vector<int>> changed = clone.takeChangedPositions();
    RecalcPassInput& in = input.pass;
    const int records = clone.RecordCount();
    const auto size = static_cast<size_t>(records) + 1;
    if (!memory || memory->records != records || memory->bandCount != in.bandCount ||
        memory->firstBand != in.firstBand) {
        memory = std::make_shared<SheetMemory>();
        memory->records = records;
        memory->bandCount = in.bandCount;
        memory->firstBand = in.firstBand;
        memory->stamps.assign(size, 0);
        in.values.resize(records, in.bandCount);
        for (int n = 1; n <= records; ++n)
            readBands(clone, n, in.values, in.bandCount);
        return memory;
    }
    in.values = std::move(memory->values);
    // A row not changed since the last pass began holds what it left there,
    // or has no stamp of it.
    const auto check = [&](int n) {
        const auto row = static_cast<size_t>(n);
        const std::uint64_t kept = memory->stamps[row];
        in.unchanged[row] = kept != 0 && kept == clone.rowStamp(n);
        if (!in.unchanged[row]) readBands(clone, n, in.values, in.bandCount);
    };
    if (changed) {
        in.unchanged.assign(size, 1);
        for (int n : *changed)
            check(n);
        for (int n : memory->inexact)
            check(n);
    } else {
        in.unchanged.assign(size, 0);
        for (int n = 1; n <= records; ++n)
            check(n);
    }
    return memory;
}

// What the read phase takes from the sheet's shape: its band system and
// the positions of the summary fields, with no rows read.
RecalcSheetInput readShape(db::Recordset& clone, db::Recordset& list) {
    clone.MoveLast();
    const int firstBand = static_cast<int>(list.Fields("First Band").value().toLong());
    const db::Value system = list.Fields("Octave/Third Octave").value();
    const int bandCount = !system.isNull() && system.toLong() == 2 ? 30 : 10;
    if (clone.Fields().Count() < db::kFirstBandField + bandCount)
        throw db::Error("The sheet table holds fewer band fields than its band system needs");
    RecalcSheetInput input;
    input.summary1Type = clone.Fields().indexOf("Summary 1 Type");
    input.summary2Type = clone.Fields().indexOf("Summary 2 Type");
    input.summary1Val = clone.Fields().indexOf("Summary 1 Val");
    input.summary2Val = clone.Fields().indexOf("Summary 2 Val");
    if (input.summary1Type < 0 || input.summary2Type < 0 || input.summary1Val < 0 ||
        input.summary2Val < 0)
        throw db::Error("The sheet table has no summary fields");
    input.pass.bandCount = bandCount;
    input.pass.firstBand = firstBand;
    clone.MoveFirst();
    return input;
}

} // namespace

RecalcSheetInput readRecalcInput(db::Recordset& clone, db::Recordset& list) {
    RecalcSheetInput input = readShape(clone, list);
    const int records = clone.RecordCount();
    const auto sum1Type = static_cast<size_t>(input.summary1Type);
    const auto sum2Type = static_cast<size_t>(input.summary2Type);
    RecalcPassInput& in = input.pass;
    in.values.resize(records, in.bandCount);
    in.formulas.assign(static_cast<size_t>(records) + 1, std::string());
    in.summary1Types = in.formulas;
    in.summary2Types = in.formulas;
    // The clone's rows are the window's: read in place, not field by field.
    for (int n = 1; n <= records; ++n) {
        readBands(clone, n, in.values, in.bandCount);
        const auto row = static_cast<size_t>(n);
        const std::span<const db::Value> record = clone.rowValues(n);
        in.formulas[row] = textOf(record[db::kFieldFormula]);
        in.summary1Types[row] = textOf(record[sum1Type]);
        in.summary2Types[row] = textOf(record[sum2Type]);
    }
    return input;
}

RecalcPassOutput evaluateRecalc(const RecalcSheetInput& input, bool showMessages) {
    return runRecalcPass(input.pass, showMessages);
}

RecalcPassOutput evaluateRecalc(RecalcSheetInput&& input, bool showMessages) {
    return runRecalcPass(std::move(input.pass), showMessages);
}

std::vector<int> writeRecalcResult(db::Recordset& clone, const RecalcSheetInput& input,
                                   RecalcPassOutput&& out) {
    const int bandCount = input.pass.bandCount;
    std::vector<int> fields;
    for (int j = 1; j <= bandCount; ++j)
        fields.push_back(db::kFieldFormula + j);
    fields.push_back(input.summary1Val);
    fields.push_back(input.summary2Val);
    // Record n is at position n, as the read phase walked them, and still
    // holds the values read: each record is compared and changed just
    // before it is written, while it is at hand.
    db::Value last1, last2; // the texts last written, which neighbours often repeat
    std::vector<int> exact;
    clone.UpdateBatch(fields, out.visit, [&](db::BatchRecord& record) {
        const int n = record.position();
        const auto row = static_cast<size_t>(n);
        bool same = true;
        for (int j = 1; j <= bandCount; ++j) {
            const double v = out.values(n, j);
            const db::Value& stored = record.value(db::kFieldFormula + j);
            if (v != bandValue(stored)) {
                record.setValue(db::kFieldFormula + j, v);
                same = same && sameBits(v, bandValue(record.value(db::kFieldFormula + j)));
            } else {
                same = same && sameBits(v, bandValue(stored));
            }
        }
        same =
            setSummary(record, input.summary1Val, std::move(out.summary1Vals[row]), last1) && same;
        same =
            setSummary(record, input.summary2Val, std::move(out.summary2Vals[row]), last2) && same;
        if (same) exact.push_back(n);
    });
    return exact;
}

namespace {

enum class Mode { Keeping, Full };

void recalcSheet(Mode mode) {
    if (gNoRecalc || gRecalcRunning) return;
    db::SheetForm* sheet = gActiveSheet;
    // On a datasheet position 7 holds Select Type, not a formula.
    if (!sheet || sheet->sheetKind() != db::SheetKind::Worksheet) return;
    db::Recordset& rs = sheet->Data1.recordset();
    // Only an empty sheet is skipped: a record set left past its last record
    // still holds spectra to recalculate.
    if (!rs.isOpen() || rs.RecordCount() == 0) return;
    // A read-only file is shown as stored: nothing it computed could be kept.
    if (const auto database = rs.database(); database && database->readOnly()) return;
    platform::FlagGuard running(gRecalcRunning);
    std::string failure;
    {
        platform::FlagGuard busy(gBusy);
        db::Recordset clone;
        try {
            clone = rs.Clone(db::LockType::BatchOptimistic);
            if (mode == Mode::Full) {
                RecalcSheetInput input = readRecalcInput(clone, sheet->Data2.recordset());
                clone.attach(nullptr);
                RecalcPassOutput output = evaluateRecalc(std::move(input));
                writeRecalcResult(clone, input, std::move(output));
            } else {
                RecalcSheetInput input = readShape(clone, sheet->Data2.recordset());
                std::shared_ptr<SheetMemory> memory = takeMemory(clone, input);
                // The texts of the rows the pass evaluates or rates, read
                // from the rows when it needs them.
                const int fields[] = {db::kFieldFormula, input.summary1Type, input.summary2Type};
                input.pass.text = [&clone, fields](int n, int which) {
                    return textOf(clone.rowValues(n)[static_cast<size_t>(fields[which])]);
                };
                RecalcPassOutput output =
                    runRecalcPassKeeping(std::move(input.pass), memory->pass, true);
                const std::vector<int> visited = output.visit;
                const std::vector<int> exact = writeRecalcResult(clone, input, std::move(output));
                // Rows visited and not left exactly as rated are done again
                // next time; the others are as the pass left them.
                for (int n : visited)
                    memory->stamps[static_cast<size_t>(n)] = 0;
                for (int n : exact)
                    memory->stamps[static_cast<size_t>(n)] = clone.rowStamp(n);
                std::vector<int> inexact;
                for (int n : memory->inexact)
                    if (memory->stamps[static_cast<size_t>(n)] == 0) inexact.push_back(n);
                for (int n : visited)
                    if (memory->stamps[static_cast<size_t>(n)] == 0) inexact.push_back(n);
                std::sort(inexact.begin(), inexact.end());
                inexact.erase(std::unique(inexact.begin(), inexact.end()), inexact.end());
                memory->inexact = std::move(inexact);
                memory->values = std::move(output.values);
                // Only the texts of the rows visited were set.
                for (int n : visited) {
                    output.summary1Vals[static_cast<size_t>(n)].clear();
                    output.summary2Vals[static_cast<size_t>(n)].clear();
                }
                memory->pass.summary1Vals = std::move(output.summary1Vals);
                memory->pass.summary2Vals = std::move(output.summary2Vals);
                clone.attach(std::move(memory));
            }
            clone.Close();
        } catch (const std::exception& e) {
            failure = e.what();
            // The clone shares its rows with the window: drop what it left pending.
            try {
                if (clone.isOpen()) clone.CancelBatch();
            } catch (const std::exception&) {
            }
        }
    }
    // Shown once gBusy is clear; the file is as it was (one batch, or none).
    if (!failure.empty()) platform::MsgBox(QString::fromStdString(failure), platform::vbOKOnly);
}

} // namespace

void RecalcSheet() {
    recalcSheet(gRecalcKeepsWork ? Mode::Keeping : Mode::Full);
}

void RecalcSheetFully() {
    recalcSheet(Mode::Full);
}
