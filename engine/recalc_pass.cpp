#include "engine/recalc_pass.h"

#include "engine/formula.h"
#include "engine/summary.h"
#include "platform/ui.h"
#include "tables/type_tables.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace {

const std::string& rowOf(const std::vector<std::string>& rows, int n) {
    static const std::string empty;
    return n >= 0 && n < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(n)] : empty;
}

// Text `which` of row n (see RecalcPassInput::text).
std::string textOf(const RecalcPassInput& in, int n, int which) {
    const std::vector<std::string>& rows = which == 0   ? in.formulas
                                           : which == 1 ? in.summary1Types
                                                        : in.summary2Types;
    if (rows.empty() && in.text) return in.text(n, which);
    return rowOf(rows, n);
}

} // namespace

std::string spectrumMessage(int n, const std::string& message) {
    // The blank after "Spectrum" is the one a positive number is printed with.
    return "Spectrum " + std::to_string(n) + ": " + message;
}

namespace {

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

void show(RecalcPassOutput& out, int n, const std::string& msg, bool showMessages) {
    out.messages.push_back(spectrumMessage(n, msg));
    if (showMessages)
        platform::MsgBox(QString::fromStdString(out.messages.back()), platform::vbOKOnly);
}

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
            show(out, n, msg, showMessages);
        }
    }

    out.visit.resize(static_cast<size_t>(records));
    for (int n = 1; n <= records; ++n) {
        out.visit[static_cast<size_t>(n - 1)] = n;
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

RecalcPassOutput runRecalcPassKeeping(RecalcPassInput&& in, RecalcPassMemory& memory,
                                      bool showMessages) {
    RecalcPassOutput out;
    out.values = std::move(in.values);
    const int records = out.values.records();
    const int bands = std::min({in.bandCount, out.values.bands(), kMaxBands});
    const auto size = static_cast<size_t>(records) + 1;
    if (memory.summary1Vals.size() == size && memory.summary2Vals.size() == size) {
        out.summary1Vals.swap(memory.summary1Vals);
        out.summary2Vals.swap(memory.summary2Vals);
    } else {
        out.summary1Vals.assign(size, std::string());
        out.summary2Vals.assign(size, std::string());
    }
    memory.summary1Vals.clear();
    memory.summary2Vals.clear();
    const bool known = in.unchanged.size() == size && memory.reads.size() == size &&
                       memory.messages.size() == size && memory.changedBands.size() == size;
    if (!known) {
        memory.reads.assign(size, {});
        memory.messages.assign(size, std::string());
        memory.changedBands.assign(size, 1);
    }
    const auto unchanged = [&](int n) { return known && in.unchanged[static_cast<size_t>(n)]; };
    // A row reads as it did in the last pass before its formula runs: its own
    // bands, and those a formula earlier in the sheet reads of it.
    const auto readsAsBefore = [&](int n) {
        return unchanged(n) && !memory.changedBands[static_cast<size_t>(n)];
    };
    // Whether row n may differ, after its formula, from what it was then.
    std::vector<char> changedSince(size, 0);
    std::vector<char> changedBands(size, 0);
    std::vector<int> reads;
    BandArray result;
    for (int n = 1; n <= records; ++n) {
        const auto row = static_cast<size_t>(n);
        bool again = !readsAsBefore(n);
        for (size_t k = 0; !again && k < memory.reads[row].size(); ++k) {
            const int m = memory.reads[row][k];
            again = m < n ? changedSince[static_cast<size_t>(m)] != 0 : !readsAsBefore(m);
        }
        if (again) {
            for (int j = 1; j <= bands; ++j)
                result[j] = out.values(n, j);
            std::string formula = textOf(in, n, 0);
            reads.clear();
            std::string msg = EvalFormula(out.values, records, formula, result, n, in.bandCount,
                                          in.firstBand, &reads);
            if (msg.empty()) {
                for (int j = 1; j <= bands; ++j) {
                    if (!sameBits(result[j], out.values(n, j))) changedBands[row] = 1;
                    out.values(n, j) = result[j];
                }
            }
            std::sort(reads.begin(), reads.end());
            reads.erase(std::unique(reads.begin(), reads.end()), reads.end());
            if (reads.empty())
                std::vector<int>().swap(memory.reads[row]);
            else
                memory.reads[row] = reads;
            memory.messages[row] = std::move(msg);
        }
        if (!memory.messages[row].empty()) show(out, n, memory.messages[row], showMessages);
        changedSince[row] = !unchanged(n) || changedBands[row];
    }
    memory.changedBands = std::move(changedBands);

    for (int n = 1; n <= records; ++n) {
        const auto row = static_cast<size_t>(n);
        // Its summary texts are the rating of its bands as they stand.
        if (!changedSince[row]) continue;
        out.visit.push_back(n);
        BandArray bandsOf;
        for (int j = 1; j <= bands; ++j)
            bandsOf[j] = out.values(n, j);
        const int k1 = summaryTypeNumber(textOf(in, n, 1));
        const int k2 = summaryTypeNumber(textOf(in, n, 2));
        out.summary1Vals[row] = CalcSummary(k1, bandsOf, in.firstBand, in.bandCount);
        out.summary2Vals[row] = CalcSummary(k2, bandsOf, in.firstBand, in.bandCount);
    }
    return out;
}

RecalcPassOutput runRecalcPass(const RecalcPassInput& in, bool showMessages) {
    return runPass(in, in.values, showMessages);
}

RecalcPassOutput runRecalcPass(RecalcPassInput&& in, bool showMessages) {
    SheetMatrix values = std::move(in.values);
    return runPass(in, std::move(values), showMessages);
}
