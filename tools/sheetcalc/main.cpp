// sheetcalc: recalculates one worksheet given as text (a test tool).
//
// stdin, cells separated by TAB, lines by LF (a CR before the LF is ignored):
//   line 1: Octave/Third Octave TAB First Band
//   then one line per spectrum in Code order:
//   Type TAB Summary 1 Type TAB Summary 2 Type TAB Formula TAB band values
// stdout: one line per spectrum: Summary 1 Val TAB Summary 2 Val TAB bands.
// stderr: every message box of the recalculation, one per line.
// Exit 0 when the sheet was recalculated, 2 when the input cannot be read.
#include "engine/recalc_pass.h"
#include "platform/ui.h"
#include "tables/globals.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Message boxes go to stderr, one line each, and are answered OK.
class StderrDialogs final : public platform::DialogHandler {
public:
    int msgBox(const QString& prompt, int, const QString&) override {
        std::fprintf(stderr, "%s\n", prompt.toStdString().c_str());
        return platform::vbOK;
    }
    bool inputBox(const QString& prompt, const QString&, const QString&, QString&) override {
        std::fprintf(stderr, "%s\n", prompt.toStdString().c_str());
        return false;
    }
    int showModal(QObject&) override { return 0; }
};

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> cells;
    size_t start = 0;
    for (;;) {
        const size_t p = s.find(sep, start);
        cells.push_back(s.substr(start, p == std::string_view::npos ? s.npos : p - start));
        if (p == std::string_view::npos) return cells;
        start = p + 1;
    }
}

bool parseInt(std::string_view s, int& v) {
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && ptr == s.data() + s.size() && !s.empty();
}

bool parseBand(std::string_view s, double& v) {
    if (s.empty() || s.front() == '+') return false;
    const auto [ptr, ec] =
        std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    return ec == std::errc() && ptr == s.data() + s.size() && std::isfinite(v);
}

int fail(size_t line, const std::string& what) {
    std::fprintf(stderr, "sheetcalc: line %zu: %s\n", line, what.c_str());
    return 2;
}

} // namespace

int main() {
    const std::string input((std::istreambuf_iterator<char>(std::cin)),
                            std::istreambuf_iterator<char>());
    std::vector<std::string_view> lines = split(input, '\n');
    for (auto& l : lines)
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (lines.empty()) return fail(1, "no sheet line (Octave/Third Octave TAB First Band)");

    const auto head = split(lines[0], '\t');
    int system = 0;
    int firstBand = 0;
    if (head.size() != 2 || !parseInt(head[0], system) || !parseInt(head[1], firstBand))
        return fail(1, "expected Octave/Third Octave TAB First Band as whole numbers");

    FillTables();

    RecalcPassInput in;
    in.bandCount = system == 2 ? 30 : 10; // any other value counts as octave
    in.firstBand = firstBand;
    const int records = static_cast<int>(lines.size()) - 1;
    in.values.resize(records, in.bandCount);
    in.formulas.assign(static_cast<size_t>(records) + 1, std::string());
    in.summary1Types = in.formulas;
    in.summary2Types = in.formulas;
    for (int n = 1; n <= records; ++n) {
        const size_t lineNo = static_cast<size_t>(n) + 1;
        const auto cells = split(lines[static_cast<size_t>(n)], '\t');
        if (cells.size() != 4 + static_cast<size_t>(in.bandCount))
            return fail(lineNo, "expected Type, Summary 1 Type, Summary 2 Type, Formula and " +
                                    std::to_string(in.bandCount) + " band values, found " +
                                    std::to_string(cells.size()) + " cells");
        in.summary1Types[static_cast<size_t>(n)] = std::string(cells[1]);
        in.summary2Types[static_cast<size_t>(n)] = std::string(cells[2]);
        in.formulas[static_cast<size_t>(n)] = std::string(cells[3]);
        for (int j = 1; j <= in.bandCount; ++j) {
            double v = 0;
            const std::string_view cell = cells[3 + static_cast<size_t>(j)];
            if (!parseBand(cell, v))
                return fail(lineNo, "band " + std::to_string(j) + " is not a number: \"" +
                                        std::string(cell) + "\"");
            in.values(n, j) = v;
        }
    }

    StderrDialogs dialogs;
    platform::setDialogHandler(&dialogs);
    const RecalcPassOutput out = runRecalcPass(in);
    platform::setDialogHandler(nullptr);

    for (int n = 1; n <= records; ++n) {
        std::string line = out.summary1Vals[static_cast<size_t>(n)] + '\t' +
                           out.summary2Vals[static_cast<size_t>(n)];
        char buf[32];
        for (int j = 1; j <= in.bandCount; ++j) {
            std::snprintf(buf, sizeof buf, "\t%.17g", out.values(n, j));
            line += buf;
        }
        line += '\n';
        std::fputs(line.c_str(), stdout);
    }
    return 0;
}
