#pragma once
// What the benchmarks of windows share: the main window shown offscreen with
// every message answered by their dialog handler, worksheet files made in the
// scratch folder, a worksheet window opened on one, and every window closed.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/open_close.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"

#include <QApplication>
#include <QMdiArea>

#include "bench/ok_dialogs.h"
#include "bench/scratch_dir.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace bench {

// Sets the fields of spectrum `n` besides its code and levels.
using SpectrumFields = std::function<void(db::Recordset&, int n)>;

// A third-octave worksheet file in the scratch folder, its sheet "Sheet" of
// `spectra` spectra coded 1, 2, ...; band j of spectrum n at
// 40 + shift + (7n + 3j) mod 30, so that files made with another `shift`
// tell apart. A file made before is used as it stands.
inline std::string makeWorksheetFile(const std::string& fileName, int spectra,
                                     const SpectrumFields& fields, int shift = 0,
                                     const std::string& notes = {}) {
    const std::string path = scratchFile(fileName);
    if (std::filesystem::exists(path)) return path;
    auto database = db::Database::create(path);
    database->createTable(db::sheetsListTableDef());
    db::createSheet(*database, db::worksheetTableDef("Sheet", 30), 2, 13, notes);
    db::Recordset rs = database->OpenRecordset("Sheet", {}, db::LockType::BatchOptimistic);
    for (int n = 1; n <= spectra; ++n) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(n);
        fields(rs, n);
        for (int j = 1; j <= 30; ++j)
            rs.Fields(db::kFirstBandField + j - 1) = db::Value(40.0 + shift + (n * 7 + j * 3) % 30);
    }
    rs.UpdateBatch();
    return path;
}

// A worksheet window on the file's "Sheet", made the active sheet.
inline WorksheetWindow* openWorksheetWindow(const std::string& path) {
    // As the program holds the worksheet file it opens.
    db::holdFile(path);
    WorksheetWindow* w = newWorksheetWindow(2, 1);
    gActiveSheet = w;
    if (OpenSheetForm(w, QString::fromStdString(path), "Sheet", 2, 13, 1, true)) std::abort();
    QApplication::processEvents();
    return w;
}

inline void closeAllWindows() {
    mainWindow().mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    // Closed windows are deleted later: outside an event loop, now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs the benchmarks with the main window shown (offscreen unless a
// platform is asked for) and `dialogs` answering every message; `title`,
// when given, is the main window's caption.
inline int runWindowBenchmarks(int argc, char** argv, OkDialogs& dialogs,
                               const char* title = nullptr) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    platform::setDialogHandler(&dialogs);
    FillTables();
    Bandwright& main = mainWindow();
    if (title) platform::gui::setCaption(&main, title);
    main.resize(1280, 900);
    main.show();
    return runBenchmarks(argc, argv, nullptr, closeAllWindows);
}

} // namespace bench
