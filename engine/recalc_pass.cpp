#include "engine/recalc_pass.h"

#include "engine/formula.h"
#include "engine/summary.h"
#include "platform/ui.h"
#include "tables/type_tables.h"

#include <algorithm>

namespace {

const std::string& rowOf(const std::vector<std::string>& rows, int n) {
    static const std::string empty;
    return n >= 0 && n < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(n)] : empty;
}

} // namespace

std::string spectrumMessage(int n, const std::string& message) {
    // The blank after "Spectrum" is the one a positive number is printed with.
    return "Spectrum " + std::to_string(n) + ": " + message;
}

namespace {

// The pass over `values`, which start as the input's.
RecalcPassOutput runPass(const RecalcPassInput& in, SheetMatrix values, bool showMessages) {
    RecalcPassOutput out;
    out.values = std::move(values);
    const int records = out.values.records();
    const int bands = std::min({in.bandCount, out.values.bands(), kMaxBands});
    out.summary1Vals.assign(static_cast<size_t>(records) + 1, std::string());
    out.summary2Vals.assign(static_cast<size_t>(records) + 1, std::string());

    BandArray result;
    for (int n = 1; n <= records; ++n) {
        for (int j = 1; j <= bands; ++j)
            result[j] = out.values(n, j);
        // The evaluator strips blanks from this copy only.
        std::string formula = rowOf(in.formulas, n);
        const std::string msg =
            EvalFormula(out.values, records, formula, result, n, in.bandCount, in.firstBand);
        if (msg.empty()) {
            // At once, so later spectra see the new values.
            for (int j = 1; j <= bands; ++j)
                out.values(n, j) = result[j];
        } else {
            out.messages.push_back(spectrumMessage(n, msg));
            if (showMessages)
                platform::MsgBox(QString::fromStdString(out.messages.back()), platform::vbOKOnly);
        }
    }

    for (int n = 1; n <= records; ++n) {
        BandArray row;
        for (int j = 1; j <= bands; ++j)
            row[j] = out.values(n, j);
        const int k1 = summaryTypeNumber(rowOf(in.summary1Types, n));
        const int k2 = summaryTypeNumber(rowOf(in.summary2Types, n));
        out.summary1Vals[static_cast<size_t>(n)] = CalcSummary(k1, row, in.firstBand, in.bandCount);
        out.summary2Vals[static_cast<size_t>(n)] = CalcSummary(k2, row, in.firstBand, in.bandCount);
    }
    return out;
}

} // namespace

RecalcPassOutput runRecalcPass(const RecalcPassInput& in, bool showMessages) {
    return runPass(in, in.values, showMessages);
}

RecalcPassOutput runRecalcPass(RecalcPassInput&& in, bool showMessages) {
    SheetMatrix values = std::move(in.values);
    return runPass(in, std::move(values), showMessages);
}
