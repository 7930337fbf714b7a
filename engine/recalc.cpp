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
// last written when it is the same.
void setSummary(db::BatchRecord& record, int field, std::string text, db::Value& last) {
    if (!summaryDiffers(record.value(field), text)) return;
    if (!last.isText() || last.text() != text) last = db::Value(std::move(text));
    record.setValue(field, last);
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
    const auto sum1Type = static_cast<size_t>(clone.Fields().indexOf("Summary 1 Type"));
    const auto sum2Type = static_cast<size_t>(clone.Fields().indexOf("Summary 2 Type"));
    RecalcSheetInput input;
    input.summary1Val = clone.Fields().indexOf("Summary 1 Val");
    input.summary2Val = clone.Fields().indexOf("Summary 2 Val");
    if (sum1Type == static_cast<size_t>(-1) || sum2Type == static_cast<size_t>(-1) ||
        input.summary1Val < 0 || input.summary2Val < 0)
        throw db::Error("The sheet table has no summary fields");

    RecalcPassInput& in = input.pass;
    in.bandCount = bandCount;
    in.firstBand = firstBand;
    in.values.resize(records, bandCount);
    in.formulas.assign(static_cast<size_t>(records) + 1, std::string());
    in.summary1Types = in.formulas;
    in.summary2Types = in.formulas;
    clone.MoveFirst();
    // The clone's rows are the window's: read in place, not field by field.
    for (int n = 1; n <= records; ++n) {
        const auto row = static_cast<size_t>(n);
        const std::span<const db::Value> record = clone.rowValues(n);
        const db::Value* bands = record.data() + db::kFieldFormula;
        for (int j = 1; j <= bandCount; ++j)
            in.values(n, j) = bandValue(bands[j]);
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

void writeRecalcResult(db::Recordset& clone, const RecalcSheetInput& input, RecalcPassOutput out) {
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
    clone.UpdateBatch(fields, [&](db::BatchRecord& record) {
        const int n = record.position();
        const auto row = static_cast<size_t>(n);
        for (int j = 1; j <= bandCount; ++j) {
            const double v = out.values(n, j);
            if (v != bandValue(record.value(db::kFieldFormula + j)))
                record.setValue(db::kFieldFormula + j, v);
        }
        setSummary(record, input.summary1Val, std::move(out.summary1Vals[row]), last1);
        setSummary(record, input.summary2Val, std::move(out.summary2Vals[row]), last2);
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
            RecalcSheetInput input = readRecalcInput(clone, sheet->Data2.recordset());
            RecalcPassOutput output = evaluateRecalc(std::move(input));
            writeRecalcResult(clone, input, std::move(output));
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
