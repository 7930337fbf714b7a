#include "engine/recalc.h"

#include "engine/globals.h"
#include "engine/recalc_pass.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_form.h"
#include "platform/db/sheet_layout.h"
#include "platform/flag_guard.h"
#include "platform/ui.h"

#include <exception>
#include <vector>

namespace {

// A message box of the recalculation runs an event loop, in which a window
// may ask for a recalculation again; that one must not start.
bool gRecalcRunning = false;

double bandValue(const db::Value& v) {
    return v.isNull() || v.isEmpty() ? -999.0 : v.toDouble(); // Null reads as no value
}

std::string textOf(const db::Value& v) {
    return v.isText() ? v.text() : v.toText();
}

std::optional<std::string> storedText(const db::Value& v) {
    if (v.isNull()) return std::nullopt;
    return textOf(v);
}

} // namespace

RecalcSheetInput readRecalcInput(db::Recordset& clone, db::Recordset& list) {
    clone.MoveLast();
    const int records = clone.RecordCount();
    const int firstBand = static_cast<int>(list.Fields("First Band").value().toLong());
    const db::Value system = list.Fields("Octave/Third Octave").value();
    const int bandCount = !system.isNull() && system.toLong() == 2 ? 30 : 10;
    if (clone.Fields().Count() < db::kFirstBandField + bandCount)
        throw db::Error("The sheet table holds fewer band fields than its band system needs");
    const int sum1Type = clone.Fields().indexOf("Summary 1 Type");
    const int sum2Type = clone.Fields().indexOf("Summary 2 Type");
    RecalcSheetInput input;
    input.summary1Val = clone.Fields().indexOf("Summary 1 Val");
    input.summary2Val = clone.Fields().indexOf("Summary 2 Val");
    if (sum1Type < 0 || sum2Type < 0 || input.summary1Val < 0 || input.summary2Val < 0)
        throw db::Error("The sheet table has no summary fields");

    RecalcPassInput& in = input.pass;
    in.bandCount = bandCount;
    in.firstBand = firstBand;
    in.values.resize(records, bandCount);
    in.formulas.assign(static_cast<size_t>(records) + 1, std::string());
    in.summary1Types = in.formulas;
    in.summary2Types = in.formulas;
    input.summary1Stored.assign(static_cast<size_t>(records) + 1, std::nullopt);
    input.summary2Stored = input.summary1Stored;
    clone.MoveFirst();
    for (int n = 1; n <= records; ++n) {
        const auto row = static_cast<size_t>(n);
        for (int j = 1; j <= bandCount; ++j)
            in.values(n, j) = bandValue(clone.Fields(db::kFieldFormula + j).value());
        in.formulas[row] = textOf(clone.Fields(db::kFieldFormula).value());
        in.summary1Types[row] = textOf(clone.Fields(sum1Type).value());
        in.summary2Types[row] = textOf(clone.Fields(sum2Type).value());
        input.summary1Stored[row] = storedText(clone.Fields(input.summary1Val).value());
        input.summary2Stored[row] = storedText(clone.Fields(input.summary2Val).value());
        clone.MoveNext();
    }
    return input;
}

RecalcPassOutput evaluateRecalc(const RecalcSheetInput& input, bool showMessages) {
    return runRecalcPass(input.pass, showMessages);
}

void writeRecalcResult(db::Recordset& clone, const RecalcSheetInput& input,
                       const RecalcPassOutput& out) {
    const RecalcPassInput& in = input.pass;
    std::vector<int> fields;
    for (int j = 1; j <= in.bandCount; ++j)
        fields.push_back(db::kFieldFormula + j);
    fields.push_back(input.summary1Val);
    fields.push_back(input.summary2Val);
    // Record n is at position n, as the read phase walked them. Each record
    // is changed just before it is written, while it is at hand.
    clone.UpdateBatch(fields, [&](db::BatchRecord& record) {
        const int n = record.position();
        const auto row = static_cast<size_t>(n);
        for (int j = 1; j <= in.bandCount; ++j)
            if (out.values(n, j) != in.values(n, j))
                record.setValue(db::kFieldFormula + j, out.values(n, j));
        if (input.summary1Stored[row] != out.summary1Vals[row])
            record.setValue(input.summary1Val, db::Value(out.summary1Vals[row]));
        if (input.summary2Stored[row] != out.summary2Vals[row])
            record.setValue(input.summary2Val, db::Value(out.summary2Vals[row]));
    });
}

void RecalcSheet() {
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
            const RecalcSheetInput input = readRecalcInput(clone, sheet->Data2.recordset());
            writeRecalcResult(clone, input, evaluateRecalc(input));
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
