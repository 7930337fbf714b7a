#pragma once
// Real worksheet windows in the real main window, offscreen, with the Edit
// menu's items triggered as a user chooses them and the real clipboard.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/chart.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "tests/support/dialog_script.h"
#include "tests/support/window_fixture.h"
#include "tests/support/worksheet_fixture.h"
#include "workspace/bandwright_window.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace db {
// Field values as a failing expectation prints them.
inline void PrintTo(const Value& v, std::ostream* os) {
    if (v.isNull())
        *os << "Null";
    else if (v.isEmpty())
        *os << "Empty";
    else if (v.isText())
        *os << '"' << v.text() << '"';
    else
        *os << v.toText();
}
} // namespace db

namespace editing_test {

using Rows = std::vector<std::vector<db::Value>>;
using testing_support::DialogScript;
using testing_support::SpectrumRow;
using testing_support::WorksheetFile;

inline SpectrumRow spectrum(std::vector<double> bands, const std::string& formula = "",
                            const std::string& type = "Sound Level",
                            const std::string& description = "") {
    SpectrumRow r;
    r.bands = std::move(bands);
    r.formula = formula;
    r.type = type;
    r.description = description;
    return r;
}

// A spectrum of one level in every band.
inline SpectrumRow flat(double level, int bands = 10, const std::string& formula = "") {
    return spectrum(std::vector<double>(static_cast<size_t>(bands), level), formula);
}

class EditFixture : public testing_support::WindowFixtureOn<WorksheetFile> {
protected:
    EditFixture() : WindowFixtureOn("edit.bwdb") {}

    void SetUp() override {
        WindowFixtureOn::SetUp();
        db::holdFile(path_); // the open worksheet file is this program's to write
    }
    void releaseFiles() override {
        WindowFixtureOn::releaseFiles();
        db::releaseAllFiles();
    }

    WorksheetWindow* open(const std::string& sheet, int bandKind, int view, int firstBand,
                          const std::string& path = {}) {
        return openWorksheet(path.empty() ? path_ : path, sheet, bandKind, view, firstBand);
    }

    // Chooses an Edit menu item as a user does; it must be enabled.
    static void choose(const char* item) { click(item); }

    // Makes a window the active child again, as a click on it does.
    void activate(WorksheetWindow* w) {
        WindowFixture::activate(w);
        ASSERT_EQ(gActiveSheet, w);
    }

    static void moveTo(WorksheetWindow* w, int position) {
        w->Data1.recordset().setAbsolutePosition(position);
        QApplication::processEvents();
    }
    static int cursor(WorksheetWindow* w) { return w->Data1.recordset().AbsolutePosition(); }

    // Selects records by position, in this order.
    static void select(WorksheetWindow* w, const std::vector<int>& positions) {
        platform::SelBookmarkList& sel = w->grdSpectra->SelBookmarks();
        sel.Clear();
        for (int p : positions)
            sel.Add(w->Data1.recordset().keyAt(p));
    }

    Rows rows(const std::string& table, const std::string& path = {}) const {
        auto database = path.empty() ? file_->database() : db::Database::open(path);
        Rows out;
        db::Statement st(*database, "SELECT * FROM " + db::quoteIdent(table) + " ORDER BY Code");
        while (st.step()) {
            std::vector<db::Value> r;
            for (int i = 0; i < st.columnCount(); ++i)
                r.push_back(st.column(i));
            out.push_back(std::move(r));
        }
        return out;
    }
    std::vector<std::string> formulas(const std::string& table) const {
        std::vector<std::string> out;
        for (const auto& r : rows(table))
            out.push_back(r[7].isNull() ? std::string() : r[7].toText());
        return out;
    }
    std::vector<long> codes(const std::string& table) const {
        std::vector<long> out;
        for (const auto& r : rows(table))
            out.push_back(static_cast<long>(r[0].toLong()));
        return out;
    }
};

} // namespace editing_test
