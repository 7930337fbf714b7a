// sheetcalc: recalculates one worksheet given as text (a test tool).
//
// stdin, cells separated by TAB, lines by LF (a CR before the LF is ignored):
//   line 1: Octave/Third Octave TAB First Band
//   then one line per spectrum in Code order:
//   Type TAB Summary 1 Type TAB Summary 2 Type TAB Formula TAB band values
// stdout: one line per spectrum: Summary 1 Val TAB Summary 2 Val TAB bands.
// stderr: every message box of the recalculation, one per line.
// Exit 0 when the sheet was recalculated, 2 when the input cannot be read.
//
// The sheet goes through a temporary worksheet file: it is written there,
// bound to a window-less sheet form as a worksheet window binds it,
// recalculated by RecalcSheet and printed from the committed file.
#include "engine/globals.h"
#include "engine/recalc.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_form.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "tables/globals.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// A private folder for the worksheet file, removed at the end.
struct TempFolder {
    std::string path;
    TempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "sheetcalc-XXXXXX").string();
        if (mkdtemp(tmpl.data())) path = tmpl;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
};

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

    const int bandCount = system == 2 ? 30 : 10; // any other value counts as octave
    const int records = static_cast<int>(lines.size()) - 1;
    struct Spectrum {
        std::string type, sum1Type, sum2Type, formula;
        std::vector<double> bands;
    };
    std::vector<Spectrum> sheet;
    for (int n = 1; n <= records; ++n) {
        const size_t lineNo = static_cast<size_t>(n) + 1;
        const auto cells = split(lines[static_cast<size_t>(n)], '\t');
        if (cells.size() != 4 + static_cast<size_t>(bandCount))
            return fail(lineNo, "expected Type, Summary 1 Type, Summary 2 Type, Formula and " +
                                    std::to_string(bandCount) + " band values, found " +
                                    std::to_string(cells.size()) + " cells");
        Spectrum sp{std::string(cells[0]),
                    std::string(cells[1]),
                    std::string(cells[2]),
                    std::string(cells[3]),
                    {}};
        for (int j = 1; j <= bandCount; ++j) {
            double v = 0;
            const std::string_view cell = cells[3 + static_cast<size_t>(j)];
            if (!parseBand(cell, v))
                return fail(lineNo, "band " + std::to_string(j) + " is not a number: \"" +
                                        std::string(cell) + "\"");
            sp.bands.push_back(v);
        }
        sheet.push_back(std::move(sp));
    }

    TempFolder temp;
    if (temp.path.empty()) {
        std::fprintf(stderr, "sheetcalc: cannot make a temporary folder\n");
        return 2;
    }
    const std::string file = (std::filesystem::path(temp.path) / "sheetcalc.db").string();
    const std::string name = "Sheet";
    std::vector<std::string> out;
    try {
        auto db = db::Database::create(file);
        db->createTable(db::sheetsListTableDef());
        db::TableDef table = db::worksheetTableDef(name, bandCount);
        // The tool takes texts of any length, "" included.
        for (auto& f : table.fields)
            if (f.type == db::FieldType::Text) {
                f.type = db::FieldType::Memo;
                f.allowZeroLength = true;
            }
        db::createSheet(*db, table, system, firstBand);
        db::Recordset rs = db->OpenRecordset(name, {}, db::LockType::BatchOptimistic);
        int code = 0;
        for (const Spectrum& sp : sheet) {
            rs.AddNew();
            rs.Fields("Code") = db::Value(++code);
            rs.Fields("Type") = db::Value(sp.type);
            rs.Fields("Summary 1 Type") = db::Value(sp.sum1Type);
            rs.Fields("Summary 2 Type") = db::Value(sp.sum2Type);
            rs.Fields("Formula") = db::Value(sp.formula);
            for (int j = 1; j <= bandCount; ++j)
                rs.Fields(db::kFieldFormula + j) = db::Value(sp.bands[static_cast<size_t>(j - 1)]);
        }
        rs.UpdateBatch();
        rs.Close();

        db::SheetForm form(db::SheetKind::Worksheet);
        db::bindWorksheet(form, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file, name);
        gActiveSheet = &form;
        StderrDialogs dialogs;
        platform::setDialogHandler(&dialogs);
        RecalcSheet();
        platform::setDialogHandler(nullptr);
        gActiveSheet = nullptr;

        db::Recordset result =
            db->OpenRecordset("SELECT * FROM " + db::quoteIdent(name) + " ORDER BY \"Code\"");
        for (; !result.eof(); result.MoveNext()) {
            std::string line = result.Fields("Summary 1 Val").value().toText() + '\t' +
                               result.Fields("Summary 2 Val").value().toText();
            char buf[32];
            for (int j = 1; j <= bandCount; ++j) {
                std::snprintf(buf, sizeof buf, "\t%.17g",
                              result.Fields(db::kFieldFormula + j).value().toDouble());
                line += buf;
            }
            out.push_back(line + '\n');
        }
    } catch (const std::exception& e) {
        platform::setDialogHandler(nullptr);
        std::fprintf(stderr, "sheetcalc: %s\n", e.what());
        return 2;
    }
    for (const std::string& line : out)
        std::fputs(line.c_str(), stdout);
    return 0;
}
